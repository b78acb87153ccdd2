#include "forms/qt_run_report.h"

#include <QMetaObject>

namespace corv {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

// Signals emitted from the worker thread reach receivers in the window's thread
// through queued connections (the default across threads), in emission order.
void QtRunReport::Message(const std::string& line) { Q_EMIT message(Q(line)); }
void QtRunReport::Error(const std::string& line) { Q_EMIT error(Q(line)); }
void QtRunReport::ReadingLabel(const std::string& text) { Q_EMIT readingLabel(Q(text)); }
void QtRunReport::AgencyLabel(const std::string& text) { Q_EMIT agencyLabel(Q(text)); }
void QtRunReport::RowProgress(int position, int maximum) { Q_EMIT rowProgress(position, maximum); }
void QtRunReport::AgencyProgress(int position, int maximum) { Q_EMIT agencyProgress(position, maximum); }

}  // namespace corv
