#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "uParallelPages.h"

namespace {

// What one run did: how often each item ran, and the progress calls in order.
struct TRun {
  std::vector<int> runs;
  std::vector<std::pair<int, int>> progress;
};

}  // namespace

// Both workers together run each item once, and progress climbs from 0 to the count
// one item at a time, however the items fell to the workers.
TEST(ParallelPages, EveryItemOnceAndProgressInOrder) {
  for (const size_t count : {size_t(0), size_t(5), size_t(500)}) {
    TRun run;
    run.runs.assign(count, 0);
    std::mutex lock;
    RunInParallel(
        count, [&](int done, int total) { run.progress.emplace_back(done, total); },
        [&](size_t i, int worker) {
          ASSERT_TRUE(worker >= 0 && worker < kParallelWorkers);
          const std::lock_guard<std::mutex> hold(lock);
          ++run.runs[i];
        });
    EXPECT_EQ(run.runs, std::vector<int>(count, 1)) << count;
    ASSERT_EQ(run.progress.size(), count + 1) << count;
    for (size_t k = 0; k <= count; ++k) EXPECT_EQ(run.progress[k], std::make_pair(int(k), int(count)));
  }
}

// An error on either worker, or a cancel from progress, stops the run and is raised;
// most of the items after it are never started.
TEST(ParallelPages, FirstErrorOrCancelStopsBothWorkers) {
  struct TCase {
    const char* name;
    size_t failAt;    // the item whose work throws; count for none
    int cancelAfter;  // the progress count that cancels; -1 for none
  };
  const size_t count = 100000;
  // The first exception of a process is slow to unwind; the runs below must not wait for that.
  try {
    throw EAbort();
  } catch (const EAbort&) {
  }
  for (const TCase c : {TCase{"error", 10, -1}, TCase{"cancel", count, 20}}) {
    std::atomic<size_t> ran{0};
    std::atomic<bool> stopping{false};
    const auto progress = [&](int done, int) {
      if (done != c.cancelAfter) return;
      stopping = true;
      throw EAbort();
    };
    const auto work = [&](size_t i, int worker) {
      if (i == c.failAt) {
        stopping = true;
        throw EFolivaneError("page " + std::to_string(i));
      }
      // The helper's later pages wait for the stop, so that a calling thread the scheduler
      // holds back cannot let the helper run through the whole list meanwhile.
      while (worker == 1 && i > 1000 && !stopping) std::this_thread::yield();
      ++ran;
    };
    if (c.cancelAfter >= 0) {
      EXPECT_THROW(RunInParallel(count, progress, work), EAbort) << c.name;
    } else {
      EXPECT_THROW(RunInParallel(count, progress, work), EFolivaneError) << c.name;
    }
    // The other worker may finish what it took meanwhile, but not the run.
    EXPECT_LT(ran.load(), count / 2) << c.name;
  }
}
