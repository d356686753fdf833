#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vexilor::cfg {

// Reads big-endian values from a byte buffer. Every read checks the bytes that remain first and
// fails without moving when there are too few, so a truncated file never reads past its end.
class CByteReader {
public:
    explicit CByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

    bool skip(std::uint64_t n);
    bool readU16(std::uint16_t& value);
    bool readU32(std::uint32_t& value);
    // A view of the next n bytes; valid as long as the buffer is.
    bool readBytes(std::size_t n, std::span<const std::uint8_t>& out);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// Appends big-endian values to a byte string.
class CByteWriter {
public:
    explicit CByteWriter(std::string& out) : out_(out) {}

    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void bytes(std::string_view data) { out_.append(data); }
    void zeros(std::size_t n) { out_.append(n, '\0'); }
    // The text cut or zero-filled to exactly width bytes.
    void fixed(std::string_view text, std::size_t width);
    // UTF-16 units high byte first, cut or zero-filled to exactly width units.
    void utf16be(std::u16string_view text, std::size_t width);

private:
    std::string& out_;
};

}  // namespace vexilor::cfg
