#pragma once
// The main menu: a fixed page of blue tiles, one per function of the program.
// A tile is a picture and a caption on top of it; both run the tile's action
// after a short press effect.
#include <QLabel>
#include <QWidget>
#include <functional>
#include <string>

namespace corv {

class Application;

// A picture or a caption of a tile: a label that reports a click. Captions
// also take the keyboard focus (Tab moves between tiles, Enter or Space runs
// one) and then show a dotted frame.
class ZoneTuile : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 Q_SIGNALS:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  bool presse_ = false;
};

class TFicheMainCorvane : public QWidget {
  Q_OBJECT
 public:
  // Runs the construction steps: the tiles painted, the general parameters and
  // the catalogue tables loaded (Application::InitialiserFenetrePrincipale), the
  // version shown.
  explicit TFicheMainCorvane(corv::Application& app, QWidget* parent = nullptr);

  corv::Application& app() { return app_; }

 public Q_SLOTS:
  void imgAgenceClick();
  void lbAgenceClick();
  void imgTransfertRemiseAchatClick();
  void lbTransfertRemiseAchatClick();
  void imgTransfertRemiseVenteClick();
  void lbTransfertRemiseVenteClick();
  void imgTransfertPersoClick();
  void lbTransfertPersoClick();
  void imgTransfertMessagerieClick();
  void lbTransfertMessagerieClick();
  void imgTransfertDocumentClick();
  void lbTransfertDocumentClick();
  void imgNettoyageClientClick();
  void lbNettoyageClientsClick();
  void imgStatsClick();
  void lbStatsClick();
  void ImpressionClick();

 private:
  struct Tuile {
    ZoneTuile* image = nullptr;
    ZoneTuile* label = nullptr;
  };
  Tuile AjouterTuile(const char* image, const char* label, const char* libelle, QRect r);
  void EffetPression(const Tuile& t);
  // Press effect, then the window made by `creer` shown modally and destroyed.
  void OuvrirTache(const Tuile& t, const std::string& classe, int mode = 0);
  void OuvrirAgence();

  corv::Application& app_;
  QWidget* Panel1_ = nullptr;
  QLabel* LabelVersion_ = nullptr;
  Tuile agence_, remiseAchat_, remiseVente_, perso_, messagerie_, document_, nettoyage_, stats_, impression_;
};

}  // namespace corv
