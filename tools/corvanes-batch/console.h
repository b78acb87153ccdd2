#pragma once
// The run report of the command line: message-list lines on standard output,
// error-list lines on standard error, and, when standard error is a terminal, one
// progress line there (reading phase rows, agency k of n and its label) rewritten
// in place and cleared before any other line and at the end.
#include <cstdio>
#include <string>

#include "util/run_report.h"

namespace corv::batch {

class ConsoleRunReport : public RunReport {
 public:
  ConsoleRunReport(std::FILE* out = stdout, std::FILE* err = stderr);
  ~ConsoleRunReport() override;

  void Message(const std::string& line) override;
  void Error(const std::string& line) override;
  void ReadingLabel(const std::string& text) override;
  void AgencyLabel(const std::string& text) override;
  void RowProgress(int position, int maximum) override;
  void AgencyProgress(int position, int maximum) override;
  bool StopRequested() override { return false; }

  // Clears the progress line (before the caller prints something of its own).
  void Effacer();

 private:
  void Afficher();

  std::FILE* out_;
  std::FILE* err_;
  bool terminal_;
  bool shown_ = false;
  std::string reading_, agency_;
  int rowPos_ = 0, rowMax_ = 0, agPos_ = 0, agMax_ = 0;
};

}  // namespace corv::batch
