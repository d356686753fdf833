#include "restrictions/AccessSet.h"

#include <algorithm>
#include <cstring>

namespace vexilor {
namespace {

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
// that the value bytes alone hold the set's values there. Eight bytes at a time: the two arrays
// never overlap, which the compiler cannot see through the byte pointers.
void specifyAll(std::uint8_t* s, std::uint8_t* v, std::uint32_t count, bool all)
{
    if (count == 0)
        return;
    const std::uint64_t tail = all ? ~std::uint64_t{0} : 0;
    const std::uint32_t bytes = (count + 7) / 8;
    std::uint32_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t sw = 0;
        std::uint64_t vw = 0;
        std::memcpy(&sw, s + i, 8);
        std::memcpy(&vw, v + i, 8);
        vw = (sw & vw) | (~sw & tail);
        std::memcpy(v + i, &vw, 8);
    }
    for (; i < bytes; ++i)
        v[i] = static_cast<std::uint8_t>((s[i] & v[i]) | (~s[i] & tail));
    std::memset(s, 0xFF, bytes);
    maskTail(s, count);
    maskTail(v, count);
}

}  // namespace

CAccessSet::CAccessSet(const CAccessSet& other) : length_(other.length_), all_(other.all_)
{
    if (other.bits_) {
        bits_.reset(new std::uint8_t[2 * std::size_t(byteCount())]);
        std::memcpy(bits_.get(), other.bits_.get(), 2 * std::size_t(byteCount()));
    }
}

CAccessSet::CAccessSet(CAccessSet&& other) noexcept
    : bits_(std::move(other.bits_)), length_(other.length_), all_(other.all_)
{
    other.length_ = 0;
}

CAccessSet& CAccessSet::operator=(const CAccessSet& other)
{
    if (this == &other)
        return *this;
    if (byteCount() != other.byteCount() || !bits_)
        bits_.reset(other.bits_ ? new std::uint8_t[2 * std::size_t(other.byteCount())] : nullptr);
    length_ = other.length_;
    all_ = other.all_;
    if (other.bits_)
        std::memcpy(bits_.get(), other.bits_.get(), 2 * std::size_t(byteCount()));
    return *this;
}

CAccessSet& CAccessSet::operator=(CAccessSet&& other) noexcept
{
    bits_ = std::move(other.bits_);
    length_ = other.length_;
    all_ = other.all_;
    other.length_ = 0;
    return *this;
}

CAccessSet CAccessSet::uniform(bool v)
{
    CAccessSet s;
    s.all_ = v;
    return s;
}

CBitArray CAccessSet::specified() const
{
    CBitArray a(length_);
    a.loadBytes(specifiedBytes());
    return a;
}

CBitArray CAccessSet::values() const
{
    CBitArray a(length_);
    a.loadBytes(valueBytes());
    return a;
}

void CAccessSet::resize(std::uint32_t length)
{
    const std::uint32_t bytes = (length + 7) / 8;
    if (bytes != byteCount() || !bits_)
        bits_.reset(bytes ? new std::uint8_t[2 * std::size_t(bytes)] : nullptr);
    length_ = length;
    if (bits_)
        std::memset(bits_.get(), 0, 2 * std::size_t(bytes));
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
    if (length <= length_)
        return;
    const std::uint32_t oldBytes = byteCount();
    const std::uint32_t newBytes = (length + 7) / 8;
    if (newBytes != oldBytes || !bits_) {
        std::unique_ptr<std::uint8_t[]> fresh(new std::uint8_t[2 * std::size_t(newBytes)]);
        if (bits_) {
            std::memcpy(fresh.get(), bits_.get(), oldBytes);
            std::memcpy(fresh.get() + newBytes, bits_.get() + oldBytes, oldBytes);
        }
        std::memset(fresh.get() + oldBytes, 0, newBytes - oldBytes);
        std::memset(fresh.get() + newBytes + oldBytes, 0, newBytes - oldBytes);
        bits_ = std::move(fresh);
    }
    length_ = length;
}

