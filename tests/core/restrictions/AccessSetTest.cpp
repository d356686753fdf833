#include <gtest/gtest.h>

#include <functional>
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

// Copies and moves must carry whatever arrays a set keeps and leave no sharing behind.
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

// A set as the operations are defined, one entry per number, against which every shape the set
// takes inside (nothing specified, everything specified, one value everywhere, specified where
// allowed, both arrays) is checked after each of a random run of operations.
struct ReferenceSet {
    std::vector<bool> spec;
    std::vector<bool> val;
    bool all = false;

    std::uint32_t length() const { return static_cast<std::uint32_t>(spec.size()); }
    bool value(std::uint32_t n) const { return n < length() && spec[n] ? bool(val[n]) : all; }
    void growTo(std::uint32_t length)
    {
        length = std::min(length, kMaxResourceNumber + 1);
        if (length > this->length()) {
            spec.resize(length, false);
            val.resize(length, false);
        }
    }
    void set(std::uint32_t n, bool v)
    {
        if (n > kMaxResourceNumber)
            return;
        growTo(n + 1);
        spec[n] = true;
        val[n] = v;
    }
    void setRange(std::uint32_t a, std::uint32_t b)
    {
        const std::uint32_t hi = std::min(std::max(a, b), kMaxResourceNumber);
        for (std::uint32_t n = std::min(a, b); n <= hi; ++n)
            set(n, true);
    }
    void combine(const ReferenceSet& b, const std::function<bool(bool, bool)>& op, bool newAll)
    {
        const std::uint32_t length = std::max(this->length(), b.length());
        std::vector<bool> v(length);
        for (std::uint32_t n = 0; n < length; ++n)
            v[n] = op(value(n), b.value(n));
        spec.assign(length, true);
        val = v;
        all = newAll;
    }
};

using Runs = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

ReferenceSet referenceOf(const Runs& runs)
{
    ReferenceSet r;
    for (const auto& [a, b] : runs)
        r.setRange(a, b);
    return r;
}

void expectSame(const CAccessSet& s, const ReferenceSet& r, const std::string& where)
{
    ASSERT_EQ(s.length(), r.length()) << where;
    ASSERT_EQ(s.all(), r.all) << where;
    const CBitArray specified = s.specified();
    const CBitArray values = s.values();
    for (std::uint32_t n = 0; n < r.length() + 70; ++n) {
        const bool spec = n < r.length() && r.spec[n];
        const bool value = r.value(n);
        const bool same = s.isSpecified(n) == spec && s.value(n) == value
            && specified.test(n) == spec && values.test(n) == (spec && r.val[n])
            && (((s.specifiedWord(n / 64) >> (n % 64)) & 1) != 0) == spec
            && (((s.valueWord(n / 64) >> (n % 64)) & 1) != 0) == value
            && (((s.valueByte(n / 8) >> (n % 8)) & 1) != 0) == value;
        ASSERT_TRUE(same) << where << " at " << n;
    }
    // The same content built number by number compares equal, and a copy stays equal.
    CAccessSet rebuilt = CAccessSet::uniform(r.all);
    for (std::uint32_t n = 0; n < r.length(); ++n)
        if (r.spec[n])
            rebuilt.set(n, r.val[n]);
    rebuilt.growTo(r.length());
    ASSERT_TRUE(s.sameAs(rebuilt) && rebuilt.sameAs(s)) << where;
    const CAccessSet copy = s;
    ASSERT_TRUE(copy.sameAs(s)) << where;
    CAccessSet changed = s;
    changed.set(r.length() / 2, !s.value(r.length() / 2));
    ASSERT_FALSE(changed.sameAs(s)) << where;
}

