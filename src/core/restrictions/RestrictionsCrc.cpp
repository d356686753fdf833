#include "restrictions/RestrictionsCrc.h"

#include <array>

namespace vexilor {
namespace {

// kTables[0] is the byte-wise table of the reflected polynomial 0xA001; kTables[k][b] is the
// register change of byte b followed by k zero bytes, so that eight bytes fold in one step.
using Tables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr Tables makeTables()
{
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
        t[0][i] = static_cast<std::uint16_t>(r);
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (unsigned i = 0; i < 256; ++i)
            t[k][i] = static_cast<std::uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr Tables kTables = makeTables();

}  // namespace

void CRestrictionsCrc::update(const std::uint8_t* p, std::size_t n)
{
    std::uint16_t r = reg_;
    for (; n >= 8; n -= 8, p += 8) {
        r = static_cast<std::uint16_t>(r ^ (p[0] | (p[1] << 8)));
        r = static_cast<std::uint16_t>(kTables[7][r & 0xFF] ^ kTables[6][r >> 8] ^ kTables[5][p[2]]
                                       ^ kTables[4][p[3]] ^ kTables[3][p[4]] ^ kTables[2][p[5]]
                                       ^ kTables[1][p[6]] ^ kTables[0][p[7]]);
    }
    for (; n > 0; --n, ++p)
        r = static_cast<std::uint16_t>((r >> 8) ^ kTables[0][(r ^ *p) & 0xFF]);
    reg_ = r;
}

void CRestrictionsCrc::update(std::u16string_view text)
{
    std::uint8_t chunk[256];
    while (!text.empty()) {
        const std::size_t n = text.size() < sizeof chunk ? text.size() : sizeof chunk;
        for (std::size_t i = 0; i < n; ++i)
            chunk[i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        update(chunk, n);
        text.remove_prefix(n);
    }
}

}  // namespace vexilor
