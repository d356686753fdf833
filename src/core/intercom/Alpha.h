#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace vexilor {

// An alpha text of at most 8 UTF-16 units held inline: a configuration carries one CAlpha of four
// such texts for every resource, so thousands of them must not cost an allocation each.
// Assigning a longer text keeps its first 8 units (no alpha the intercom sends is longer).
class CAlphaString {
public:
    static constexpr std::size_t kCapacity = 8;

    constexpr CAlphaString() = default;
    // Implicit on purpose: fields are assigned and compared like strings.
    constexpr CAlphaString(std::u16string_view text) { assign(text); }
    constexpr CAlphaString(const char16_t* text) : CAlphaString(std::u16string_view(text)) {}
    CAlphaString(const std::u16string& text) : CAlphaString(std::u16string_view(text)) {}

    constexpr void assign(std::u16string_view text)
    {
        const std::size_t n = text.size() < kCapacity ? text.size() : kCapacity;
        size_ = static_cast<std::uint8_t>(n);
        units_ = {};
        text.copy(units_.data(), n);
    }
    constexpr CAlphaString& operator=(std::u16string_view text)
    {
        assign(text);
        return *this;
    }
    CAlphaString& operator=(const std::u16string& text)
    {
        return *this = std::u16string_view(text);
    }
    constexpr CAlphaString& operator=(const char16_t* text)
    {
        return *this = std::u16string_view(text);
    }

    constexpr std::u16string_view view() const { return {units_.data(), size_}; }
    constexpr operator std::u16string_view() const { return view(); }
    std::u16string str() const { return std::u16string(view()); }
    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr char16_t operator[](std::size_t i) const { return units_[i]; }

    friend constexpr bool operator==(const CAlphaString& a, const CAlphaString& b)
    {
        return a.view() == b.view();
    }
    friend constexpr bool operator==(const CAlphaString& a, std::u16string_view b)
    {
        return a.view() == b;
    }
    friend constexpr bool operator==(const CAlphaString& a, const char16_t* b)
    {
        return a.view() == std::u16string_view(b);
    }
    friend bool operator==(const CAlphaString& a, const std::u16string& b) { return a.view() == b; }

private:
    std::array<char16_t, kCapacity> units_{};
    std::uint8_t size_ = 0;
};

// Shows the units as U+XXXX escapes outside printable ASCII (for test failure messages).
std::ostream& operator<<(std::ostream& out, const CAlphaString& text);

// The alphas of one resource in the four widths the intercom knows. A size code selects a field:
// 4, 6, 8 or 16 (Unicode); any other code reads alpha4.
class CAlpha {
public:
    CAlphaString alpha4{u"N000"};
    CAlphaString alpha6{u"N00000"};
    CAlphaString alpha8{u"N0000000"};
    CAlphaString alphaUnicode{u"N0000000"};

    CAlphaString& Field(unsigned sizeCode);
    const CAlphaString& Field(unsigned sizeCode) const;

    // Stores text as the alpha of the size code, padded with spaces or cut to the width (8 for
    // code 16, else the code) and width-mapped: full width for 16, half-width katakana for 4, 6
    // and 8. Any other size code stores nothing.
    void SetAlpha(std::u16string_view text, unsigned sizeCode);

    friend bool operator==(const CAlpha&, const CAlpha&) = default;
};

// One resource's description. It keeps every unit it was given, zero units included; it is shown
// up to its first zero unit.
class CDesc {
public:
    std::u16string text;

    friend bool operator==(const CDesc&, const CDesc&) = default;
};

}  // namespace vexilor
