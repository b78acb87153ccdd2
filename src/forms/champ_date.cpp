#include "forms/champ_date.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

#include "util/dates.h"

namespace corv {

namespace {
const QDate kSansDate(1899, 12, 31);
}  // namespace

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
  // The lowest date of the range stands for "no date" and shows as such; the
  // dates of the documents start well after it.
  edition_->setDateRange(kSansDate, QDate(2100, 12, 31));
  edition_->setSpecialValueText(QStringLiteral("(aucune)"));
  l->addWidget(coche_);
  l->addWidget(edition_, 1);
  edition_->setDate(kSansDate);
  edition_->setEnabled(false);
  connect(coche_, &QCheckBox::toggled, this, [this](bool coche) {
    edition_->setEnabled(coche);
    if (coche) {
      edition_->setDate(derniere_.isValid() ? derniere_ : QDate::currentDate());
    } else {
      if (edition_->date() != kSansDate) derniere_ = edition_->date();
      edition_->setDate(kSansDate);
    }
  });
  setFixedSize(sizeHint().expandedTo(QSize(130, 0)));
}

bool ChampDate::Vide() const { return !coche_->isChecked() || edition_->date() == kSansDate; }

double ChampDate::Jour() const { return Vide() ? 0 : JourDeDate(edition_->date()); }

void ChampDate::DefinirDate(const QDate& date) {
  derniere_ = date;
  coche_->setChecked(true);
  edition_->setDate(date);
}

void ChampDate::Vider() { coche_->setChecked(false); }

}  // namespace corv
