#pragma once
// How a long run (a transfer, the client clean-up, a statistics collection) shows
// what it is doing. The run never touches a window: it calls this interface, which
// the desktop windows implement by forwarding to their own thread, the command
// line by printing, and the tests by recording.
//
// Contract:
//  - Calls come from the run's thread, one at a time, in the order of the run.
//    An implementation that shows them elsewhere must keep that order.
//  - Texts are UTF-8 and final: the implementation shows them as given.
//  - Progress: position in 0..maximum; maximum 0 means an empty range.
//  - StopRequested is asked between agencies (never in the middle of one). true =
//    the run finishes the agency in progress, skips the rest and still writes its
//    end lines and restores what it re-pointed.
#include <atomic>
#include <string>
#include <vector>

namespace corv {

class RunReport {
 public:
  virtual ~RunReport() = default;

  // A line of the running log (listMessages; listDocuments for the documents).
  virtual void Message(const std::string& line) = 0;
  // A line of the error list (lstErreurs, shown in red).
  virtual void Error(const std::string& line) = 0;
  // The reading-phase label (lblLecture) and the current agency label (lblAgence).
  virtual void ReadingLabel(const std::string& text) = 0;
  virtual void AgencyLabel(const std::string& text) = 0;
  // Rows read in the reading phase (pbRecord) and agencies done (pbAgence).
  virtual void RowProgress(int position, int maximum) = 0;
  virtual void AgencyProgress(int position, int maximum) = 0;
  virtual bool StopRequested() = 0;
};

// Shows nothing and never asks to stop.
class NullRunReport : public RunReport {
 public:
  void Message(const std::string&) override {}
  void Error(const std::string&) override {}
  void ReadingLabel(const std::string&) override {}
  void AgencyLabel(const std::string&) override {}
  void RowProgress(int, int) override {}
  void AgencyProgress(int, int) override {}
  bool StopRequested() override { return false; }
};

// Keeps every line and label (tests, and front ends that show a run afterwards);
// a stop can be requested from any thread.
class RecordingRunReport : public RunReport {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::string readingLabel;
  std::string agencyLabel;
  int rowPosition = 0, rowMaximum = 0;
  int agencyPosition = 0, agencyMaximum = 0;
  std::atomic<bool> stop{false};

  void Message(const std::string& line) override { messages.push_back(line); }
  void Error(const std::string& line) override { errors.push_back(line); }
  void ReadingLabel(const std::string& text) override { readingLabel = text; }
  void AgencyLabel(const std::string& text) override { agencyLabel = text; }
  void RowProgress(int position, int maximum) override {
    rowPosition = position;
    rowMaximum = maximum;
  }
  void AgencyProgress(int position, int maximum) override {
    agencyPosition = position;
    agencyMaximum = maximum;
  }
  bool StopRequested() override { return stop.load(); }
};

}  // namespace corv
