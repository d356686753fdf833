#include "Ranges.h"

namespace vexilor::cli {

std::string rangeText(std::uint32_t count, const std::function<bool(std::uint32_t)>& has)
{
    std::string out;
    std::uint32_t i = 0;
    while (i < count) {
        if (!has(i)) {
            ++i;
            continue;
        }
        std::uint32_t last = i;
        while (last + 1 < count && has(last + 1))
            ++last;
        if (!out.empty())
            out += ',';
        out += std::to_string(i);
        if (last > i)
            out += '-' + std::to_string(last);
        i = last + 1;
    }
    return out;
}

std::string rangeText(const CBitArray& bits)
{
    return rangeText(bits.count(), [&bits](std::uint32_t n) { return bits.test(n); });
}

}  // namespace vexilor::cli
