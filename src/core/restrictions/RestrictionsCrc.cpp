#include "restrictions/RestrictionsCrc.h"

#include <array>

namespace vexilor {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable()
{
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
        t[i] = static_cast<std::uint16_t>(r);
    }
    return t;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();

}  // namespace

const std::uint16_t* CRestrictionsCrc::table()
{
    return kTable.data();
}

}  // namespace vexilor
