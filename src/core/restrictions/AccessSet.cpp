#include "restrictions/AccessSet.h"

#include <algorithm>
#include <cstring>

namespace vexilor {
namespace {

bool sameBits(const CBitArray& a, const CBitArray& b)
{
    if (a.count() != b.count())
        return false;
    return a.count() == 0 || a.equals(b);
}

// Sets bits lo to hi (inclusive) of a byte array, whole bytes at a time.
void setBits(std::uint8_t* bytes, std::uint32_t lo, std::uint32_t hi)
{
    const std::uint32_t first = lo / 8;
    const std::uint32_t last = hi / 8;
    const auto from = static_cast<std::uint8_t>(0xFFu << (lo % 8));
    const auto to = static_cast<std::uint8_t>(0xFFu >> (7 - hi % 8));
    if (first == last) {
        bytes[first] |= static_cast<std::uint8_t>(from & to);
        return;
    }
    bytes[first] |= from;
    std::memset(bytes + first + 1, 0xFF, last - first - 1);
    bytes[last] |= to;
}

// Clears bits lo to hi (inclusive) of a byte array.
void clearBits(std::uint8_t* bytes, std::uint32_t lo, std::uint32_t hi)
{
    const std::uint32_t first = lo / 8;
    const std::uint32_t last = hi / 8;
    const auto from = static_cast<std::uint8_t>(0xFFu << (lo % 8));
    const auto to = static_cast<std::uint8_t>(0xFFu >> (7 - hi % 8));
    if (first == last) {
        bytes[first] &= static_cast<std::uint8_t>(~(from & to));
        return;
    }
    bytes[first] &= static_cast<std::uint8_t>(~from);
    std::memset(bytes + first + 1, 0x00, last - first - 1);
    bytes[last] &= static_cast<std::uint8_t>(~to);
}

// The valid part of a run of a range list: (lo, hi) ordered and clipped to kMaxResourceNumber;
// false when nothing of it is a resource number.
bool clipRun(const std::pair<std::uint32_t, std::uint32_t>& run, std::uint32_t& lo,
             std::uint32_t& hi)
{
    lo = std::min(run.first, run.second);
    hi = std::min(std::max(run.first, run.second), kMaxResourceNumber);
    return lo <= hi;
}

// The length a set of these runs has: the highest number plus one, 0 when there is none.
std::uint32_t runsLength(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
{
    std::uint32_t length = 0;
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (clipRun(run, lo, hi))
            length = std::max(length, hi + 1);
    }
    return length;
}

// Clears the bits of the last byte that lie past count.
void maskTail(std::uint8_t* bytes, std::uint32_t count)
{
    if (count % 8 != 0)
        bytes[(count - 1) / 8] &= static_cast<std::uint8_t>((1u << (count % 8)) - 1);
}

// Turns every resource below the arrays' length into a specified one with its current value, so
// that the values array alone holds the set's values there.
void specifyAll(CBitArray& specified, CBitArray& values, bool all)
{
    const std::uint32_t count = specified.count();
    if (count == 0)
        return;
    std::uint8_t* s = specified.data();
    std::uint8_t* v = values.data();
    const std::uint8_t tail = all ? 0xFF : 0x00;
    const std::uint32_t bytes = specified.byteCount();
    for (std::uint32_t i = 0; i < bytes; ++i) {
        v[i] = static_cast<std::uint8_t>((s[i] & v[i]) | (~s[i] & tail));
        s[i] = 0xFF;
    }
    maskTail(s, count);
    maskTail(v, count);
}

enum class Combine { Or, AndNot };

// Shared body of the three in-place operations: every resource below the new length becomes
// specified with the combined value; only the all flag differs between them. Works in a's own
// arrays; b may be a itself.
void combineInto(CBitArray& specified, CBitArray& values, const CAccessSet& a,
                 const CAccessSet& b, Combine how)
{
    const std::uint32_t length = std::max(a.length(), b.length());
    if (length == 0)
        return;
    specified.grow(length);
    values.grow(length);
    specifyAll(specified, values, a.all());
    std::uint8_t* v = values.data();
    const std::uint8_t* bs = b.specified().data();
    const std::uint8_t* bv = b.values().data();
    const std::uint32_t both = b.specified().byteCount();
    const std::uint8_t tail = b.all() ? 0xFF : 0x00;
    const std::uint32_t bytes = (length + 7) / 8;
    std::uint32_t i = 0;
    if (how == Combine::Or) {
        for (; i < both; ++i)
            v[i] = static_cast<std::uint8_t>(v[i] | (bs[i] & bv[i]) | (~bs[i] & tail));
        for (; i < bytes; ++i)
            v[i] = static_cast<std::uint8_t>(v[i] | tail);
    } else {
        for (; i < both; ++i)
            v[i] = static_cast<std::uint8_t>(v[i] & ~((bs[i] & bv[i]) | (~bs[i] & tail)));
        for (; i < bytes; ++i)
            v[i] = static_cast<std::uint8_t>(v[i] & ~tail);
    }
    maskTail(v, length);
}

}  // namespace

CAccessSet CAccessSet::uniform(bool v)
{
    CAccessSet s;
    s.all_ = v;
    return s;
}

bool CAccessSet::isUniform(std::uint32_t first, std::uint32_t last, bool v) const
{
    if (first > last)
        return true;
    // Past the arrays every value is all.
    const std::uint32_t len = length();
    if (last >= len) {
        if (all_ != v)
            return false;
        if (first >= len)
            return true;
        last = len - 1;
    }
    const std::uint8_t want = v ? 0xFF : 0x00;
    std::uint32_t n = first;
    for (; n <= last && (n & 7) != 0; ++n)
        if (value(n) != v)
            return false;
    for (; n + 7 <= last; n += 8)
        if (valueByte(n / 8) != want)
            return false;
    for (; n <= last; ++n)
        if (value(n) != v)
            return false;
    return true;
}

void CAccessSet::growTo(std::uint32_t length)
{
    length = std::min(length, kMaxResourceNumber + 1);
    specified_.grow(length);
    values_.grow(length);
}

void CAccessSet::set(std::uint32_t n, bool v)
{
    if (n > kMaxResourceNumber)
        return;
    growTo(n + 1);
    specified_.set(n);
    values_.setBit(n, v);
}

void CAccessSet::setRange(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t lo = std::min(a, b);
    const std::uint32_t hi = std::min(std::max(a, b), kMaxResourceNumber);
    if (lo > hi)
        return;
    growTo(hi + 1);
    specified_.setRange(lo, hi - lo + 1);
    values_.setRange(lo, hi - lo + 1);
}

void CAccessSet::setRanges(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
{
    const std::uint32_t length = runsLength(runs);
    if (length == 0)
        return;
    growTo(length);
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (clipRun(run, lo, hi)) {
            setBits(specified_.data(), lo, hi);
            setBits(values_.data(), lo, hi);
        }
    }
}

void CAccessSet::assignRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
{
    const std::uint32_t length = runsLength(runs);
    specified_.setSize(length);
    values_.setSize(length);
    all_ = false;
    setRanges(runs);
}

void CAccessSet::combineRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs,
                             bool remove)
{
    const std::uint32_t length = std::max(this->length(), runsLength(runs));
    if (length == 0)
        return;
    growTo(length);
    specifyAll(specified_, values_, all_);
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (!clipRun(run, lo, hi))
            continue;
        if (remove)
            clearBits(values_.data(), lo, hi);
        else
            setBits(values_.data(), lo, hi);
    }
}

