#pragma once
// "Statistiques": the three computations of the agency statistics, one tab
// each ("Stats des agences", "Stats achats/ventes", "Stats des fournisseurs"),
// searched over a period, sorted by any column, the selected row's details
// beside the purchase and supplier lists, any list exported to a
// semicolon-separated file.
//
// A search runs the core's statistics run on a worker thread (it reads every
// agency's files) with the wait cursor shown; the tab's progress bar follows
// the agencies. One search at a time: the "Rechercher" and "Exporter" buttons
// are disabled meanwhile, and closing the window during a search stops it
// after the agency in progress. Created on demand, shown modally, destroyed
// on close with every list and figure.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "stats/resultat.h"

class QPushButton;
class QTabWidget;

namespace corv {

class Application;
class Dialogs;
class DialogsRelais;
class OngletStatistique;
class TacheFenetre;

class TFicheStatistiqueAgence : public QDialog {
  Q_OBJECT
 public:
  explicit TFicheStatistiqueAgence(Application& app, QWidget* parent = nullptr);
  ~TFicheStatistiqueAgence() override;

  QTabWidget* PageControl;
  OngletStatistique* tsStatsCommunes;      // "Stats des agences"
  OngletStatistique* tsStatsClients;       // "Stats achats/ventes"
  OngletStatistique* tsStatsFournisseurs;  // "Stats des fournisseurs"
  QPushButton* btnFermer;

  OngletStatistique* Onglet(Calcul calcul) const;
  bool EnCours() const;
  // Blocks (processing events) until the search in progress, if any, is over.
  void AttendreFin();
  // Agencies read at once by a search (1: one after another).
  void DefinirParallele(int n) { parallele_ = n < 1 ? 1 : n; }

 public Q_SLOTS:
  void btnRechercherClick();
  void btnRechercherAchatClick();
  void btnRechercherFnsClick();
  void btnExportAgenceClick();
  void btnExportAchatClick();
  void btnExportFnsClick();
  // A header click sorts its list by that column (the core's comparison).
  void ListViewGlobaleColumnClick(int colonne);
  void lwAchatColumnClick(int colonne);
  void lwDetailAchatColumnClick(int colonne);
  void lwFnsColumnClick(int colonne);
  void lwDetailFnsColumnClick(int colonne);
  // The selection of a row fills its details and the group box caption.
  void lwAchatSelectItem();
  void lwFnsSelectItem();

 Q_SIGNALS:
  void rechercheTerminee();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void FormResize();
  void Rechercher(OngletStatistique& onglet);
  void Terminer(const QString& erreur);
  void Exporter(OngletStatistique& onglet);
  void ActiverBoutons(bool actif);

  Application& app_;
  Dialogs& dialogs_;
  // Shared with the search in progress, which shows its boxes through it.
  std::shared_ptr<DialogsRelais> relais_;
  TacheFenetre* tache_;
  OngletStatistique* enCours_ = nullptr;  // the tab of the search in progress
  // Where the search in progress leaves its result (its thread writes it; read
  // once the search is over).
  std::shared_ptr<ResultatStatistiques> resultat_;
  std::vector<std::string> erreurs_;    // lines the run could not count
  int parallele_ = 1;
};

}  // namespace corv
