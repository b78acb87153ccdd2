#include "forms/qt_run_report.h"

#include <QMetaObject>

namespace corv {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

// Signals emitted from the worker thread reach receivers in the window's thread
// through queued connections (the default across threads), in emission order.
void QtRunReport::Message(const std::string& line) { emit message(Q(line)); }
void QtRunReport::Error(const std::string& line) { emit error(Q(line)); }
void QtRunReport::ReadingLabel(const std::string& text) { emit readingLabel(Q(text)); }
void QtRunReport::AgencyLabel(const std::string& text) { emit agencyLabel(Q(text)); }
void QtRunReport::RowProgress(int position, int maximum) { emit rowProgress(position, maximum); }
void QtRunReport::AgencyProgress(int position, int maximum) { emit agencyProgress(position, maximum); }

}  // namespace corv
