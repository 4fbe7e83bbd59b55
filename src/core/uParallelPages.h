// The page loop of the exporters and the project search: pages are independent, so two
// threads work on them while the calling thread alone reports progress (which may cancel).
#pragma once

#include <cstddef>
#include <functional>

#include "uUtils.h"

// How many workers RunInParallel may use: the calling thread (worker 0) and one helper
// (worker 1). Per-worker state, such as an encoder, is kept in an array of this size.
constexpr int kParallelWorkers = 2;

// Runs work(index, worker) once for each index in [0, count). The helper joins only for
// more than 16 items on a machine with more than one core. Progress goes from (0, count)
// to (count, count) on the calling thread. The first error stops both workers and is
// raised once the helper has finished; an EAbort from progress stops them the same way.
void RunInParallel(size_t count, const TProgressCallback& progress,
                   const std::function<void(size_t index, int worker)>& work);
