#include "forms/groupe_radio.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corv {

GroupeRadio::GroupeRadio(const QString& titre, const QStringList& items, QWidget* parent)
    : QGroupBox(titre, parent), groupe_(new QButtonGroup(this)) {
  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], this);
    groupe_->addButton(b, i);
    layout->addWidget(b);
  }
  connect(groupe_, &QButtonGroup::idClicked, this, &GroupeRadio::itemChange);
}

int GroupeRadio::ItemIndex() const { return groupe_->checkedId(); }

void GroupeRadio::SetItemIndex(int index) {
  if (QAbstractButton* b = groupe_->button(index)) b->setChecked(true);
}

QRadioButton* GroupeRadio::Item(int index) const { return qobject_cast<QRadioButton*>(groupe_->button(index)); }

int GroupeRadio::NombreItems() const { return static_cast<int>(groupe_->buttons().size()); }

}  // namespace corv