void CAccessSet::setAll()
{
    specified_.clearAll();
    values_.clearAll();
    all_ = true;
}

void CAccessSet::uniteWith(const CAccessSet& b)
{
    combineInto(specified_, values_, *this, b, Combine::Or);
    all_ = all_ || b.all_;
}

void CAccessSet::subtract(const CAccessSet& b)
{
    // Every resource keeps its own value unless b takes it away, also where this set was not
    // specified and its all flag turns from true to false.
    combineInto(specified_, values_, *this, b, Combine::AndNot);
    all_ = all_ && !b.all_;
}

void CAccessSet::markUniteWith(const CAccessSet& b)
{
    combineInto(specified_, values_, *this, b, Combine::Or);
    all_ = all_ && b.all_;
}

CAccessSet CAccessSet::unite(const CAccessSet& a, const CAccessSet& b)
{
    CAccessSet r = a;
    r.uniteWith(b);
    return r;
}

CAccessSet CAccessSet::difference(const CAccessSet& a, const CAccessSet& b)
{
    CAccessSet r = a;
    r.subtract(b);
    return r;
}

CAccessSet CAccessSet::markUnion(const CAccessSet& a, const CAccessSet& b)
{
    CAccessSet r = a;
    r.markUniteWith(b);
    return r;
}

bool CAccessSet::sameAs(const CAccessSet& other) const
{
    return all_ == other.all_ && sameBits(specified_, other.specified_)
        && sameBits(values_, other.values_);
}

}  // namespace vexilor
