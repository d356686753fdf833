#pragma once

#include <cstddef>
#include <functional>

namespace vexilor {

// How many pieces of work are worth running at once here: the processors, between 1 and 8.
unsigned usableThreads();

// Runs work(0) to work(count - 1) at once and returns when all are done: work(0) on this thread,
// each other on a thread of its own, or on this thread too when no thread can be had. work must
// not throw; it keeps its own errors.
void runAtOnce(std::size_t count, const std::function<void(std::size_t)>& work);

}  // namespace vexilor
