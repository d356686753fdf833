#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vexilor {

// A growable vector of bits with an unsigned 32-bit count. Bit i lives in byte i / 8 under mask
// 1 << (i mod 8), least significant bit first; a count of 0 owns no storage. Reads and writes
// outside the count are ignored (reads yield false), so callers never need to range-check.
class CBitArray {
public:
    CBitArray() = default;
    explicit CBitArray(std::uint32_t count) { setSize(count); }
    CBitArray(const CBitArray& other) { assign(other); }
    CBitArray(CBitArray&& other) noexcept;
    CBitArray& operator=(const CBitArray& other);
    CBitArray& operator=(CBitArray&& other) noexcept;
    ~CBitArray() = default;

    std::uint32_t count() const { return count_; }
    std::uint32_t byteCount() const { return (count_ + 7) / 8; }
    bool hasStorage() const { return bytes_ != nullptr; }
    const std::uint8_t* data() const { return bytes_.get(); }
    // For byte-wise work on the bits; bits past the count in the last byte must stay clear.
    std::uint8_t* data() { return bytes_.get(); }

    // Replaces the storage by (n + 7) / 8 clear bytes; n = 0 leaves no storage.
    void setSize(std::uint32_t n);
    // Enlarges to n bits keeping every bit, new bits clear; a smaller n changes nothing.
    void grow(std::uint32_t n);

    void set(std::uint32_t i);
    void clear(std::uint32_t i);
    void setBit(std::uint32_t i, bool v) { v ? set(i) : clear(i); }
    bool test(std::uint32_t i) const
    {
        return bytes_ && i < count_ && (bytes_[i >> 3] & (1u << (i & 7))) != 0;
    }
    // Sets bits start .. start + n - 1 that lie below the count.
    void setRange(std::uint32_t start, std::uint32_t n);
    void clearAll();

    std::uint32_t countSet() const;
    // The index of the first set bit at or after i, or -1 when there is none below the count.
    std::int64_t nextSet(std::uint32_t i) const;

    void assign(const CBitArray& other);
    // True only when both counts are equal, both own storage and every byte is equal: two empty
    // arrays are not equal.
    bool equals(const CBitArray& other) const;
    // Copies count / 8 whole bytes from buffer, then the remaining count mod 8 bits of the next byte.
    void loadBytes(const std::uint8_t* buffer);

private:
    std::uint32_t count_ = 0;
    std::unique_ptr<std::uint8_t[]> bytes_;
};

}  // namespace vexilor
