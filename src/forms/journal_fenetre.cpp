#include "forms/journal_fenetre.h"

#include <QLabel>
#include <QPalette>

#include "util/dialogs.h"

namespace corv {

QLabel* NouveauLabelJournal(QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName("lblJournal");
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long path must not widen the window: the label is cut, its tip holds it all.
  l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return l;
}

void AfficherJournal(QLabel* label, const JournalEcrit& journal, Dialogs& dialogs) {
  const std::string ligne = LigneJournal(journal);
  const QString texte = QString::fromStdString(ligne);
  label->setText(texte);
  label->setToolTip(texte);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, journal.erreur.empty() ? QColor(Qt::black) : QColor(Qt::red));
  label->setPalette(p);
  if (!journal.erreur.empty()) dialogs.Warning(ligne + "\nLe traitement lui-même n'en est pas affecté.", "Journal");
}

}  // namespace corv
