#pragma once
// The run report of the windows: a run calls it from its worker thread; every
// call is queued, in order, to the window's thread, where the signals fire.
// Stopping is the business of the window's TacheFenetre (forms/tache_fenetre.h),
// whose report wraps this one.
#include <QObject>
#include <QString>

#include "util/run_report.h"

namespace corv {

class QtRunReport : public QObject, public RunReport {
  Q_OBJECT
 public:
  explicit QtRunReport(QObject* parent = nullptr) : QObject(parent) {}

  void Message(const std::string& line) override;
  void Error(const std::string& line) override;
  void ReadingLabel(const std::string& text) override;
  void AgencyLabel(const std::string& text) override;
  void RowProgress(int position, int maximum) override;
  void AgencyProgress(int position, int maximum) override;
  bool StopRequested() override { return false; }

 Q_SIGNALS:
  void message(const QString& line);
  void error(const QString& line);
  void readingLabel(const QString& text);
  void agencyLabel(const QString& text);
  void rowProgress(int position, int maximum);
  void agencyProgress(int position, int maximum);
};

}  // namespace corv
