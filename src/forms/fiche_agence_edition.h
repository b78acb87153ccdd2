#pragma once
// The agency card's "Edition" page: a title and the grid tsEdition ("Agences",
// "Fournisseurs"), for the agency shown or, with "Toutes les agences" ticked,
// for every agency of the list. The grid's own context menu prints it and
// exports it to a semicolon-separated file.
#include <QWidget>
#include <string>
#include <vector>

#include "agency/carte_agence.h"

class QCheckBox;
class QLabel;
class QTableWidget;

namespace corv {

class Application;

class PageEdition : public QWidget {
  Q_OBJECT
 public:
  PageEdition(corv::Application& app, QWidget* parent = nullptr);

  void Afficher(const std::string& titre, const std::vector<corv::LigneEdition>& lignes);
  bool ToutesLesAgences() const;
  std::string Titre() const { return titre_; }
  const std::vector<corv::LigneEdition>& Lignes() const { return lignes_; }

  // Asks a file name and writes the grid there; false when cancelled or refused.
  bool Exporter();
  void Imprimer();

 Q_SIGNALS:
  void cbToutesLesAgencesClick();

 private:
  corv::Application& app_;
  QCheckBox* cbToutesLesAgences_ = nullptr;
  QLabel* lbTitre_ = nullptr;
  QTableWidget* tsEdition_ = nullptr;
  std::string titre_;
  std::vector<corv::LigneEdition> lignes_;
};

}  // namespace corv
