#pragma once
// A list in report style as the statistics show theirs: read-only rows under a
// header, grid lines, whole-row single selection, the first column aligned to
// the left and every other to the right. Its rows are the texts of a
// corv::LigneStat list, in the order given (the core sorts them); each item
// remembers the index of its row.
#include <QTreeWidget>
#include <string>
#include <vector>

#include "stats/lignes.h"

namespace corv {

class ListeRapport : public QTreeWidget {
  Q_OBJECT
 public:
  explicit ListeRapport(QWidget* parent = nullptr);

  void DefinirColonnes(const std::vector<std::string>& colonnes);
  // Replaces the rows; selection: index of the row to select, -1 none. Column
  // widths follow the texts so that no caption or figure is cut.
  void Remplir(const std::vector<LigneStat>& lignes, int selection = -1);
  void Vider();
  // The index (in the rows given to Remplir) of the selected row, -1 when none.
  int IndexSelectionne() const;
  void Selectionner(int index);
  // The header's mark of the sort column: names in ascending order, figures in
  // decreasing order.
  void MontrerTri(int colonne);
  // The row texts as shown (caption first), for the tests and the captures.
  std::vector<std::string> Textes(int ligne) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Widths from the captions (wrapped) and the texts, so that none is cut.
  void AjusterColonnes();
};

}  // namespace corv