TEST(AccessSet, EveryOperationOnEveryShapeMatchesTheDefinition)
{
    std::mt19937 rng(11);
    auto pick = [&rng](std::uint32_t lo, std::uint32_t hi) {
        return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng);
    };
    // Numbers cluster around the word edges at 64, 128 and 192.
    auto number = [&]() -> std::uint32_t {
        switch (pick(0, 3)) {
        case 0: return pick(0, 300);
        case 1: return pick(0, 8);
        default: return 64 * pick(1, 3) - 3 + pick(0, 6);
        }
    };
    auto randomRuns = [&]() {
        Runs runs;
        for (std::uint32_t i = 0, n = pick(0, 4); i < n; ++i) {
            const std::uint32_t a = number();
            runs.emplace_back(a, pick(0, 2) == 0 ? a : number());
        }
        return runs;
    };
    // One random operation on both; a second operand comes from a short run of operations itself.
    std::function<std::string(CAccessSet&, ReferenceSet&, int)> step =
        [&](CAccessSet& s, ReferenceSet& r, int depth) -> std::string {
        const std::uint32_t op = pick(0, depth > 0 ? 8 : 11);
        switch (op) {
        case 0: {
            const std::uint32_t n = number();
            const bool v = pick(0, 1) == 1;
            s.set(n, v);
            r.set(n, v);
            return "set";
        }
        case 1: {
            const std::uint32_t a = number();
            const std::uint32_t b = number();
            s.setRange(a, b);
            r.setRange(a, b);
            return "setRange";
        }
        case 2: {
            const Runs runs = randomRuns();
            s.setRanges(runs);
            for (const auto& [a, b] : runs)
                r.setRange(a, b);
            return "setRanges";
        }
        case 3:
            s.setAll();
            r.spec.assign(r.length(), false);
            r.val.assign(r.length(), false);
            r.all = true;
            return "setAll";
        case 4: {
            const std::uint32_t length = number();
            s.growTo(length);
            r.growTo(length);
            return "growTo";
        }
        case 5: {
            const Runs runs = randomRuns();
            s.assignRuns(runs);
            r = referenceOf(runs);
            return "assignRuns";
        }
        case 6: {
            const Runs runs = randomRuns();
            s.uniteWithRuns(runs);
            r.combine(referenceOf(runs), std::logical_or<>(), r.all);
            return "uniteWithRuns";
        }
        case 7: {
            const Runs runs = randomRuns();
            s.subtractRuns(runs);
            r.combine(referenceOf(runs), [](bool a, bool b) { return a && !b; }, r.all);
            return "subtractRuns";
        }
        case 8: {
            const bool v = pick(0, 1) == 1;
            s = CAccessSet::uniform(v);
            r = ReferenceSet{{}, {}, v};
            return "uniform";
        }
        default: {
            CAccessSet b = CAccessSet::uniform(pick(0, 1) == 1);
            ReferenceSet rb{{}, {}, b.all()};
            for (std::uint32_t i = 0, n = pick(0, 3); i < n; ++i)
                step(b, rb, depth + 1);
            const bool self = pick(0, 8) == 0;
            const CAccessSet& other = self ? s : b;
            const ReferenceSet ro = self ? r : rb;
            if (op == 9) {
                s.uniteWith(other);
                r.combine(ro, std::logical_or<>(), r.all || ro.all);
                return "uniteWith";
            }
            if (op == 10) {
                s.subtract(other);
                r.combine(ro, [](bool a, bool b) { return a && !b; }, r.all && !ro.all);
                return "subtract";
            }
            s.markUniteWith(other);
            r.combine(ro, std::logical_or<>(), r.all && ro.all);
            return "markUniteWith";
        }
        }
    };
    for (int round = 0; round < 3000; ++round) {
        CAccessSet s = CAccessSet::uniform(pick(0, 1) == 1);
        ReferenceSet r{{}, {}, s.all()};
        std::string trail;
        for (int i = 0; i < 8; ++i) {
            trail += " " + step(s, r, 0);
            expectSame(s, r, "round " + std::to_string(round) + ":" + trail);
            if (HasFatalFailure())
                return;
        }
    }
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
