#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>

#include "intercom/BitArray.h"

namespace vexilor {

// Resource numbers are 16-bit on the intercom; a set never grows past this number, so a stray
// number cannot make it allocate more than 8 KB per array.
inline constexpr std::uint32_t kMaxResourceNumber = 65535;

// The permissions of one record for one resource key. Resource n is either specified on its own
// (then its value bit answers) or not (then all answers, for numbers past the arrays too). Both
// arrays always have the same length and share one allocation (the specified bytes, then the
// value bytes), since a file holds hundreds of thousands of sets. A fresh set denies everything.
// Values true mean allowed or included; the same type holds explicit marks, where true means "set
// explicitly".
class CAccessSet {
public:
    CAccessSet() = default;
    CAccessSet(const CAccessSet& other);
    CAccessSet(CAccessSet&& other) noexcept;
    CAccessSet& operator=(const CAccessSet& other);
    CAccessSet& operator=(CAccessSet&& other) noexcept;
    ~CAccessSet() = default;

    // A set with nothing specified whose every value is v.
    static CAccessSet uniform(bool v);

    bool all() const { return all_; }
    std::uint32_t length() const { return length_; }
    bool isSpecified(std::uint32_t n) const { return n < length_ && bit(specifiedBytes(), n); }
    bool value(std::uint32_t n) const
    {
        return isSpecified(n) ? bit(valueBytes(), n) : all_;
    }
    // Copies of the two arrays.
    CBitArray specified() const;
    CBitArray values() const;
    // The arrays as bytes, byteCount() each (resource n in byte n / 8 under mask 1 << (n mod 8),
    // bits past the length clear); null when the length is 0.
    std::uint32_t byteCount() const { return (length_ + 7) / 8; }
    const std::uint8_t* specifiedBytes() const { return bits_.get(); }
    const std::uint8_t* valueBytes() const { return bits_ ? bits_.get() + byteCount() : nullptr; }
    // The values of resources 8 * i to 8 * i + 7 as the bits of one byte (resource 8 * i in bit
    // 0), whether specified or answered by all.
    std::uint8_t valueByte(std::uint32_t i) const
    {
        if (i >= byteCount())
            return all_ ? 0xFF : 0x00;
        const std::uint8_t s = specifiedBytes()[i];
        const std::uint8_t v = valueBytes()[i];
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
    static bool bit(const std::uint8_t* bytes, std::uint32_t n)
    {
        return (bytes[n >> 3] & (1u << (n & 7))) != 0;
    }
    std::uint8_t* specifiedBytes() { return bits_.get(); }
    std::uint8_t* valueBytes() { return bits_.get() + byteCount(); }
    // Replaces the arrays by length clear bits each.
    void resize(std::uint32_t length);
    void combineRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs, bool remove);
    enum class Combine { Or, AndNot };
    void combineWith(const CAccessSet& b, Combine how);

    std::unique_ptr<std::uint8_t[]> bits_;
    std::uint32_t length_ = 0;
    bool all_ = false;
};

}  // namespace vexilor
