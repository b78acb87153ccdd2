#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "util/background_run.h"

namespace {

// A latch the tests hold a run on, so that what happens while it runs is certain.
class Porte {
 public:
  void Ouvrir() {
    std::lock_guard<std::mutex> g(m_);
    ouverte_ = true;
    cv_.notify_all();
  }
  void Attendre() {
    std::unique_lock<std::mutex> g(m_);
    cv_.wait(g, [this] { return ouverte_; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool ouverte_ = false;
};

TEST(BackgroundRun, RunsOnceAtATimeForwardsTheReportAndHandsTheErrorToDone) {
  corv::RecordingRunReport cible;
  corv::BackgroundRun run(cible);
  Porte porte;
  std::thread::id fil;
  std::string fin = "pas appelé";
  std::vector<std::string> vusParDone;
  ASSERT_TRUE(run.Start(
      [&](corv::RunReport& r) {
        fil = std::this_thread::get_id();
        r.Message("une");
        r.AgencyProgress(1, 2);
        porte.Attendre();
        return std::string("Agence X : échec");
      },
      [&](const std::string& e) {
        vusParDone = cible.messages;  // done comes after the work
        fin = e;
      }));
  EXPECT_TRUE(run.Running());
  EXPECT_FALSE(run.Start([](corv::RunReport&) { return std::string(); }));  // refused: one at a time
  porte.Ouvrir();
  run.Join();
  EXPECT_FALSE(run.Running());
  EXPECT_NE(fil, std::this_thread::get_id());
  EXPECT_EQ(fin, "Agence X : échec");
  EXPECT_EQ(vusParDone, std::vector<std::string>{"une"});
  EXPECT_EQ(cible.agencyPosition, 1);
  EXPECT_EQ(cible.agencyMaximum, 2);

  // Once joined, it starts again; an exception escaping the work is its error.
  ASSERT_TRUE(run.Start([](corv::RunReport&) -> std::string { throw std::runtime_error("table illisible"); },
                        [&](const std::string& e) { fin = e; }));
  run.Join();
  EXPECT_EQ(fin, "table illisible");
}

TEST(BackgroundRun, StopRequestReachesTheReportUntilTheNextStartAndTheTargetsOwnStopCounts) {
  corv::RecordingRunReport cible;
  corv::BackgroundRun run(cible);
  // A run object built before the start, on the run's report, sees the stop.
  corv::RunReport& rapport = run.report();
  std::atomic<int> tours{0};
  ASSERT_TRUE(run.Start([&](corv::RunReport&) {
    while (!rapport.StopRequested()) {
      ++tours;
      std::this_thread::yield();
    }
    return std::string();
  }));
  while (tours.load() == 0) std::this_thread::yield();
  EXPECT_FALSE(run.StopRequested());
  run.RequestStop();
  run.Join();  // ends only because the stop was seen
  EXPECT_TRUE(rapport.StopRequested());

  bool vu = true;
  ASSERT_TRUE(run.Start([&](corv::RunReport& r) {
    vu = r.StopRequested();
    return std::string();
  }));
  run.Join();
  EXPECT_FALSE(vu);  // a new start clears the request

  cible.stop = true;
  ASSERT_TRUE(run.Start([&](corv::RunReport& r) {
    vu = r.StopRequested();
    return std::string();
  }));
  run.Join();
  EXPECT_TRUE(vu);
}

TEST(BackgroundRun, DestructionStopsAndWaitsForTheRun) {
  corv::RecordingRunReport cible;
  std::atomic<bool> finie{false};
  {
    corv::BackgroundRun run(cible);
    ASSERT_TRUE(run.Start([&](corv::RunReport& r) {
      while (!r.StopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      finie = true;
      return std::string();
    }));
  }
  EXPECT_TRUE(finie.load());
}

}  // namespace
