#include "uParallelPages.h"

#include <atomic>
#include <exception>
#include <thread>
#include <utility>

namespace {

// Joins the helper however the calling thread leaves. Asking it to stop first is harmless
// once every item is taken, and spares the rest when an error or a cancel leaves early.
class THelperThread {
 public:
  explicit THelperThread(std::atomic<bool>& stop) : FStop(stop) {}
  ~THelperThread() { Join(); }
  THelperThread(const THelperThread&) = delete;
  THelperThread& operator=(const THelperThread&) = delete;

  template <typename F>
  void Start(F body) {
    FThread = std::thread(std::move(body));
  }
  void Join() {
    if (!FThread.joinable()) return;
    FStop.store(true);
    FThread.join();
  }

 private:
  std::atomic<bool>& FStop;
  std::thread FThread;
};

}  // namespace

void RunInParallel(size_t count, const TProgressCallback& progress,
                   const std::function<void(size_t index, int worker)>& work) {
  const int total = static_cast<int>(count);
  if (progress) progress(0, total);
  std::atomic<size_t> next{0};
  std::atomic<size_t> finished{0};
  std::atomic<bool> stop{false};
  std::exception_ptr helperError;
  const auto take = [&](int worker) -> bool {
    if (stop.load()) return false;
    const size_t i = next.fetch_add(1);
    if (i >= count) return false;
    work(i, worker);
    finished.fetch_add(1);
    return true;
  };

  THelperThread helper(stop);
  if (count > 16 && std::thread::hardware_concurrency() > 1) {
    helper.Start([&] {
      try {
        while (take(1)) {
        }
      } catch (...) {
        helperError = std::current_exception();
        stop.store(true);
      }
    });
  }
  int reported = 0;
  try {
    while (take(0)) {
      for (const int now = static_cast<int>(finished.load()); progress && reported < now; ++reported) {
        progress(reported + 1, total);
      }
    }
  } catch (...) {
    stop.store(true);  // at once: the helper must not run on while this thread unwinds
    throw;
  }
  helper.Join();
  if (helperError) std::rethrow_exception(helperError);
  for (; progress && reported < total; ++reported) progress(reported + 1, total);
}
