#include "forms/fiche_agence_fournisseurs.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>

namespace corv {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

GrilleFournisseurs::GrilleFournisseurs(QWidget* parent) : QTableWidget(0, 5, parent) {
  setObjectName("tsFournisseurs");
  setHorizontalHeaderLabels({"", "Fournisseur", "Code", "Détail", "Blob"});
  setColumnHidden(kCode, true);
  setColumnHidden(kBlob, true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  verticalHeader()->setVisible(false);
  verticalHeader()->setDefaultSectionSize(22);
  horizontalHeader()->setSectionResizeMode(kCoche, QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode(kNom, QHeaderView::Stretch);
  horizontalHeader()->setSectionResizeMode(kDetail, QHeaderView::Fixed);
  setColumnWidth(kCoche, 30);
  setColumnWidth(kDetail, 60);
  connect(this, &QTableWidget::cellClicked, this, [this](int row, int col) {
    if (col == kCoche) Basculer(row);
  });
  connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int col) {
    if (col == kNom) Basculer(row);
  });
}

void GrilleFournisseurs::Remplir(const std::vector<corv::LigneFournisseur>& lignes) {
  setRowCount(static_cast<int>(lignes.size()));
  for (int r = 0; r < rowCount(); ++r) {
    const corv::LigneFournisseur& l = lignes[static_cast<size_t>(r)];
    auto* coche = new QTableWidgetItem(l.attache ? "O" : "N");
    coche->setTextAlignment(Qt::AlignCenter);
    setItem(r, kCoche, coche);
    setItem(r, kNom, new QTableWidgetItem(Q(l.nom)));
    setItem(r, kCode, new QTableWidgetItem(Q(l.code)));
    setItem(r, kBlob, new QTableWidgetItem(Q(l.texte)));
    auto* b = qobject_cast<QPushButton*>(cellWidget(r, kDetail));
    if (!b) {
      b = new QPushButton(this);
      b->setObjectName("Detail");
      b->setFocusPolicy(Qt::NoFocus);
      b->setAutoDefault(false);
      connect(b, &QPushButton::clicked, this, [this, b] {
        for (int i = 0; i < rowCount(); ++i)
          if (cellWidget(i, kDetail) == b) {
            if (item(i, kCoche)->text() == "O") Q_EMIT detailDemande(i);
            return;
          }
      });
      setCellWidget(r, kDetail, b);
    }
    b->setText(Q(l.Detail()));
  }
}

corv::LigneFournisseur GrilleFournisseurs::Ligne(int r) const {
  corv::LigneFournisseur l;
  l.attache = item(r, kCoche) && item(r, kCoche)->text() == "O";
  l.nom = item(r, kNom) ? item(r, kNom)->text().toStdString() : "";
  l.code = item(r, kCode) ? item(r, kCode)->text().toStdString() : "";
  l.texte = item(r, kBlob) ? item(r, kBlob)->text().toStdString() : "";
  return l;
}

std::vector<corv::LigneFournisseur> GrilleFournisseurs::Lignes() const {
  std::vector<corv::LigneFournisseur> v;
  for (int r = 0; r < rowCount(); ++r) v.push_back(Ligne(r));
  return v;
}

void GrilleFournisseurs::Cocher(int row, bool attache) {
  if (!item(row, kCoche)) return;
  item(row, kCoche)->setText(attache ? "O" : "N");
  Q_EMIT cocheChangee(row);
}

void GrilleFournisseurs::ToutCocher(bool attache) {
  for (int r = 0; r < rowCount(); ++r) Cocher(r, attache);
}

void GrilleFournisseurs::DefinirTexte(int row, const std::string& texte) {
  if (!item(row, kBlob)) return;
  item(row, kBlob)->setText(Q(texte));
  if (auto* b = qobject_cast<QPushButton*>(cellWidget(row, kDetail))) b->setText(texte.empty() ? "" : "*");
}

int GrilleFournisseurs::RangDuCode(const std::string& code) const {
  for (int r = 0; r < rowCount(); ++r)
    if (item(r, kCode) && item(r, kCode)->text().toStdString() == code) return r;
  return -1;
}

QWidget* GrilleFournisseurs::BoutonDetail(int row) const { return cellWidget(row, kDetail); }

void GrilleFournisseurs::Basculer(int row) {
  if (!item(row, kCoche)) return;
  Cocher(row, item(row, kCoche)->text() != "O");
}

void GrilleFournisseurs::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space && currentRow() >= 0) {
    Basculer(currentRow());
    return;
  }
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentRow() >= 0 &&
      Ligne(currentRow()).attache) {
    Q_EMIT detailDemande(currentRow());
    return;
  }
  QTableWidget::keyPressEvent(e);
}

}  // namespace corv
