#pragma once
// "Gestion des Codes Article": the rows of "CodeArticle.DB" in a grid sorted by
// key, the selected row's fields below it, and buttons to add, change and
// delete a row and to export the table to, or import it from, a
// semicolon-separated file in a directory the user chooses. Created on demand,
// shown modally, destroyed on close.
//
// The window only binds its controls to corv::CodesArticle, which owns every
// table and file operation and its messages.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace corv {

class CodesArticle;
class Dialogs;
class HostPaths;
class TDM;

class TFicheCodeArticle : public QDialog {
  Q_OBJECT

 public:
  TFicheCodeArticle(corv::TDM& dm, corv::HostPaths& host, corv::Dialogs& dialogs, QWidget* parent = nullptr);
  ~TFicheCodeArticle() override;

  // Creates, shows modally and destroys the window.
  static void Executer(corv::TDM& dm, corv::HostPaths& host, corv::Dialogs& dialogs, QWidget* parent = nullptr);

  // The grid row selected (-1: none).
  int LigneCourante() const;
  void SelectionnerLigne(int ligne);

  // Closing hands the table back to the data module.
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private Q_SLOTS:
  void sgCodesSelectionChange();
  void btnAjouterClick();
  void btnModifierClick();
  void btnSupprimerClick();
  void btnExporterClick();
  void btnImporterClick();

 private:
  void FormActivate();
  void RemplirGrille(int selection);
  std::vector<std::string> Saisie() const;
  void MettreAJourBoutons();

  std::unique_ptr<corv::CodesArticle> codes_;
  corv::Dialogs& dialogs_;
  QTableWidget* sgCodes_ = nullptr;
  std::vector<QLineEdit*> edits_;  // one per field, named "ed" + field name
  QLabel* lbNombre_ = nullptr;
  QPushButton* btnAjouter_ = nullptr;
  QPushButton* btnModifier_ = nullptr;
  QPushButton* btnSupprimer_ = nullptr;
  QPushButton* btnExporter_ = nullptr;
  QPushButton* btnImporter_ = nullptr;
  QPushButton* btnFermer_ = nullptr;
  bool active_ = false;
  bool remplissage_ = false;
};

}  // namespace corv
