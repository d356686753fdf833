#include "restrictions/RunAtOnce.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace vexilor {

unsigned usableThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

void runAtOnce(std::size_t count, const std::function<void(std::size_t)>& work)
{
    std::vector<std::jthread> threads;
    for (std::size_t k = 1; k < count; ++k) {
        try {
            threads.emplace_back(work, k);
        } catch (const std::system_error&) {
            work(k);
        }
    }
    if (count > 0)
        work(0);
}

}  // namespace vexilor
