#include "restrictions/AccessSet.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vexilor {
namespace {

std::uint8_t storedByte(const CBitArray& bits, std::uint32_t i)
{
    return i < bits.byteCount() && bits.hasStorage() ? bits.data()[i] : std::uint8_t{0};
}

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

enum class Combine { Or, AndNot };

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
    for (std::uint32_t i = 0; i < bytes; ++i) {
        const std::uint8_t va = a.valueByte(i);
        const std::uint8_t vb = b.valueByte(i);
        buffer[i] = how == Combine::Or ? static_cast<std::uint8_t>(va | vb)
                                       : static_cast<std::uint8_t>(va & ~vb);
    }
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

std::uint8_t CAccessSet::valueByte(std::uint32_t i) const
{
    const std::uint8_t s = storedByte(specified_, i);
    const std::uint8_t v = storedByte(values_, i);
    const std::uint8_t tail = all_ ? 0xFF : 0x00;
    return static_cast<std::uint8_t>((s & v) | (~s & tail));
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
