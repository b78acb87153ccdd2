#pragma once
// A framed group of mutually exclusive choices read by position (item 0, 1,
// ...): the caption on the frame, one radio button per item.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace corv {

class GroupeRadio : public QGroupBox {
  Q_OBJECT
 public:
  GroupeRadio(const QString& titre, const QStringList& items, QWidget* parent = nullptr);

  // The checked item, -1 when none.
  int ItemIndex() const;
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;
  int NombreItems() const;

 Q_SIGNALS:
  void itemChange(int index);

 private:
  QButtonGroup* groupe_;
};

}  // namespace corv
