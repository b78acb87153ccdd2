#include "forms/liste_simple.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace corv {

ListeSimple::ListeSimple(QWidget* parent) : QWidget(parent) {
  auto* l = new QVBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(2);
  edition_ = new QLineEdit(this);
  edition_->setObjectName("cblNomEdition");
  liste_ = new QListWidget(this);
  liste_->setObjectName("cblNomListe");
  liste_->setSelectionMode(QAbstractItemView::SingleSelection);
  l->addWidget(edition_);
  l->addWidget(liste_, 1);
  setFocusProxy(liste_);
  connect(liste_, &QListWidget::currentRowChanged, this, [this](int) {
    if (!silencieux_) Q_EMIT change();
  });
  connect(edition_, &QLineEdit::textEdited, this, [this](const QString& t) {
    if (t.isEmpty()) return;
    for (int i = 0; i < liste_->count(); ++i)
      if (liste_->item(i)->text().startsWith(t, Qt::CaseInsensitive)) {
        liste_->scrollToItem(liste_->item(i));
        silencieux_ = true;
        liste_->setCurrentRow(i, QItemSelectionModel::NoUpdate);
        silencieux_ = false;
        return;
      }
  });
  connect(edition_, &QLineEdit::returnPressed, this, [this] {
    for (int i = 0; i < liste_->count(); ++i)
      if (!edition_->text().isEmpty() && liste_->item(i)->text().startsWith(edition_->text(), Qt::CaseInsensitive)) {
        ChoisirParUtilisateur(i);
        return;
      }
  });
}

int ListeSimple::Ajouter(const QString& texte, int tag) {
  int i = 0;
  while (i < liste_->count() && QString::compare(liste_->item(i)->text(), texte, Qt::CaseInsensitive) <= 0) ++i;
  auto* item = new QListWidgetItem(texte);
  item->setData(Qt::UserRole, tag);
  silencieux_ = true;
  liste_->insertItem(i, item);
  silencieux_ = false;
  return i;
}

void ListeSimple::Supprimer(int index) {
  silencieux_ = true;
  delete liste_->takeItem(index);
  silencieux_ = false;
}

void ListeSimple::Vider() {
  silencieux_ = true;
  liste_->clear();
  silencieux_ = false;
}

int ListeSimple::Compte() const { return liste_->count(); }
QString ListeSimple::Texte(int index) const { return liste_->item(index) ? liste_->item(index)->text() : QString(); }
void ListeSimple::ChangerTexte(int index, const QString& texte) {
  if (liste_->item(index)) liste_->item(index)->setText(texte);
}
int ListeSimple::Tag(int index) const { return liste_->item(index) ? liste_->item(index)->data(Qt::UserRole).toInt() : -1; }

int ListeSimple::IndexSelectionne() const {
  QListWidgetItem* it = liste_->currentItem();
  return it && it->isSelected() ? liste_->row(it) : -1;
}

void ListeSimple::Selectionner(int index) {
  silencieux_ = true;
  if (index < 0 || index >= liste_->count()) {
    liste_->setCurrentRow(-1);
    liste_->clearSelection();
  } else {
    liste_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    liste_->scrollToItem(liste_->item(index));
  }
  silencieux_ = false;
}

void ListeSimple::ChoisirParUtilisateur(int index) {
  Selectionner(index);
  Q_EMIT change();
}

QString ListeSimple::TexteEdition() const { return edition_->text(); }
void ListeSimple::ViderEdition() { edition_->clear(); }
void ListeSimple::DefinirSuspendu(bool suspendu) { liste_->setUpdatesEnabled(!suspendu); }

}  // namespace corv
