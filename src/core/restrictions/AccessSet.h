#pragma once

#include <cstdint>
#include <span>
#include <utility>

#include "intercom/BitArray.h"

namespace vexilor {

// Resource numbers are 16-bit on the intercom; a set never grows past this number, so a stray
// number cannot make it allocate more than 8 KB per array.
inline constexpr std::uint32_t kMaxResourceNumber = 65535;

// The permissions of one record for one resource key. Resource n is either specified on its own
// (then its value bit answers) or not (then all answers, for numbers past the arrays too). Both
// arrays always have the same length. A fresh set denies everything. Values true mean allowed or
// included; the same type holds explicit marks, where true means "set explicitly".
class CAccessSet {
public:
    CAccessSet() = default;
    // A set with nothing specified whose every value is v.
    static CAccessSet uniform(bool v);

    bool all() const { return all_; }
    std::uint32_t length() const { return specified_.count(); }
    bool isSpecified(std::uint32_t n) const { return specified_.test(n); }
    bool value(std::uint32_t n) const { return specified_.test(n) ? values_.test(n) : all_; }
    const CBitArray& specified() const { return specified_; }
    const CBitArray& values() const { return values_; }
    // The values of resources 8 * i to 8 * i + 7 as the bits of one byte (resource 8 * i in bit
    // 0), whether specified or answered by all.
    std::uint8_t valueByte(std::uint32_t i) const
    {
        if (i >= specified_.byteCount())
            return all_ ? 0xFF : 0x00;
        const std::uint8_t s = specified_.data()[i];
        const std::uint8_t v = values_.data()[i];
        return static_cast<std::uint8_t>((s & v) | (~s & (all_ ? 0xFF : 0x00)));
    }
    // Every resource from first to last (inclusive) has value v; true when first > last.
    bool isUniform(std::uint32_t first, std::uint32_t last, bool v) const;

    // Grows both arrays to length (at most kMaxResourceNumber + 1), keeping every value; new
    // numbers are not specified.
    void growTo(std::uint32_t length);
    // Numbers above kMaxResourceNumber are ignored.
    void set(std::uint32_t n, bool v);
    // Specifies every number from min(a, b) to max(a, b) as allowed.
    void setRange(std::uint32_t a, std::uint32_t b);
    // setRange for every run (first, last) at once, growing the arrays once.
    void setRanges(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs);
    // Nothing specified any more, and all = true.
    void setAll();

    // The same as building a fresh set R with setRanges(runs) and then this = R, uniteWith(R)
    // or subtract(R), without making R.
    void assignRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs);
    void uniteWithRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
    {
        combineRuns(runs, false);
    }
    void subtractRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
    {
        combineRuns(runs, true);
    }

    // In place: this = union(this, b), difference(this, b), markUnion(this, b).
    void uniteWith(const CAccessSet& b);
    void subtract(const CAccessSet& b);
    void markUniteWith(const CAccessSet& b);

    // Every resource below the grown length becomes specified with value(a) or value(b);
    // all = a.all or b.all.
    static CAccessSet unite(const CAccessSet& a, const CAccessSet& b);
    // The resources of a that b does not take away: every resource below the grown length is
    // specified with value(a) and not value(b); all = a.all and not b.all.
    static CAccessSet difference(const CAccessSet& a, const CAccessSet& b);
    // For explicit marks: length of the longer of the two, each resource below it set to
    // value(a) or value(b); all = a.all and b.all.
    static CAccessSet markUnion(const CAccessSet& a, const CAccessSet& b);

    // Same length, same bits and same all flag.
    bool sameAs(const CAccessSet& other) const;

private:
    void combineRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs, bool remove);

    CBitArray specified_;
    CBitArray values_;
    bool all_ = false;
};

}  // namespace vexilor
