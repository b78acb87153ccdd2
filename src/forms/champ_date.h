#pragma once
// A date edit that may be left empty: a box to tick in front of the date. An
// unticked box means "no date" (day number 0, no bound on a period); the date
// itself stays editable once ticked, with a calendar to pick it from.
#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

namespace corv {

class ChampDate : public QWidget {
  Q_OBJECT
 public:
  explicit ChampDate(QWidget* parent = nullptr);

  // The day number of the date shown, 0 when the field is empty.
  double Jour() const;
  bool Vide() const;
  void DefinirDate(const QDate& date);  // ticks the box
  void Vider();

  QCheckBox* coche() const { return coche_; }
  QDateEdit* edition() const { return edition_; }

 private:
  QCheckBox* coche_;
  QDateEdit* edition_;
  QDate derniere_;  // the date shown before the field was emptied
};

// Day number (days since 30 December 1899) of a calendar date.
double JourDeDate(const QDate& date);

}  // namespace corv
