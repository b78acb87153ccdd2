#pragma once
// The background work of a task window (the transfers, the clean-up, the
// statistics, the restoration): one run at a time on a thread of its own
// (util/background_run.h), what it reports and its end delivered to the
// window's thread in the order the run made them.
//
// Contract:
//  - Made as a child of its window, it lives and dies with it.
//  - report() is what the run reports to (build run objects on it): its calls
//    arrive on the window's thread as the signals of qtReport(), to which the
//    window connects its labels, bars and lists. StopRequested() on it is true
//    once Arreter() was called.
//  - Lancer(travail): false, and nothing started, while a run is in progress.
//    Otherwise the work runs on its thread; termine(erreur) is then emitted on
//    the window's thread after every signal of the run ("" when it completed,
//    else the text of the error that ended it). EnCours() is true until then,
//    false in the handlers of termine.
//  - Arreter(): asks the run to stop (the core's runs stop between agencies).
//  - FermerApresArret(): the same, and the window is closed once the handlers
//    of termine ran; FermetureDemandee() tells them.
//  - AttendreFin(): processes events until the run in progress is over.
//  - The work refers to nothing of the window (it may still run while the
//    window is being destroyed): it holds what it needs by value or shared
//    pointer and hands its results back through termine or shared state. When
//    the window is destroyed, a run in progress is asked to stop and waited
//    for; termine is not emitted then.
#include <QObject>
#include <QString>

#include "util/background_run.h"

class QWidget;

namespace corv {

class QtRunReport;

class TacheFenetre : public QObject {
  Q_OBJECT
 public:
  explicit TacheFenetre(QWidget* fenetre);
  ~TacheFenetre() override;

  RunReport& report() { return run_.report(); }
  QtRunReport* qtReport() const { return qtReport_; }

  bool EnCours() const { return run_.Running(); }
  bool Lancer(BackgroundRun::Work travail);
  void Arreter() { run_.RequestStop(); }
  void FermerApresArret();
  bool FermetureDemandee() const { return fermerApres_; }
  void AttendreFin();

 Q_SIGNALS:
  void termine(const QString& erreur);

 private:
  void Fin(const QString& erreur);

  QWidget* fenetre_;
  QtRunReport* qtReport_;  // a child: outlives the run (joined in the destructor)
  BackgroundRun run_;
  bool fermerApres_ = false;
};

}  // namespace corv
