#include "forms/tache_fenetre.h"

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QWidget>
#include <utility>

#include "forms/qt_run_report.h"

namespace corv {

TacheFenetre::TacheFenetre(QWidget* fenetre)
    : QObject(fenetre), fenetre_(fenetre), qtReport_(new QtRunReport(this)), run_(*qtReport_) {}

TacheFenetre::~TacheFenetre() {
  run_.RequestStop();
  run_.Join();
}

bool TacheFenetre::Lancer(BackgroundRun::Work travail) {
  if (run_.Running()) return false;
  fermerApres_ = false;
  return run_.Start(std::move(travail), [this](const std::string& erreur) {
    // Queued behind every signal the run emitted: the window has shown all of
    // it when Fin runs. Dropped with this object if the window goes first.
    const QString texte = QString::fromStdString(erreur);
    QMetaObject::invokeMethod(this, [this, texte] { Fin(texte); }, Qt::QueuedConnection);
  });
}

void TacheFenetre::Fin(const QString& erreur) {
  run_.Join();  // the thread has nothing left but to end
  const bool fermer = fermerApres_;
  Q_EMIT termine(erreur);
  fermerApres_ = false;
  if (fermer) fenetre_->close();
}

void TacheFenetre::FermerApresArret() {
  if (!run_.Running()) return;
  fermerApres_ = true;
  run_.RequestStop();
}

void TacheFenetre::AttendreFin() {
  while (run_.Running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

}  // namespace corv
