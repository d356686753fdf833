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
// (then its value answers) or not (then all answers, for numbers past the length too). A fresh
// set denies everything. Values true mean allowed or included; the same type holds explicit
// marks, where true means "set explicitly".
//
// A file holds hundreds of thousands of sets, and most of them have one of a few shapes: nothing
// specified, everything below the length specified (what every union and difference leaves), or
// specified exactly where allowed (a range list of its own). Such a set keeps one array of bits or
// none instead of two; the shape is not visible from outside.
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
    bool isSpecified(std::uint32_t n) const
    {
        if (n >= length_)
            return false;
        switch (form_) {
        case Form::None: return false;
        case Form::Dense:
        case Form::Filled: return true;
        case Form::Mirrored:
        case Form::Split: break;
        }
        return bit(bits_.get(), n);
    }
    bool value(std::uint32_t n) const
    {
        if (n >= length_)
            return all_;
        switch (form_) {
        case Form::None: return all_;
        case Form::Dense: return bit(bits_.get(), n);
        case Form::Filled: return fill_;
        case Form::Mirrored: return bit(bits_.get(), n) || all_;
        case Form::Split: break;
        }
        return bit(bits_.get(), n) ? bit(bits_.get() + words(), n) : all_;
    }
    // Which resources are specified, and the value of each specified one (false elsewhere).
    CBitArray specified() const;
    CBitArray values() const;
    // Resources 64 * w to 64 * w + 63 as the bits of one word (resource 64 * w in bit 0): which
    // of them are specified (none past the length), and the value of each, whether specified or
    // answered by all.
    std::uint64_t specifiedWord(std::uint32_t w) const
    {
        return w < words() ? specifiedWordAt(w) : 0;
    }
    std::uint64_t valueWord(std::uint32_t w) const
    {
        const std::uint64_t tail = all_ ? ~std::uint64_t{0} : 0;
        if (w >= words())
            return tail;
        const std::uint64_t spec = specifiedWordAt(w);
        return (spec & ownValueWordAt(w)) | (~spec & tail);
    }
    // The values of resources 8 * i to 8 * i + 7 as the bits of one byte, as valueWord.
    std::uint8_t valueByte(std::uint32_t i) const
    {
        return static_cast<std::uint8_t>(valueWord(i / 8) >> (8 * (i % 8)));
    }
    // Every resource from first to last (inclusive) has value v; true when first > last.
    bool isUniform(std::uint32_t first, std::uint32_t last, bool v) const;

    // Grows to length (at most kMaxResourceNumber + 1), keeping every value; new numbers are not
    // specified.
    void growTo(std::uint32_t length);
    // Numbers above kMaxResourceNumber are ignored.
    void set(std::uint32_t n, bool v);
    // Specifies every number from min(a, b) to max(a, b) as allowed.
    void setRange(std::uint32_t a, std::uint32_t b);
    // setRange for every run (first, last) at once, growing once.
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

    // Same length, same all flag, the same resources specified with the same values.
    bool sameAs(const CAccessSet& other) const;

private:
    // How the bits are kept: in words of 64 (resource n in word n / 64 under 1 << (n mod 64)),
    // every bit past the length clear.
    enum class Form : std::uint8_t {
        None,      // nothing specified; no array
        Dense,     // everything below the length specified; one array of values
        Filled,    // everything below the length specified with the value fill_; no array
        Mirrored,  // specified exactly where allowed; one array for both
        Split,     // an array of which are specified, then one of their values
    };

    static bool bit(const std::uint64_t* words, std::uint32_t n)
    {
        return ((words[n >> 6] >> (n & 63)) & 1) != 0;
    }
    // The bits of word w that stand for numbers below length.
    static std::uint64_t wordBelow(std::uint32_t w, std::uint32_t length)
    {
        const std::uint64_t first = std::uint64_t{w} * 64;
        if (first >= length)
            return 0;
        if (length - first >= 64)
            return ~std::uint64_t{0};
        return (std::uint64_t{1} << (length - first)) - 1;
    }
    std::uint32_t words() const { return (length_ + 63) / 64; }
    std::size_t storedWords() const;
    // For word w below words(): which resources are specified, and the values of the specified
    // ones (clear elsewhere).
    std::uint64_t specifiedWordAt(std::uint32_t w) const
    {
        switch (form_) {
        case Form::None: return 0;
        case Form::Dense:
        case Form::Filled: return wordBelow(w, length_);
        case Form::Mirrored:
        case Form::Split: break;
        }
        return bits_[w];
    }
    std::uint64_t ownValueWordAt(std::uint32_t w) const
    {
        switch (form_) {
        case Form::None: return 0;
        case Form::Filled: return fill_ ? wordBelow(w, length_) : 0;
        case Form::Dense:
        case Form::Mirrored: return bits_[w];
        case Form::Split: break;
        }
        return bits_[words() + w];
    }

    // Into the Split form (the None form when the length is 0), keeping every value.
    void toSplit();
    // Every resource below length (at least the current one) becomes specified with its value.
    void toDense(std::uint32_t length);
    // Whether every resource below length (at least the current one) has one value, and which.
    bool oneValueOver(std::uint32_t length, bool& v) const;
    // The Filled form: every resource below length specified with value v.
    void toFilled(std::uint32_t length, bool v);
    void combineRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs, bool remove);
    enum class Combine { Or, AndNot };
    void combineWith(const CAccessSet& b, Combine how);

    std::unique_ptr<std::uint64_t[]> bits_;
    std::uint32_t length_ = 0;
    bool all_ = false;
    Form form_ = Form::None;
    bool fill_ = false;
};

}  // namespace vexilor
