#pragma once
// `corvanes --captures DIR`: each window of the program opened in turn on the
// installation and saved as a PNG named after its class (a window shown on
// several pages adds the page: "TFicheAgence_Fournisseurs.png").
//
// Each window file contributes its steps through a function declared here and
// called from EtapesCapture(); add yours there.
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace corv {

class Application;

class ContexteCapture {
 public:
  ContexteCapture(Application& app, QString dir, QWidget* principale)
      : app_(app), dir_(std::move(dir)), principale_(principale) {}
  Application& app() { return app_; }
  QWidget* principale() { return principale_; }
  // Shows the widget if needed, lets it lay out and paint, saves DIR/nom.png.
  bool Capturer(QWidget* w, const std::string& nom);
  const std::vector<std::string>& fichiers() const { return fichiers_; }
  const std::vector<std::string>& echecs() const { return echecs_; }

 private:
  Application& app_;
  QString dir_;
  QWidget* principale_;
  std::vector<std::string> fichiers_, echecs_;
};

struct EtapeCapture {
  std::string nom;  // the window's class
  std::function<void(ContexteCapture&)> executer;
};

// The main menu (the program's main window) and the agency card.
void AjouterCapturesMain(std::vector<EtapeCapture>& etapes);
void AjouterCapturesAgence(std::vector<EtapeCapture>& etapes);
// The product selection for one supplier with ticked families, and the article codes.
void AjouterCapturesSelectionModele(std::vector<EtapeCapture>& etapes);
void AjouterCapturesCodeArticle(std::vector<EtapeCapture>& etapes);
// The transfer windows and the client clean-up, each after a simulation run
// (the sales conditions as "TFicheCopieRemiseAchatVersAgence_Vente"), then the
// backups window after a real purchase conditions run, before and after its
// restoration ("TFicheRestauration", "TFicheRestauration_Restauree").
void AjouterCapturesTransferts(std::vector<EtapeCapture>& etapes);
// The statistics window after a search on each tab, a row selected
// ("TFicheStatistiqueAgence_tsStatsCommunes", ...).
void AjouterCapturesStatistiques(std::vector<EtapeCapture>& etapes);

std::vector<EtapeCapture> EtapesCapture();

// Runs every step; returns the number of captures that failed. A step that
// throws is counted as failed and the next one runs.
int ExecuterCaptures(ContexteCapture& ctx);

}  // namespace corv
