#pragma once
// Items worked on by several threads at once and taken back one after the
// other, in item order, on the caller's thread: the statistics read several
// agencies at once and still report them as a run one agency after another.
//
// Contract of RunInOrder<R>(n, threads, makeWorker, work, next, take):
//  - makeWorker() is called once on each thread that works (the caller's own
//    when threads <= 1) and returns a std::unique_ptr to that thread's state:
//    nothing of it is shared between threads.
//  - work(state, i, R* result) runs once for each item taken, on one of the
//    threads, items handed out in increasing order; it writes only its result.
//  - next(i) runs on the caller's thread before item i is taken (before its
//    result is waited for): false ends the run there, and items not yet taken
//    are dropped (a thread finishes the item in hand, then ends).
//  - take(i, result) runs on the caller's thread for i = 0, 1, ... in order,
//    once item i is done.
//  - Returns after every thread has ended, with the count of items taken.
//  - threads <= 1 (or one item): all on the caller's thread, each item worked
//    on right after its next, with the same calls in the same order.
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace corv {

template <typename R, typename MakeWorker, typename Work, typename Next, typename Take>
size_t RunInOrder(size_t n, int threads, MakeWorker makeWorker, Work work, Next next, Take take) {
  const size_t threadCount = std::min(n, static_cast<size_t>(std::max(1, threads)));
  size_t taken = 0;
  if (threadCount <= 1) {
    auto state = makeWorker();
    for (; taken < n; ++taken) {
      if (!next(taken)) break;
      R r{};
      work(*state, taken, &r);
      take(taken, r);
    }
    return taken;
  }

  std::vector<R> results(n);
  std::vector<char> done(n, 0);
  std::mutex m;  // guards nextItem, stop and done
  std::condition_variable cv;
  size_t nextItem = 0;
  bool stop = false;
  std::vector<std::thread> pool;
  pool.reserve(threadCount);
  for (size_t k = 0; k < threadCount; ++k)
    pool.emplace_back([&] {
      auto state = makeWorker();
      for (;;) {
        size_t i;
        {
          std::lock_guard<std::mutex> g(m);
          if (stop || nextItem >= n) return;
          i = nextItem++;
        }
        work(*state, i, &results[i]);
        {
          std::lock_guard<std::mutex> g(m);
          done[i] = 1;
        }
        cv.notify_all();
      }
    });
  for (; taken < n; ++taken) {
    if (!next(taken)) break;
    {
      std::unique_lock<std::mutex> g(m);
      cv.wait(g, [&] { return done[taken] != 0; });
    }
    take(taken, results[taken]);
  }
  {
    std::lock_guard<std::mutex> g(m);
    stop = true;
  }
  for (std::thread& t : pool) t.join();
  return taken;
}

}  // namespace corv
