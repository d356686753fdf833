#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vexilor::text {

static_assert(std::endian::native == std::endian::little,
              "units are compared four at a time as one word");

// Ordinal order of UTF-16 texts: code units compared as unsigned numbers, a prefix first. Four
// units are compared at a time, since names and keys often share long beginnings ("User 1...").
inline int compareOrdinal(std::u16string_view a, std::u16string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) {
            // Little-endian: the lowest differing bit lies in the first differing unit.
            i += static_cast<std::size_t>(std::countr_zero(x ^ y)) / 16;
            return a[i] < b[i] ? -1 : 1;
        }
    }
    for (; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

inline bool sameUnits(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size()
        && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

// For maps keyed by names: looks up by any text view without making a string.
struct OrdinalLess {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const
    {
        return compareOrdinal(a, b) < 0;
    }
};

}  // namespace vexilor::text
