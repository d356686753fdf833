#include "intercom/ConfigFileBytes.h"

namespace vexilor::cfg {

bool CByteReader::skip(std::uint64_t n)
{
    if (n > remaining())
        return false;
    pos_ += static_cast<std::size_t>(n);
    return true;
}

bool CByteReader::readU16(std::uint16_t& value)
{
    if (remaining() < 2)
        return false;
    value = static_cast<std::uint16_t>((bytes_[pos_] << 8) | bytes_[pos_ + 1]);
    pos_ += 2;
    return true;
}

bool CByteReader::readU32(std::uint32_t& value)
{
    if (remaining() < 4)
        return false;
    value = (std::uint32_t{bytes_[pos_]} << 24) | (std::uint32_t{bytes_[pos_ + 1]} << 16)
        | (std::uint32_t{bytes_[pos_ + 2]} << 8) | std::uint32_t{bytes_[pos_ + 3]};
    pos_ += 4;
    return true;
}

bool CByteReader::readBytes(std::size_t n, std::span<const std::uint8_t>& out)
{
    if (n > remaining())
        return false;
    out = bytes_.subspan(pos_, n);
    pos_ += n;
    return true;
}

void CByteWriter::u16(std::uint16_t value)
{
    out_ += static_cast<char>(value >> 8);
    out_ += static_cast<char>(value & 0xFF);
}

void CByteWriter::u32(std::uint32_t value)
{
    u16(static_cast<std::uint16_t>(value >> 16));
    u16(static_cast<std::uint16_t>(value & 0xFFFF));
}

void CByteWriter::fixed(std::string_view text, std::size_t width)
{
    const std::size_t n = text.size() < width ? text.size() : width;
    out_.append(text.substr(0, n));
    out_.append(width - n, '\0');
}

void CByteWriter::utf16be(std::u16string_view text, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        u16(i < text.size() ? static_cast<std::uint16_t>(text[i]) : 0);
}

}  // namespace vexilor::cfg
