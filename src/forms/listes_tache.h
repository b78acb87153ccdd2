#pragma once
// What a task window shows of its run below its progress bars: the running
// log, the error list in red, and the line that says where the run's journal
// went (forms/journal_fenetre.h). The transfer windows, the clean-up and the
// backups window make theirs here.
class QBoxLayout;
class QLabel;
class QListWidget;
class QWidget;

namespace corv {

struct ListesTache {
  QListWidget* messages;  // "listMessages"
  QListWidget* erreurs;   // "lstErreurs"
  QLabel* journal;        // "lblJournal"
};

// Made as children of `fenetre` and added to `layout` in that order, the log
// stretched by poidsMessages, the errors by poidsErreurs.
ListesTache AjouterListesTache(QWidget* fenetre, QBoxLayout* layout, int poidsMessages, int poidsErreurs);

}  // namespace corv
