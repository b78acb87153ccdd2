#pragma once
// One long piece of work (a transfer, the clean-up, a statistics search, a
// restoration) on a thread of its own, as the task windows run theirs: started
// one at a time, asked to stop from any thread, waited for.
//
// Contract:
//  - report() is the report the work and the run objects built for it use: it
//    passes every call on to the target report given at construction, and its
//    StopRequested() is true once RequestStop() was called (or the target's
//    is), until the next Start. Build run objects on it before Start.
//  - Start(work, done): false, and nothing started, while a run is in progress
//    (Running()). Otherwise work runs on a new thread and returns "" when it
//    completed or the text of the error that ended it; an exception escaping
//    it counts as that error (its what()). done(error) is then called on the
//    same thread, as the last thing the run does.
//  - The work refers to nothing that may die before this object: what it needs
//    it holds by value or shared pointer, and it hands its results back through
//    done or through state it shares with the owner, read after Join().
//  - Running() is true from Start until Join() collected the thread. Join()
//    waits for the end; everything the work did is visible after it. The
//    destructor requests a stop and joins.
//  - Start, Join and Running belong to one thread (the owner's); RequestStop
//    and StopRequested may be called from any thread.
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "util/run_report.h"

namespace corv {

class BackgroundRun {
 public:
  using Work = std::function<std::string(RunReport&)>;
  using Done = std::function<void(const std::string& error)>;

  explicit BackgroundRun(RunReport& target) : report_(target, stop_) {}
  ~BackgroundRun();
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  RunReport& report() { return report_; }
  bool Start(Work work, Done done = {});
  void RequestStop() { stop_.store(true); }
  bool StopRequested() const { return stop_.load(); }
  bool Running() const { return thread_.joinable(); }
  void Join();

 private:
  // The target report, with the stop request added.
  class StopReport : public RunReport {
   public:
    StopReport(RunReport& target, const std::atomic<bool>& stop) : target_(target), stop_(stop) {}
    void Message(const std::string& line) override { target_.Message(line); }
    void Error(const std::string& line) override { target_.Error(line); }
    void ReadingLabel(const std::string& text) override { target_.ReadingLabel(text); }
    void AgencyLabel(const std::string& text) override { target_.AgencyLabel(text); }
    void RowProgress(int position, int maximum) override { target_.RowProgress(position, maximum); }
    void AgencyProgress(int position, int maximum) override { target_.AgencyProgress(position, maximum); }
    bool StopRequested() override { return stop_.load() || target_.StopRequested(); }

   private:
    RunReport& target_;
    const std::atomic<bool>& stop_;
  };

  std::atomic<bool> stop_{false};
  StopReport report_;
  std::thread thread_;
};

}  // namespace corv
