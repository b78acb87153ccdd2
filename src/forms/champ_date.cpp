#include "forms/champ_date.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

#include "util/dates.h"

namespace corv {

double JourDeDate(const QDate& date) { return DayNumber(date.year(), date.month(), date.day()); }

ChampDate::ChampDate(QWidget* parent) : QWidget(parent) {
  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(2);
  coche_ = new QCheckBox(this);
  coche_->setToolTip(QStringLiteral("Cocher pour borner la période à cette date"));
  edition_ = new QDateEdit(QDate::currentDate(), this);
  edition_->setCalendarPopup(true);
  edition_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
  // The day numbers of the documents start in 1980; the range keeps the
  // calendar on plausible years.
  edition_->setDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
  l->addWidget(coche_);
  l->addWidget(edition_, 1);
  edition_->setEnabled(false);
  connect(coche_, &QCheckBox::toggled, edition_, &QDateEdit::setEnabled);
  setFixedSize(sizeHint().expandedTo(QSize(130, 0)));
}

bool ChampDate::Vide() const { return !coche_->isChecked(); }

double ChampDate::Jour() const { return Vide() ? 0 : JourDeDate(edition_->date()); }

void ChampDate::DefinirDate(const QDate& date) {
  edition_->setDate(date);
  coche_->setChecked(true);
}

void ChampDate::Vider() { coche_->setChecked(false); }

}  // namespace corv
