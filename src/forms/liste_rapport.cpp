#include "forms/liste_rapport.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>
#include <algorithm>
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

// A header whose captions wrap on up to three lines, so that long captions
// ("Total achat produits vendus HT (€)") need not widen their columns; room is
// kept on the right of each section for the sort mark.
class EnteteRapport : public QHeaderView {
 public:
  static constexpr int kLignesMax = 3;
  static constexpr int kMarqueTri = 14;
  explicit EnteteRapport(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

  // The narrowest width showing the caption on at most `lignes` lines.
  int LargeurCaption(const QString& texte, int lignes) const {
    const QFontMetrics fm(font());
    if (lignes <= 1) return fm.horizontalAdvance(texte) + 2 * kMarge + kMarqueTri + 2;
    int mot = 0;
    for (const QString& m : texte.split(' ', Qt::SkipEmptyParts)) mot = std::max(mot, fm.horizontalAdvance(m));
    int l = std::max(mot, fm.horizontalAdvance(texte) / lignes);
    while (Lignes(texte, l) > lignes) l += 4;
    return l + 2 * kMarge + kMarqueTri;
  }
  QSize sizeHint() const override {
    QSize s = QHeaderView::sizeHint();
    const QFontMetrics fm(font());
    int lignes = 1;
    for (int c = 0; c < count(); ++c)
      lignes = std::max(lignes, Lignes(model() ? model()->headerData(c, Qt::Horizontal).toString() : QString(),
                                       sectionSize(c) - 2 * kMarge - kMarqueTri));
    s.setHeight(std::max(s.height(), lignes * fm.lineSpacing() + 8));
    return s;
  }

 protected:
  void paintSection(QPainter* p, const QRect& rect, int section) const override {
    if (!rect.isValid()) return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = section;
    opt.text.clear();
    if (isSortIndicatorShown() && sortIndicatorSection() == section)
      opt.sortIndicator = sortIndicatorOrder() == Qt::AscendingOrder ? QStyleOptionHeader::SortDown
                                                                     : QStyleOptionHeader::SortUp;
    p->save();
    style()->drawControl(QStyle::CE_Header, &opt, p, this);
    p->restore();
    const QString texte = model() ? model()->headerData(section, Qt::Horizontal).toString() : QString();
    const Qt::Alignment a = (section == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
    p->drawText(rect.adjusted(kMarge, 2, -kMarge - kMarqueTri, -2), static_cast<int>(a) | static_cast<int>(Qt::TextWordWrap),
                texte);
  }

 private:
  static constexpr int kMarge = 4;
  int Lignes(const QString& texte, int largeur) const {
    if (largeur <= 0) return kLignesMax + 1;
    const QFontMetrics fm(font());
    const QRect r = fm.boundingRect(QRect(0, 0, largeur, 10000), Qt::TextWordWrap, texte);
    return std::max(1, (r.height() + fm.lineSpacing() / 2) / fm.lineSpacing());
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
  setHeader(new EnteteRapport(this));
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
  AjusterColonnes();
}

void ListeRapport::AjusterColonnes() {
  auto* entete = static_cast<EnteteRapport*>(header());
  const QFontMetrics fm(font());
  // Captions on one line when every column then fits in the list, wrapped
  // otherwise.
  std::vector<int> texte(static_cast<size_t>(columnCount()), 0), uneLigne(texte), plusieurs(texte);
  int total = 0;
  for (int c = 0; c < columnCount(); ++c) {
    const size_t k = static_cast<size_t>(c);
    for (int i = 0; i < topLevelItemCount(); ++i)
      texte[k] = std::max(texte[k], fm.horizontalAdvance(topLevelItem(i)->text(c)) + 14);
    uneLigne[k] = std::max(texte[k], entete->LargeurCaption(headerItem()->text(c), 1));
    plusieurs[k] = std::max(texte[k], entete->LargeurCaption(headerItem()->text(c), EnteteRapport::kLignesMax));
    total += uneLigne[k];
  }
  const bool surUneLigne = total <= viewport()->width();
  for (int c = 0; c < columnCount(); ++c)
    entete->resizeSection(c, (surUneLigne ? uneLigne : plusieurs)[static_cast<size_t>(c)]);
  // The header's height follows its captions' lines.
  entete->updateGeometry();
  updateGeometries();
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
  AjusterColonnes();
  setUpdatesEnabled(true);
  Selectionner(selection);
}

void ListeRapport::Vider() { clear(); }

void ListeRapport::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  AjusterColonnes();
}

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
