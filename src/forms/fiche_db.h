#pragma once
// The record card: a sorted list of the records of one table on the left, the
// fields of the selected record on pages on the right, a toolbar to move,
// create, delete, cancel and close. A derived card plugs in its table and
// answers the virtual operations; the card itself decides nothing about what a
// record holds.
//
// Fields bound with LierChamp are shown from the record when it is selected and
// written into it when it is saved; the derived card loads and stores its other
// controls in ChargerFiche / EnregistrerFiche.
//
// Failures: an operation of the derived card that can fail returns its Status;
// the card shows it (Signaler: one error box, French first) and ends the
// user's action there. Nothing is thrown for an expected failure.
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "data/composant.h"

class QLineEdit;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace corv {

class Application;
class ListeSimple;
class Dialogs;

class TFicheDB : public QDialog {
  Q_OBJECT
 public:
  // The card edits `table`; mode 1 = management.
  TFicheDB(corv::Application& app, QWidget* owner, int mode, corv::Composant& table);
  ~TFicheDB() override;

  // Card state.
  bool PremierAffichage = true;
  std::vector<std::pair<std::string, int>> Cles;  // key, running number of the entry
  int Mode = 1;
  int IndexCourant = -1;
  bool TableOuverteParFiche = false;
  int Etat = 0;  // 0 nothing pending, 2 shown record in edit, 4 just deleted
  corv::Composant& Table;

  // Virtual operations, in slot order.
  virtual bool Valider();
  virtual bool PeutSupprimer() = 0;
  virtual std::string NomElement() = 0;
  virtual int RemplirListe();
  // The card's own controls from the current record (IndexCourant < 0: none).
  virtual pdx::Status ChargerFiche() = 0;
  virtual bool EnregistrerFiche() = 0;
  virtual std::string LibelleCourant() = 0;
  virtual pdx::Status SetNom(const std::string& nom) = 0;
  virtual std::string CleCourante() = 0;
  virtual std::string NouvelleCle() = 0;
  virtual std::string CleDepuisPrefixe() { return ""; }
  virtual pdx::Status SetCle(const std::string& cle) = 0;
  virtual void Selectionner() = 0;
  virtual bool EstArchive() { return false; }
  virtual bool CreationAvecPrefixe() { return false; }
  virtual bool EstListe() { return true; }
  virtual bool ApresCreation() { return true; }
  virtual bool ApresSuppression() { return true; }

  corv::Application& app() { return app_; }
  corv::Dialogs& dialogs();
  ListeSimple* cblNom() const { return cblNom_; }
  QTabWidget* pcData() const { return pcData_; }

 public Q_SLOTS:
  void FormCreate();
  virtual void FormActivate();
  void cblNomChange();
  void tbPrecedantClick();
  void tbSuivantClick();
  void tbSupprimerClick();
  void tbAnnulerClick();
  virtual void tbNouveauClick() {}
  virtual void bFermerClick();

 protected:
  // The key line of an entry's tag; "" when none.
  std::string CleDuTag(int tag) const;
  int ProchainTag() const;
  // Shows a field of the table in an edit line (and writes it back on save).
  void LierChamp(QLineEdit* edit, const std::string& champ);
  // The bound fields from the current record (empty when none is shown).
  void AfficherChamps(bool vide);
  // The bound fields into the record buffer; false after an error box.
  bool EcrireChamps();
  // The entry's text for the record being saved (from the edited values); ""
  // leaves the entry as it is.
  virtual std::string LibelleSaisi() { return ""; }
  // The bound fields accept typing only while the shown record is in edit
  // (fields made read-only by the card stay so).
  void DefinirSaisie(bool active);
  // The key search buffer filled by SetCle.
  std::vector<pdx::Value> TamponCle;

  // A failure, shown in one error box (its French text, the detail after it);
  // false then, true for OK. The user's action ends there.
  bool Signaler(const pdx::Status& s);
  // A failure of the card's table, shown in an error box naming the file: the
  // user's action ends there and the card stays as it was.
  void SignalerErreurTable(const pdx::Status& s);
  // The closing steps without the question, once (derived destructors call it).
  void FermerSansQuestion();
  bool FormCloseQuery();
  virtual void FormClose();
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool event(QEvent* e) override;
  void reject() override;

  QToolBar* tbFicheDB = nullptr;
  QToolButton *tbPrecedant = nullptr, *tbSuivant = nullptr, *tbSelectionner = nullptr, *tbNouveau = nullptr,
              *tbSupprimer = nullptr, *tbAnnuler = nullptr, *tbImprimer = nullptr, *bFermer = nullptr;
  QWidget* tsNom = nullptr;

 private:
  // No record shown; charger: the card's own controls emptied too (ChargerFiche).
  void MontrerAucun(bool charger = true);
  QToolButton* Bouton(const char* nom, const char* texte, int icone);

  corv::Application& app_;
  ListeSimple* cblNom_ = nullptr;
  QTabWidget* pcData_ = nullptr;
  std::vector<std::pair<QLineEdit*, std::string>> champs_;
  std::vector<QLineEdit*> lectureSeule_;  // read-only whatever the state
  bool ferme_ = false;
};

}  // namespace corv
