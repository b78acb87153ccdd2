#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "util/ordered_work.h"

namespace {

struct Etat {
  std::thread::id fil = std::this_thread::get_id();
  int faits = 0;
};

// Items that take longer the lower their number, so that with several threads
// they end out of order; what the caller takes must still come in order.
void Lent(size_t i, size_t n) { std::this_thread::sleep_for(std::chrono::milliseconds(2 * (n - i))); }

TEST(RunInOrder, SeveralThreadsGiveTheCallsOfOneAfterTheOther) {
  for (int threads : {1, 3}) {
    const size_t n = 9;
    std::atomic<int> etats{0};
    std::vector<std::string> appels;  // the caller's thread only
    std::set<std::thread::id> fils;
    std::mutex m;
    size_t pris = corv::RunInOrder<std::string>(
        n, threads,
        [&] {
          ++etats;
          return std::make_unique<Etat>();
        },
        [&](Etat& e, size_t i, std::string* r) {
          EXPECT_EQ(e.fil, std::this_thread::get_id());  // a state stays on its thread
          ++e.faits;
          Lent(i, n);
          *r = "r" + std::to_string(i);
          std::lock_guard<std::mutex> g(m);
          fils.insert(std::this_thread::get_id());
        },
        [&](size_t i) {
          appels.push_back("next " + std::to_string(i));
          return true;
        },
        [&](size_t i, std::string& r) { appels.push_back("take " + std::to_string(i) + " " + r); });
    EXPECT_EQ(pris, n);
    ASSERT_EQ(appels.size(), 2 * n) << threads;
    for (size_t i = 0; i < n; ++i) {
      EXPECT_EQ(appels[2 * i], "next " + std::to_string(i));
      EXPECT_EQ(appels[2 * i + 1], "take " + std::to_string(i) + " r" + std::to_string(i));
    }
    EXPECT_EQ(etats.load(), threads);
    if (threads == 1) {
      EXPECT_EQ(fils, std::set<std::thread::id>{std::this_thread::get_id()});
    } else {
      EXPECT_EQ(fils.count(std::this_thread::get_id()), 0u);
    }
  }
}

TEST(RunInOrder, NextSayingNoEndsTheRunAndDropsWhatFollows) {
  for (int threads : {1, 4}) {
    std::vector<size_t> pris;
    std::atomic<int> travaux{0};
    size_t compte = corv::RunInOrder<int>(
        20, threads, [] { return std::make_unique<Etat>(); },
        [&](Etat&, size_t i, int* r) {
          ++travaux;
          *r = static_cast<int>(i) * 10;
        },
        [](size_t i) { return i < 5; },
        [&](size_t i, int& r) {
          EXPECT_EQ(r, static_cast<int>(i) * 10);
          pris.push_back(i);
        });
    EXPECT_EQ(compte, 5u);
    EXPECT_EQ(pris, (std::vector<size_t>{0, 1, 2, 3, 4}));
    if (threads == 1) {
      EXPECT_EQ(travaux.load(), 5);  // nothing worked on ahead
    }
  }
  // No item: nothing asked, nothing taken.
  int nexts = 0;
  EXPECT_EQ(corv::RunInOrder<int>(
                0, 4, [] { return std::make_unique<Etat>(); }, [](Etat&, size_t, int*) {},
                [&](size_t) { return ++nexts > 0; }, [](size_t, int&) {}),
            0u);
  EXPECT_EQ(nexts, 0);
}

}  // namespace
