#include "restrictions/RestrictionsCrc.h"

#include <array>

namespace vexilor {
namespace {

// kTables[0] is the byte-wise table of the reflected polynomial 0xA001; kTables[k][b] is the
// register change of byte b followed by k zero bytes, so that sixteen bytes fold in one step whose
// lookups do not depend on each other.
constexpr std::size_t kSlice = 16;
using Tables = std::array<std::array<std::uint16_t, 256>, kSlice>;

constexpr Tables makeTables()
{
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
        t[0][i] = static_cast<std::uint16_t>(r);
    }
    for (std::size_t k = 1; k < kSlice; ++k)
        for (unsigned i = 0; i < 256; ++i)
            t[k][i] = static_cast<std::uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr Tables kTables = makeTables();

}  // namespace

void CRestrictionsCrc::update(const std::uint8_t* p, std::size_t n)
{
    std::uint16_t r = reg_;
    for (; n >= kSlice; n -= kSlice, p += kSlice) {
        r = static_cast<std::uint16_t>(r ^ (p[0] | (p[1] << 8)));
        const std::uint16_t a = kTables[15][r & 0xFF] ^ kTables[14][r >> 8] ^ kTables[13][p[2]]
            ^ kTables[12][p[3]] ^ kTables[11][p[4]] ^ kTables[10][p[5]] ^ kTables[9][p[6]];
        const std::uint16_t b = kTables[8][p[7]] ^ kTables[7][p[8]] ^ kTables[6][p[9]]
            ^ kTables[5][p[10]] ^ kTables[4][p[11]] ^ kTables[3][p[12]] ^ kTables[2][p[13]]
            ^ kTables[1][p[14]] ^ kTables[0][p[15]];
        r = static_cast<std::uint16_t>(a ^ b);
    }
    for (; n > 0; --n, ++p)
        r = static_cast<std::uint16_t>((r >> 8) ^ kTables[0][(r ^ *p) & 0xFF]);
    reg_ = r;
}

namespace {

// A linear map of the 16-bit register, as the images of its 16 unit vectors.
using Matrix = std::array<std::uint16_t, 16>;

std::uint16_t apply(const Matrix& m, std::uint16_t v)
{
    std::uint16_t r = 0;
    for (int i = 0; v != 0; ++i, v = static_cast<std::uint16_t>(v >> 1))
        if (v & 1)
            r = static_cast<std::uint16_t>(r ^ m[static_cast<std::size_t>(i)]);
    return r;
}

// a after b.
Matrix compose(const Matrix& a, const Matrix& b)
{
    Matrix c{};
    for (std::size_t i = 0; i < c.size(); ++i)
        c[i] = apply(a, b[i]);
    return c;
}

}  // namespace

void CRestrictionsCrc::append(const CRestrictionsCrc& tail, std::uint64_t count)
{
    // One zero byte: r -> (r >> 8) ^ table[r & 0xFF]; raised to count by squaring.
    Matrix step{};
    for (std::size_t i = 0; i < step.size(); ++i) {
        const auto unit = static_cast<std::uint16_t>(1u << i);
        step[i] = static_cast<std::uint16_t>((unit >> 8) ^ kTables[0][unit & 0xFF]);
    }
    std::uint16_t r = reg_;
    for (; count != 0; count >>= 1) {
        if (count & 1)
            r = apply(step, r);
        step = compose(step, step);
    }
    reg_ = static_cast<std::uint16_t>(r ^ tail.reg_);
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
