#pragma once

// Builds configuration file bytes by hand for the tests, so that each test shows the bytes that
// matter to it: a header with any tag and kind, records with any marker, sizes and bitmap.

#include "intercom/ConfigurationFile.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexilor::testing {

class CfgBytes {
public:
    // A 256-byte header: magic, tag, filler, "-", kind, "-EOH".
    static CfgBytes header(std::string_view tag = " int", char kind = 'F')
    {
        CfgBytes b;
        b.bytes_ = "Vrel";
        b.bytes_ += tag;
        b.bytes_.resize(250, 'x');
        b.bytes_ += '-';
        b.bytes_ += kind;
        b.bytes_ += "-EOH";
        return b;
    }

    CfgBytes& raw(std::string_view bytes)
    {
        bytes_ += bytes;
        return *this;
    }
    CfgBytes& zeros(std::size_t n)
    {
        bytes_.append(n, '\0');
        return *this;
    }
    CfgBytes& u16(std::uint16_t v)
    {
        bytes_ += static_cast<char>(v >> 8);
        bytes_ += static_cast<char>(v & 0xFF);
        return *this;
    }
    CfgBytes& u16le(std::uint16_t v)
    {
        bytes_ += static_cast<char>(v & 0xFF);
        bytes_ += static_cast<char>(v >> 8);
        return *this;
    }
    // Text units in either byte order, zero-filled to width units.
    CfgBytes& utf16(std::u16string_view text, std::size_t width, bool littleEndian)
    {
        for (std::size_t i = 0; i < width; ++i) {
            const std::uint16_t unit = i < text.size() ? text[i] : 0;
            littleEndian ? u16le(unit) : u16(unit);
        }
        return *this;
    }
    // Text zero-filled (or cut) to width bytes.
    CfgBytes& text(std::string_view text, std::size_t width)
    {
        bytes_ += text.substr(0, width);
        if (text.size() < width)
            bytes_.append(width - text.size(), '\0');
        return *this;
    }

    // Record header and bitmap; set holds the bit numbers to set (bit i for resource i + 1).
    CfgBytes& record(std::uint16_t type, std::uint16_t bitCount, std::uint16_t elementSize,
                     std::initializer_list<unsigned> set, std::uint32_t marker = 0x58585858)
    {
        u16(static_cast<std::uint16_t>(marker >> 16));
        u16(static_cast<std::uint16_t>(marker & 0xFFFF));
        u16(type);
        u16(bitCount);
        u16(elementSize);
        std::string bitmap((std::size_t{bitCount} + 7) / 8, '\0');
        for (unsigned bit : set)
            bitmap[bit / 8] = static_cast<char>(bitmap[bit / 8] | (1 << (bit % 8)));
        bytes_ += bitmap;
        return *this;
    }

    // One 8-bit alpha element: number, the three alphas twice, six zero bytes.
    CfgBytes& alpha8(std::string_view number, std::string_view a4, std::string_view a6,
                     std::string_view a8)
    {
        raw(number);
        for (int copy = 0; copy < 2; ++copy)
            text(a4, 4).text(a6, 6).text(a8, 8);
        return zeros(6);
    }
    // One Unicode alpha element: number, the alpha twice, 17 zero bytes.
    CfgBytes& alphaUnicode(std::string_view number, std::u16string_view alpha, bool littleEndian)
    {
        raw(number);
        utf16(alpha, 8, littleEndian).utf16(alpha, 8, littleEndian);
        return zeros(17);
    }

    // The configuration element as this program writes it (E = 518 + capability bytes), with the
    // 64 words given by number (1-based) and the rest zero.
    struct Config {
        std::vector<std::pair<unsigned, std::uint16_t>> words;
        std::uint16_t capabilityBits = 133;
        std::vector<unsigned> capabilitiesSet;
        std::string info, mainAddress, partnerAddress;
        std::uint16_t partnerActive = 0;
    };
    static std::uint16_t configSize(std::uint16_t capabilityBits)
    {
        return static_cast<std::uint16_t>(518 + (capabilityBits + 7) / 8);
    }
    CfgBytes& configElement(const Config& c)
    {
        std::uint16_t words[64] = {};
        for (auto [w, v] : c.words)
            words[w - 1] = v;
        for (std::uint16_t v : words)
            u16(v);
        u16(0).u16(c.capabilityBits);
        std::string bits((c.capabilityBits + 7u) / 8, '\0');
        for (unsigned i : c.capabilitiesSet)
            bits[i / 8] = static_cast<char>(bits[i / 8] | (1 << (i % 8)));
        raw(bits);
        text(c.info, 128).text(c.mainAddress, 128).text(c.partnerAddress, 128);
        return u16(c.partnerActive);
    }
    CfgBytes& config(const Config& c)
    {
        return record(84, 1, configSize(c.capabilityBits), {0}).configElement(c);
    }

    std::size_t size() const { return bytes_.size(); }
    const std::string& str() const { return bytes_; }
    std::span<const std::uint8_t> span() const
    {
        return {reinterpret_cast<const std::uint8_t*>(bytes_.data()), bytes_.size()};
    }

private:
    std::string bytes_;
};

inline std::span<const std::uint8_t> asSpan(const std::string& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

inline bool load(CIntercom& icom, const CfgBytes& bytes)
{
    return LoadConfigurationBytes(icom, bytes.span(), u"test.cfg");
}

inline bool load(CIntercom& icom, const std::string& bytes)
{
    return LoadConfigurationBytes(icom, asSpan(bytes), u"test.cfg");
}

}  // namespace vexilor::testing
