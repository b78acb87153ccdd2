#pragma once
// "Fiche Agence": the record card of "Agence.DB" on which head office declares
// its agencies, their directories, codes and options, and the suppliers each one
// receives. The table work is corv::CarteAgence's; the supplier grid and the
// "Edition" page are pieces of their own.
#include <memory>

#include "agency/carte_agence.h"
#include "forms/fiche_db.h"

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace corv {

class GrilleFournisseurs;
class PageEdition;

class TFicheAgence : public TFicheDB {
  Q_OBJECT
 public:
  explicit TFicheAgence(corv::Application& app, QWidget* owner = nullptr);
  ~TFicheAgence() override;

  bool PeutSupprimer() override { return true; }
  std::string NomElement() override { return "Agence"; }
  pdx::Status ChargerFiche() override;
  bool EnregistrerFiche() override;
  std::string LibelleCourant() override;
  pdx::Status SetNom(const std::string& nom) override;
  std::string CleCourante() override;
  std::string NouvelleCle() override { return ""; }
  pdx::Status SetCle(const std::string& cle) override;
  void Selectionner() override {}
  std::string LibelleSaisi() override;

  corv::CarteAgence& carte() { return *carte_; }
  GrilleFournisseurs* grille() const { return tsFournisseurs_; }
  PageEdition* edition() const { return TabSheet2_; }

 public Q_SLOTS:
  void FormActivate() override;
  void tbNouveauClick() override;
  void bFermerClick() override;
  void Label12Click();
  void cbFigerFournisseurClick();
  void TabSheet2Show();
  void btnConfigImpressionClick();
  void Label14Click();
  void DetailClick(int row);
  void btnToutSelectionnerClick();
  void btnToutDeselectionnerClick();

 protected:
  void FormClose() override;

 private:
  QLineEdit* Champ(QWidget* parent, const char* nom, const std::string& champ);
  std::string Repertoire() const;
  std::string CodeAffiche() const;

  std::unique_ptr<corv::CarteAgence> carte_;
  bool ouverte_ = false;
  pdx::Status fermetureTable_;  // closing the agency table on construction
  QLineEdit *Nom_ = nullptr, *Code_ = nullptr, *Repertoire_ = nullptr;
  QCheckBox *cbSaufAdministration_ = nullptr, *cbFigerFournisseur_ = nullptr, *cbRelanceObligatoire_ = nullptr;
  QSpinBox* ceImportClientPeriode_ = nullptr;
  QDoubleSpinBox* ceMargeRisque_ = nullptr;
  QWidget* TabSheet1_ = nullptr;
  GrilleFournisseurs* tsFournisseurs_ = nullptr;
  PageEdition* TabSheet2_ = nullptr;
};

}  // namespace corv
