#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "restrictions/RestrictionsCrc.h"

namespace vexilor {
namespace {

// The register after each byte on its own, straight from the polynomial.
std::uint16_t bitwise(const std::vector<std::uint8_t>& bytes)
{
    std::uint16_t r = 0xE553;
    for (const std::uint8_t b : bytes) {
        r = static_cast<std::uint16_t>(r ^ b);
        for (int bit = 0; bit < 8; ++bit)
            r = static_cast<std::uint16_t>((r & 1) ? (r >> 1) ^ 0xA001 : r >> 1);
    }
    return static_cast<std::uint16_t>((r << 8) | (r >> 8));
}

// count bytes of a fixed pseudo-random run that starts from seed.
std::vector<std::uint8_t> pseudoRandomBytes(std::uint32_t seed, std::size_t count)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes.push_back(static_cast<std::uint8_t>(seed >> 16));
    }
    return bytes;
}

// Runs fold many bytes a step; every length and every split of a run must give the value of the
// bytes taken one by one.
TEST(RestrictionsCrc, RunsOfAnyLengthAndSplitEqualTheBitwiseCrc)
{
    const std::vector<std::uint8_t> bytes = pseudoRandomBytes(99, 100);
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + long(length));
        CRestrictionsCrc whole;
        whole.update(part.data(), part.size());
        EXPECT_EQ(whole.value(), bitwise(part)) << length;
        CRestrictionsCrc split;
        const std::size_t cut = length / 3;
        split.update(part.data(), cut);
        split.update(part.data() + cut, length - cut);
        EXPECT_EQ(split.value(), whole.value()) << length;
    }
}

// The CRC of a file read in parts is joined from the CRCs of the parts: for every cut of a run
// (an empty head or tail included) the joined value is the CRC of the whole.
TEST(RestrictionsCrc, AppendingThePartAfterACutGivesTheCrcOfTheWhole)
{
    const std::vector<std::uint8_t> bytes = pseudoRandomBytes(7, 300);
    for (const std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16},
                                  std::size_t{17}, std::size_t{255}, std::size_t{299}, std::size_t{300}}) {
        CRestrictionsCrc head;
        head.update(bytes.data(), cut);
        CRestrictionsCrc tail = CRestrictionsCrc::fromZero();
        tail.update(bytes.data() + cut, bytes.size() - cut);
        head.append(tail, bytes.size() - cut);
        EXPECT_EQ(head.value(), bitwise(bytes)) << cut;
    }
}

TEST(RestrictionsCrc, TextTakesTheLowByteOfEachUnit)
{
    CRestrictionsCrc text;
    text.update(u"a\u20ac\u0160\n");
    EXPECT_EQ(text.value(), bitwise({'a', 0xAC, 0x60, '\n'}));
}

}  // namespace
}  // namespace vexilor
