#include "restrictions/AccessSet.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vexilor {
namespace {

bool sameBits(const CBitArray& a, const CBitArray& b)
{
    if (a.count() != b.count())
        return false;
    return a.count() == 0 || a.equals(b);
}

// The byte-wise operations build the new value bytes here and load them into the grown array,
// so that a long set costs one pass and no allocation beyond the growth itself.
std::vector<std::uint8_t>& scratch(std::uint32_t bytes)
{
    thread_local std::vector<std::uint8_t> buffer;
    if (buffer.size() < bytes)
        buffer.resize(bytes);
    return buffer;
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

enum class Combine { Or, AndNot };

// The value bytes of a set: specified bits answer for themselves, the others by the all flag.
struct ValueBytes {
    explicit ValueBytes(const CAccessSet& s)
        : spec(s.specified().data()), vals(s.values().data()), count(s.specified().byteCount()),
          tail(s.all() ? 0xFF : 0x00)
    {
    }
    std::uint8_t at(std::uint32_t i) const
    {
        return static_cast<std::uint8_t>((spec[i] & vals[i]) | (~spec[i] & tail));
    }

    const std::uint8_t* spec;
    const std::uint8_t* vals;
    std::uint32_t count;
    std::uint8_t tail;
};

std::uint8_t combine(std::uint8_t a, std::uint8_t b, Combine how)
{
    return how == Combine::Or ? static_cast<std::uint8_t>(a | b) : static_cast<std::uint8_t>(a & ~b);
}

// Shared body of the three in-place operations: every resource below the new length becomes
// specified with the combined value; only the all flag differs between them.
void combineInto(CBitArray& specified, CBitArray& values, const CAccessSet& a,
                 const CAccessSet& b, Combine how)
{
    const std::uint32_t length = std::max(a.length(), b.length());
    if (length == 0)
        return;
    const std::uint32_t bytes = (length + 7) / 8;
    std::vector<std::uint8_t>& buffer = scratch(bytes);
    const ValueBytes va(a);
    const ValueBytes vb(b);
    const std::uint32_t both = std::min(va.count, vb.count);
    std::uint32_t i = 0;
    // Eight bytes at a time where both sets have bytes.
    const std::uint64_t ta = va.tail ? ~std::uint64_t{0} : 0;
    const std::uint64_t tb = vb.tail ? ~std::uint64_t{0} : 0;
    for (; i + 8 <= both; i += 8) {
        std::uint64_t as, av, bs, bv;
        std::memcpy(&as, va.spec + i, 8);
        std::memcpy(&av, va.vals + i, 8);
        std::memcpy(&bs, vb.spec + i, 8);
        std::memcpy(&bv, vb.vals + i, 8);
        const std::uint64_t x = (as & av) | (~as & ta);
        const std::uint64_t y = (bs & bv) | (~bs & tb);
        const std::uint64_t r = how == Combine::Or ? (x | y) : (x & ~y);
        std::memcpy(buffer.data() + i, &r, 8);
    }
    if (how == Combine::Or) {
        for (; i < both; ++i)
            buffer[i] = static_cast<std::uint8_t>(va.at(i) | vb.at(i));
    } else {
        for (; i < both; ++i)
            buffer[i] = static_cast<std::uint8_t>(va.at(i) & ~vb.at(i));
    }
    for (; i < va.count; ++i)
        buffer[i] = combine(va.at(i), vb.tail, how);
    for (; i < vb.count; ++i)
        buffer[i] = combine(va.tail, vb.at(i), how);
    if (length % 8 != 0)
        buffer[bytes - 1] &= static_cast<std::uint8_t>((1u << (length % 8)) - 1);
    specified.grow(length);
    values.grow(length);
    specified.setRange(0, length);
    values.loadBytes(buffer.data());
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
    std::uint32_t highest = 0;
    bool any = false;
    for (const auto& [a, b] : runs) {
        if (std::min(a, b) > kMaxResourceNumber)
            continue;
        highest = std::max(highest, std::min(std::max(a, b), kMaxResourceNumber));
        any = true;
    }
    if (!any)
        return;
    growTo(highest + 1);
    const std::uint32_t bytes = specified_.byteCount();
    std::vector<std::uint8_t>& bits = scratch(2 * bytes);
    std::uint8_t* spec = bits.data();
    std::uint8_t* vals = bits.data() + bytes;
    std::copy_n(specified_.data(), bytes, spec);
    std::copy_n(values_.data(), bytes, vals);
    for (const auto& [a, b] : runs) {
        const std::uint32_t lo = std::min(a, b);
        const std::uint32_t hi = std::min(std::max(a, b), kMaxResourceNumber);
        if (lo <= hi) {
            setBits(spec, lo, hi);
            setBits(vals, lo, hi);
        }
    }
    specified_.loadBytes(spec);
    values_.loadBytes(vals);
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