void CAccessSet::set(std::uint32_t n, bool v)
{
    if (n > kMaxResourceNumber)
        return;
    growTo(n + 1);
    const auto mask = static_cast<std::uint8_t>(1u << (n & 7));
    specifiedBytes()[n >> 3] |= mask;
    if (v)
        valueBytes()[n >> 3] |= mask;
    else
        valueBytes()[n >> 3] &= static_cast<std::uint8_t>(~mask);
}

void CAccessSet::setRange(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t lo = std::min(a, b);
    const std::uint32_t hi = std::min(std::max(a, b), kMaxResourceNumber);
    if (lo > hi)
        return;
    growTo(hi + 1);
    setBits(specifiedBytes(), lo, hi);
    setBits(valueBytes(), lo, hi);
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
            setBits(specifiedBytes(), lo, hi);
            setBits(valueBytes(), lo, hi);
        }
    }
}

void CAccessSet::assignRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
{
    resize(runsLength(runs));
    all_ = false;
    setRanges(runs);
}

void CAccessSet::combineRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs,
                             bool remove)
{
    const std::uint32_t length = std::max(this->length(), runsLength(runs));
    if (length == 0)
        return;
    if (!bits_) {
        // Nothing specified yet: every resource below the length becomes specified with all.
        const std::uint32_t bytes = (length + 7) / 8;
        bits_.reset(new std::uint8_t[2 * std::size_t(bytes)]);
        length_ = length;
        std::memset(specifiedBytes(), 0xFF, bytes);
        std::memset(valueBytes(), all_ ? 0xFF : 0x00, bytes);
        maskTail(specifiedBytes(), length);
        maskTail(valueBytes(), length);
    } else {
        growTo(length);
        specifyAll(specifiedBytes(), valueBytes(), length_, all_);
    }
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (!clipRun(run, lo, hi))
            continue;
        if (remove)
            clearBits(valueBytes(), lo, hi);
        else
            setBits(valueBytes(), lo, hi);
    }
}

void CAccessSet::setAll()
{
    if (bits_)
        std::memset(bits_.get(), 0, 2 * std::size_t(byteCount()));
    all_ = true;
}

// Shared body of the three in-place operations: every resource below the new length becomes
// specified with the combined value; only the all flag differs between them. b may be this set.
void CAccessSet::combineWith(const CAccessSet& b, Combine how)
{
    const std::uint32_t length = std::max(length_, b.length_);
    if (length == 0)
        return;
    // b's bytes are read before this set changes when b is this set: growing leaves them alone
    // (same length) and specifyAll only makes explicit what they already say.
    const std::uint8_t tail = b.all_ ? 0xFF : 0x00;
    growTo(length);
    specifyAll(specifiedBytes(), valueBytes(), length_, all_);
    std::uint8_t* v = valueBytes();
    const std::uint8_t* bs = b.specifiedBytes();
    const std::uint8_t* bv = b.valueBytes();
    const std::uint32_t both = b.byteCount();
    const std::uint32_t bytes = byteCount();
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

void CAccessSet::uniteWith(const CAccessSet& b)
{
    combineWith(b, Combine::Or);
    all_ = all_ || b.all_;
}

void CAccessSet::subtract(const CAccessSet& b)
{
    // Every resource keeps its own value unless b takes it away, also where this set was not
    // specified and its all flag turns from true to false.
    combineWith(b, Combine::AndNot);
    all_ = all_ && !b.all_;
}

void CAccessSet::markUniteWith(const CAccessSet& b)
{
    combineWith(b, Combine::Or);
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
    return all_ == other.all_ && length_ == other.length_
        && (length_ == 0
            || std::memcmp(bits_.get(), other.bits_.get(), 2 * std::size_t(byteCount())) == 0);
}

}  // namespace vexilor
