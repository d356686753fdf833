#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/Ordinal.h"

namespace vexilor::text {
namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// Texts from a few units that differ in either byte and in the sign bit, of lengths around the
// four units compared at once, agree with the unit-by-unit order of the standard library.
TEST(Ordinal, AgreesWithUnitByUnitOrderAtEveryPosition)
{
    const std::u16string units = {u'a', u'B', u'\u0100', u'\u8000', u'\uFFFF', u'\u00FF'};
    std::mt19937 rng(3);
    auto text = [&](std::size_t length) {
        std::u16string t;
        for (std::size_t i = 0; i < length; ++i)
            t += units[rng() % units.size()];
        return t;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::u16string a = text(rng() % 11);
        // Often b shares a beginning with a, so that the difference lies anywhere in it.
        std::u16string b = a.substr(0, rng() % (a.size() + 1)) + text(rng() % 4);
        ASSERT_EQ(sign(compareOrdinal(a, b)), sign(a.compare(b)))
            << "round " << round << ": " << a.size() << "/" << b.size();
        ASSERT_EQ(sameUnits(a, b), a == b) << "round " << round;
        ASSERT_EQ(OrdinalLess()(a, b), a < b) << "round " << round;
    }
}

}  // namespace
}  // namespace vexilor::text
