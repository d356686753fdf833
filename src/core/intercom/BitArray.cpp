#include "intercom/BitArray.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vexilor {

CBitArray::CBitArray(CBitArray&& other) noexcept
    : count_(other.count_), bytes_(std::move(other.bytes_))
{
    other.count_ = 0;
}

CBitArray& CBitArray::operator=(const CBitArray& other)
{
    if (this != &other)
        assign(other);
    return *this;
}

CBitArray& CBitArray::operator=(CBitArray&& other) noexcept
{
    count_ = other.count_;
    bytes_ = std::move(other.bytes_);
    other.count_ = 0;
    return *this;
}

void CBitArray::setSize(std::uint32_t n)
{
    // Storage of the same byte count is cleared in place rather than replaced.
    const std::uint32_t oldBytes = bytes_ ? byteCount() : 0;
    count_ = n;
    if (n == 0) {
        bytes_.reset();
        return;
    }
    if (oldBytes == byteCount()) {
        std::memset(bytes_.get(), 0, oldBytes);
        return;
    }
    bytes_ = std::make_unique<std::uint8_t[]>(byteCount());  // value-initialised: all clear
}

void CBitArray::grow(std::uint32_t n)
{
    if (n < count_ || (n == count_ && (bytes_ || n == 0)))
        return;
    const std::uint32_t oldBytes = bytes_ ? byteCount() : 0;
    const std::uint32_t newBytes = (n + 7) / 8;
    if (newBytes != oldBytes || !bytes_) {
        auto fresh = std::make_unique<std::uint8_t[]>(newBytes);
        if (bytes_)
            std::memcpy(fresh.get(), bytes_.get(), oldBytes);
        bytes_ = std::move(fresh);
    }
    count_ = n;
}

void CBitArray::set(std::uint32_t i)
{
    if (bytes_ && i < count_)
        bytes_[i >> 3] |= static_cast<std::uint8_t>(1u << (i & 7));
}

void CBitArray::clear(std::uint32_t i)
{
    if (bytes_ && i < count_)
        bytes_[i >> 3] &= static_cast<std::uint8_t>(~(1u << (i & 7)));
}

void CBitArray::setRange(std::uint32_t start, std::uint32_t n)
{
    if (!bytes_ || start >= count_ || n == 0)
        return;
    const std::uint32_t end = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t(start) + n, count_));  // exclusive
    const std::uint32_t first = start >> 3, last = (end - 1) >> 3;
    const auto maskFrom = [](std::uint32_t bit) { return static_cast<std::uint8_t>(0xFFu << bit); };
    const auto maskTo = [](std::uint32_t bit) { return static_cast<std::uint8_t>(0xFFu >> (7 - bit)); };
    if (first == last) {
        bytes_[first] |= static_cast<std::uint8_t>(maskFrom(start & 7) & maskTo((end - 1) & 7));
        return;
    }
    bytes_[first] |= maskFrom(start & 7);
    if (last > first + 1)
        std::memset(bytes_.get() + first + 1, 0xFF, last - first - 1);
    bytes_[last] |= maskTo((end - 1) & 7);
}

void CBitArray::clearAll()
{
    if (bytes_)
        std::memset(bytes_.get(), 0, byteCount());
}

std::uint32_t CBitArray::countSet() const
{
    if (!bytes_)
        return 0;
    std::uint32_t total = 0;
    const std::uint32_t full = count_ / 8;
    for (std::uint32_t b = 0; b < full; ++b)
        total += static_cast<std::uint32_t>(std::popcount(bytes_[b]));
    for (std::uint32_t i = full * 8; i < count_; ++i)
        total += test(i) ? 1 : 0;
    return total;
}

std::int64_t CBitArray::nextSet(std::uint32_t i) const
{
    if (!bytes_)
        return -1;
    while (i < count_) {
        const std::uint8_t byte = static_cast<std::uint8_t>(bytes_[i >> 3] >> (i & 7));
        if (byte == 0) {
            i = (i | 7) + 1;
            continue;
        }
        const std::uint32_t found = i + static_cast<std::uint32_t>(std::countr_zero(byte));
        return found < count_ ? std::int64_t(found) : -1;
    }
    return -1;
}

void CBitArray::assign(const CBitArray& other)
{
    if (this == &other)
        return;
    setSize(other.count_);
    if (other.bytes_ && bytes_)
        std::memcpy(bytes_.get(), other.bytes_.get(), byteCount());
}

bool CBitArray::equals(const CBitArray& other) const
{
    return count_ == other.count_ && bytes_ && other.bytes_
        && std::memcmp(bytes_.get(), other.bytes_.get(), byteCount()) == 0;
}

void CBitArray::loadBytes(const std::uint8_t* buffer)
{
    if (!bytes_ || !buffer)
        return;
    const std::uint32_t whole = count_ / 8;
    std::memcpy(bytes_.get(), buffer, whole);
    if (const std::uint32_t rest = count_ % 8; rest != 0) {
        const auto mask = static_cast<std::uint8_t>((1u << rest) - 1);
        bytes_[whole] = static_cast<std::uint8_t>((bytes_[whole] & ~mask) | (buffer[whole] & mask));
    }
}

}  // namespace vexilor
