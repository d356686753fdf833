#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "restrictions/AccessSet.h"

namespace vexilor {
namespace {

// A set from a picture: one character per resource number from 0, 'Y' specified allowed, 'N'
// specified denied, '.' not specified; then the all flag.
CAccessSet make(const std::string& bits, bool all)
{
    CAccessSet s = CAccessSet::uniform(all);
    for (std::uint32_t n = 0; n < bits.size(); ++n)
        if (bits[n] != '.')
            s.set(n, bits[n] == 'Y');
    return s;
}

// The values of numbers 0 to count - 1 as 'Y'/'N', and the value past them.
std::string values(const CAccessSet& s, std::uint32_t count)
{
    std::string out;
    for (std::uint32_t n = 0; n < count; ++n)
        out += s.value(n) ? 'Y' : 'N';
    out += s.value(100000) ? "|Y" : "|N";
    return out;
}

TEST(AccessSet, FreshSetDeniesEverythingAndValuePastTheArraysIsAll)
{
    CAccessSet s;
    EXPECT_EQ(values(s, 3), "NNN|N");
    s.set(2, true);
    EXPECT_EQ(s.length(), 3u);
    EXPECT_EQ(values(s, 4), "NNYN|N");
    s.setAll();
    EXPECT_EQ(values(s, 4), "YYYY|Y");
    EXPECT_FALSE(s.isSpecified(2));
}

TEST(AccessSet, SetRangeTakesEitherOrderAndIgnoresNumbersPastTheLimit)
{
    CAccessSet s;
    s.setRange(5, 2);
    EXPECT_EQ(values(s, 7), "NNYYYYN|N");
    s.set(kMaxResourceNumber + 1, true);
    s.setRange(kMaxResourceNumber + 5, kMaxResourceNumber + 9);
    EXPECT_EQ(s.length(), 6u);
    s.setRange(kMaxResourceNumber, kMaxResourceNumber + 100);
    EXPECT_EQ(s.length(), kMaxResourceNumber + 1);
    EXPECT_TRUE(s.value(kMaxResourceNumber));
}

struct OpCase {
    const char* what;
    CAccessSet a;
    CAccessSet b;
    std::string unite;       // values of union(a, b) for 0..5 and past
    std::string difference;  // difference(a, b)
    std::string markUnion;   // markUnion(a, b): "or" below the longer length, "and" past it
};

TEST(AccessSet, UnionDifferenceAndMarkUnionByValue)
{
    const std::vector<OpCase> cases = {
        {"plain lists", make(".YY.N", false), make("..YY", false), "NYYYNN|N", "NYNNNN|N",
         "NYYYNN|N"},
        {"b allows everything", make(".Y.N", false), make("", true), "YYYYYY|Y", "NNNNNN|N",
         "YYYYNN|N"},
        {"a allows everything", make("", true), make("..Y", false), "YYYYYY|Y", "YYNYYY|Y",
         "YYYNNN|N"},
        // Numbers that b leaves out keep a's value even where a was not specified.
        {"both allow everything but b has exceptions", make("", true), make("...N", true),
         "YYYYYY|Y", "NNNYNN|N", "YYYYYY|Y"},
        {"both deny everything", make("", false), make("", false), "NNNNNN|N", "NNNNNN|N",
         "NNNNNN|N"},
        {"b longer than a", make(".Y", true), make("....Y", false), "YYYYYY|Y", "YYYYNY|Y",
         "YYYYYN|N"},
    };
    for (const OpCase& c : cases) {
        EXPECT_EQ(values(CAccessSet::unite(c.a, c.b), 6), c.unite) << c.what;
        EXPECT_EQ(values(CAccessSet::difference(c.a, c.b), 6), c.difference) << c.what;
        EXPECT_EQ(values(CAccessSet::markUnion(c.a, c.b), 6), c.markUnion) << c.what;
    }
}

TEST(AccessSet, OperationsGrowToTheLongerSetAndSpecifyEverythingBelow)
{
    const CAccessSet a = make(".Y", false);
    const CAccessSet b = make(".......N", false);
    for (const CAccessSet& r :
         {CAccessSet::unite(a, b), CAccessSet::difference(a, b), CAccessSet::markUnion(a, b)}) {
        EXPECT_EQ(r.length(), 8u);
        for (std::uint32_t n = 0; n < 8; ++n)
            EXPECT_TRUE(r.isSpecified(n)) << n;
    }
    // The in-place forms agree with the functions, also when a set meets itself.
    CAccessSet self = make("Y.N", true);
    self.uniteWith(self);
    EXPECT_TRUE(self.sameAs(CAccessSet::unite(make("Y.N", true), make("Y.N", true))));
}

TEST(AccessSet, LongSetsCombineByteForByte)
{
    CAccessSet a;
    CAccessSet b = CAccessSet::uniform(true);
    for (std::uint32_t n = 1; n <= 1000; n += 3)
        a.set(n, true);
    for (std::uint32_t n = 2; n <= 1003; n += 7)
        b.set(n, false);
    const CAccessSet u = CAccessSet::unite(a, b);
    const CAccessSet d = CAccessSet::difference(b, a);
    for (std::uint32_t n = 0; n < 1100; ++n) {
        ASSERT_EQ(u.value(n), a.value(n) || b.value(n)) << n;
        ASSERT_EQ(d.value(n), b.value(n) && !a.value(n)) << n;
    }
}

TEST(AccessSet, UniformRangesIncludeThePartPastTheArrays)
{
    const CAccessSet s = make("NYYYYYYYYYYYYYYYYYYY", true);
    EXPECT_TRUE(s.isUniform(1, 19, true));
    EXPECT_TRUE(s.isUniform(1, 500, true));
    EXPECT_FALSE(s.isUniform(0, 5, true));
    EXPECT_TRUE(s.isUniform(7, 3, false));
    EXPECT_FALSE(make("NYYYYYYYYYYYYYYYYYYY", false).isUniform(1, 20, true));
    EXPECT_FALSE(make("NYYYYYYYYYYYYYNYYYYY", true).isUniform(2, 19, true));
}

// Both arrays of a set share one block: copies and moves must carry both halves and leave no
// sharing behind.
TEST(AccessSet, CopiesAndMovesAreIndependentValues)
{
    const CAccessSet original = make("YN.YYN.....Y..........N", true);
    CAccessSet copy = original;
    EXPECT_TRUE(copy.sameAs(original));
    copy.set(1, true);
    copy.setRange(30, 40);
    EXPECT_EQ(values(original, 41), "YNYYYNYYYYYYYYYYYYYYYYNYYYYYYYYYYYYYYYYYY|Y");
    EXPECT_FALSE(copy.sameAs(original));

    // Assignment over sets of a shorter, the same and a longer length, and onto itself.
    for (const std::uint32_t length : {0u, 5u, 23u, 300u}) {
        CAccessSet target = CAccessSet::uniform(false);
        if (length > 0)
            target.set(length - 1, true);
        target = original;
        EXPECT_TRUE(target.sameAs(original)) << length;
        EXPECT_EQ(target.specified().count(), 23u);
        EXPECT_TRUE(target.specified().test(11));
        EXPECT_FALSE(target.specified().test(12));
        EXPECT_TRUE(target.values().test(11));
        EXPECT_FALSE(target.values().test(1));
    }
    const std::string before = values(copy, 41);
    CAccessSet& self = copy;
    copy = self;
    EXPECT_EQ(values(copy, 41), before);

    CAccessSet moved = std::move(copy);
    EXPECT_TRUE(moved.value(35));
    EXPECT_EQ(copy.length(), 0u);  // a moved-from set is empty
    copy = moved;
    EXPECT_TRUE(copy.sameAs(moved));
}

// Applying the runs of a range list in place must give exactly what building their set and
// applying it does, for sets of every shape on either side (shorter, longer, all flag either way,
// runs at byte and word edges, reversed and overlapping runs).
TEST(AccessSet, RunsAppliedInPlaceMatchTheSetTheyMake)
{
    using Runs = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    std::mt19937 rng(7);
    auto pick = [&rng](std::uint32_t lo, std::uint32_t hi) {
        return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng);
    };
    for (int round = 0; round < 400; ++round) {
        CAccessSet base = CAccessSet::uniform(pick(0, 1) == 1);
        for (std::uint32_t i = 0, n = pick(0, 6); i < n; ++i) {
            const std::uint32_t a = pick(0, 200);
            if (pick(0, 1) == 1)
                base.setRange(a, a + pick(0, 70));
            else
                base.set(a, pick(0, 1) == 1);
        }
        Runs runs;
        for (std::uint32_t i = 0, n = pick(0, 5); i < n; ++i) {
            const std::uint32_t a = pick(0, 260);
            const std::uint32_t b = pick(0, 2) == 0 ? a : pick(0, 260);
            runs.emplace_back(a, b);
        }
        if (pick(0, 20) == 0)
            runs.emplace_back(kMaxResourceNumber - 3, kMaxResourceNumber + 5);
        CAccessSet made;
        made.setRanges(runs);

        CAccessSet assigned = base;
        assigned.assignRuns(runs);
        EXPECT_TRUE(assigned.sameAs(made)) << "round " << round;
        CAccessSet united = base;
        united.uniteWithRuns(runs);
        EXPECT_TRUE(united.sameAs(CAccessSet::unite(base, made))) << "round " << round;
        CAccessSet subtracted = base;
        subtracted.subtractRuns(runs);
        EXPECT_TRUE(subtracted.sameAs(CAccessSet::difference(base, made))) << "round " << round;
        // The combining operations themselves, against a set taken from the values one by one.
        const std::uint32_t length = std::max(base.length(), made.length());
        for (std::uint32_t n = 0; n < length + 2; ++n) {
            ASSERT_EQ(united.value(n), base.value(n) || made.value(n)) << round << "/" << n;
            ASSERT_EQ(subtracted.value(n), base.value(n) && !made.value(n)) << round << "/" << n;
        }
    }
}

}  // namespace
}  // namespace vexilor
