#pragma once
// One tab of the statistics window: its period (two date fields that may stay
// empty), "Rechercher", the main list, for the purchase and supplier tabs the
// detail group box and list filled from the selected row, "Exporter" with its
// progress bar and done mark. The tab keeps the list's figures (a
// corv::ListeStat) and shows them: sorting a column and filling the details go
// through the core's list; the search, the export and the handlers of the
// controls' events are the window's.
#include <QWidget>
#include <string>

#include "stats/lignes.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace corv {

class ChampDate;
class ListeRapport;

class OngletStatistique : public QWidget {
  Q_OBJECT
 public:
  // Object names of the tab's controls; detail and groupe empty for a tab
  // without details.
  struct Noms {
    const char* onglet;
    const char* debut;
    const char* fin;
    const char* rechercher;
    const char* liste;
    const char* groupe;
    const char* detail;
    const char* exporter;
    const char* progression;
    const char* image;
  };
  OngletStatistique(Calcul calcul, const Noms& noms, QWidget* parent = nullptr);

  Calcul calcul() const { return calcul_; }
  const ListeStat& liste() const { return liste_; }

  // A new search: the main list is emptied, the details too.
  void Vider();
  // The figures of a search, sorted by the list's current columns.
  void Afficher(ListeStat liste);
  // Sorts the main list (or the detail list) by a column, which becomes its
  // sort column; the selected row stays selected.
  void TrierListe(int colonne);
  void TrierDetail(int colonne);
  // The selection changed: the group box caption and the detail rows follow it.
  void SelectionChangee();
  // The rule of the window's FormResize for this tab's size.
  void Disposer();

  ChampDate* dtDebut;
  ChampDate* dtFin;
  QLabel* lbDebut;
  QLabel* lbFin;
  QPushButton* btnRechercher;
  ListeRapport* lwListe;
  QGroupBox* gbDetail = nullptr;      // null on the first tab
  ListeRapport* lwDetail = nullptr;   // null on the first tab
  QPushButton* btnExport;
  QProgressBar* pbExport;
  QLabel* imgExport;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void AfficherDetail();

  Calcul calcul_;
  ListeStat liste_;
};

}  // namespace corv
