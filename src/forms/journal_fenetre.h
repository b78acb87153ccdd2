#pragma once
// The line under a task window's lists that says where its last run's journal
// went (selectable, so the path can be copied); a journal that could not be
// written is shown in red and said in a warning box, the run's result unchanged.
#include "data/journal.h"

class QLabel;
class QWidget;

namespace corv {

class Dialogs;

QLabel* NouveauLabelJournal(QWidget* parent);
void AfficherJournal(QLabel* label, const JournalEcrit& journal, Dialogs& dialogs);

}  // namespace corv
