#include "forms/liste_rapport.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace corv {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Draws the grid: a line on the right and at the bottom of every cell.
class DelegueGrille : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(p, option, index);
    p->save();
    p->setPen(QColor(208, 208, 208));
    const QRect r = option.rect;
    p->drawLine(r.topRight(), r.bottomRight());
    p->drawLine(r.bottomLeft(), r.bottomRight());
    p->restore();
  }
};

Qt::Alignment Alignement(int colonne) {
  return (colonne == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
}

}  // namespace

ListeRapport::ListeRapport(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);  // the core sorts; a header click is handled by the window
  setItemDelegate(new DelegueGrille(this));
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setSortIndicatorShown(true);
}

void ListeRapport::DefinirColonnes(const std::vector<std::string>& colonnes) {
  setColumnCount(static_cast<int>(colonnes.size()));
  QStringList t;
  for (const std::string& c : colonnes) t << Q(c);
  setHeaderLabels(t);
  for (int c = 0; c < columnCount(); ++c) headerItem()->setTextAlignment(c, Alignement(c));
  MontrerTri(0);
  for (int c = 0; c < columnCount(); ++c) resizeColumnToContents(c);
}

void ListeRapport::Remplir(const std::vector<LigneStat>& lignes, int selection) {
  setUpdatesEnabled(false);
  clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(lignes.size()));
  for (size_t i = 0; i < lignes.size(); ++i) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, Q(lignes[i].libelle));
    item->setTextAlignment(0, Alignement(0));
    for (size_t c = 0; c < lignes[i].cellules.size() && static_cast<int>(c) + 1 < columnCount(); ++c) {
      item->setText(static_cast<int>(c) + 1, Q(lignes[i].cellules[c]));
      item->setTextAlignment(static_cast<int>(c) + 1, Alignement(static_cast<int>(c) + 1));
    }
    item->setData(0, Qt::UserRole, static_cast<int>(i));
    items.push_back(item);
  }
  addTopLevelItems(items);
  for (int c = 0; c < columnCount(); ++c) resizeColumnToContents(c);
  setUpdatesEnabled(true);
  Selectionner(selection);
}

void ListeRapport::Vider() { clear(); }

int ListeRapport::IndexSelectionne() const {
  const QList<QTreeWidgetItem*> s = selectedItems();
  if (s.isEmpty()) return -1;
  return s.front()->data(0, Qt::UserRole).toInt();
}

void ListeRapport::Selectionner(int index) {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = topLevelItem(i);
    if (item->data(0, Qt::UserRole).toInt() == index) {
      setCurrentItem(item);
      scrollToItem(item);
      return;
    }
  }
  clearSelection();
  setCurrentItem(nullptr);
}

void ListeRapport::MontrerTri(int colonne) {
  header()->setSortIndicator(colonne, colonne == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

std::vector<std::string> ListeRapport::Textes(int ligne) const {
  std::vector<std::string> t;
  const QTreeWidgetItem* item = topLevelItem(ligne);
  if (!item) return t;
  for (int c = 0; c < columnCount(); ++c) t.push_back(item->text(c).toStdString());
  return t;
}

}  // namespace corv
