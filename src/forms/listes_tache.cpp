#include "forms/listes_tache.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>

#include "forms/journal_fenetre.h"

namespace corv {

ListesTache AjouterListesTache(QWidget* fenetre, QBoxLayout* layout, int poidsMessages, int poidsErreurs) {
  ListesTache l;
  l.messages = new QListWidget(fenetre);
  l.messages->setObjectName("listMessages");
  l.messages->setUniformItemSizes(true);  // long logs stay fast to append to
  layout->addWidget(l.messages, poidsMessages);
  l.erreurs = new QListWidget(fenetre);
  l.erreurs->setObjectName("lstErreurs");
  l.erreurs->setUniformItemSizes(true);
  QPalette rouge = l.erreurs->palette();
  rouge.setColor(QPalette::Text, Qt::red);
  l.erreurs->setPalette(rouge);
  layout->addWidget(l.erreurs, poidsErreurs);
  l.journal = NouveauLabelJournal(fenetre);
  layout->addWidget(l.journal);
  return l;
}

}  // namespace corv
