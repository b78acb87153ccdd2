#pragma once
// "Selection produits": for one supplier of one agency, the product families and
// the models of each family the agency receives. Opened modally from the agency
// card's supplier grid with the row's selection text; the text it leaves is
// written back into the grid.
//
// The window only binds its two check lists to corv::SelectionProduits, which
// reads the catalogue tables and keeps the XML selection document.
#include <QDialog>
#include <memory>
#include <string>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace corv {

class Dialogs;
class SelectionProduits;
class TDM;

class TFicheSelectionModele : public QDialog {
  Q_OBJECT

 public:
  // fournisseur: the grid row's supplier code; selection: its current selection
  // text ("" = nothing selected).
  TFicheSelectionModele(corv::TDM& dm, corv::Dialogs& dialogs, const std::string& fournisseur,
                        const std::string& selection, QWidget* parent = nullptr);
  ~TFicheSelectionModele() override;

  // The selection text as the window leaves it: "" when no family is ticked,
  // otherwise the whole XML document. Read it after exec().
  std::string Selection() const;

  // Shows the window modally for one supplier and writes the text it leaves back
  // into *selection. Returns true when the text changed.
  static bool Editer(corv::TDM& dm, corv::Dialogs& dialogs, const std::string& fournisseur,
                     std::string* selection, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private Q_SLOTS:
  void cblFamilleClick();
  void cblFamilleClickCheck(QListWidgetItem* item);
  void clbModeleClickCheck(QListWidgetItem* item);

 private:
  void FormActivate();
  void RemplirModeles();

  std::unique_ptr<corv::SelectionProduits> selection_;
  corv::Dialogs& dialogs_;
  QListWidget* cblFamille_ = nullptr;
  QListWidget* clbModele_ = nullptr;
  QPushButton* Button1_ = nullptr;
  bool remplissageFamille_ = false;  // check events ignored while a list is filled
  bool remplissageModele_ = false;
  bool active_ = false;
};

}  // namespace corv
