#pragma once

#include <cstddef>
#include <string_view>

#include "text/CodePage.h"
#include "text/Windows1252.h"

namespace vexilor::ressyntax {

// The reader takes a file in pieces of at most this many bytes, each up to and including a line
// feed; a longer physical line becomes several lines.
inline constexpr std::size_t kPieceBytes = 4095;

// Character classes of restrictions files, shared by the reader and the writer so that what the
// writer leaves unquoted is exactly what the reader takes for an identifier.

constexpr bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

namespace detail {

enum : unsigned char { kLetter = 1, kIdentifierPart = 2, kBlank = 4, kDelimiter = 8 };

// Classes of the units below 0x100, so that scanning a line costs one lookup per unit.
struct Latin1Classes {
    unsigned char bits[256] = {};
    constexpr Latin1Classes()
    {
        for (unsigned c = 0; c < 256; ++c) {
            const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 0xAA
                || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
            const bool part = letter || (c >= '0' && c <= '9') || c == '_' || c == '.';
            const bool blank = (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0;
            const bool delimiter = c == '"' || c == '+' || c == ',' || c == '-' || c == '='
                || c == '[' || c == ']';
            bits[c] = static_cast<unsigned char>((letter ? kLetter : 0) | (part ? kIdentifierPart : 0)
                                                 | (blank ? kBlank : 0)
                                                 | (delimiter ? kDelimiter : 0));
        }
    }
};

inline constexpr Latin1Classes kLatin1;

}  // namespace detail

// White space: the C0 blanks, the space, NEL, NBSP and the Unicode spaces.
constexpr bool isBlank(char16_t c)
{
    if (c < 0x100)
        return (detail::kLatin1.bits[c] & detail::kBlank) != 0;
    return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029
        || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Letters of the file's code page: ASCII, the Latin-1 letters and Latin Extended-A and -B (which
// hold the code page's other letters such as Š and Œ).
constexpr bool isLetter(char16_t c)
{
    return c < 0x100 ? (detail::kLatin1.bits[c] & detail::kLetter) != 0 : c <= 0x24F;
}

constexpr bool isIdentifierPart(char16_t c)
{
    return c < 0x100 ? (detail::kLatin1.bits[c] & detail::kIdentifierPart) != 0 : c <= 0x24F;
}

// What may follow an identifier, a number or a hex value (besides a blank or the line's end):
// double quote, plus, comma, hyphen, equals sign and the brackets.
constexpr bool isDelimiter(char16_t c)
{
    return c < 0x100 && (detail::kLatin1.bits[c] & detail::kDelimiter) != 0;
}

namespace detail {

// The classes of each byte of a file, taken from the unit it stands for, so that a line can be
// read as bytes and only its names converted.
struct ByteClasses {
    unsigned char bits[256] = {};
    constexpr ByteClasses()
    {
        for (unsigned b = 0; b < 256; ++b) {
            const char16_t c = text::windows1252Unit(static_cast<unsigned char>(b));
            bits[b] = static_cast<unsigned char>((isLetter(c) ? kLetter : 0)
                                                 | (isIdentifierPart(c) ? kIdentifierPart : 0)
                                                 | (isBlank(c) ? kBlank : 0)
                                                 | (isDelimiter(c) ? kDelimiter : 0));
        }
    }
};

inline constexpr ByteClasses kBytes;

}  // namespace detail

// The classes of each byte in another code page. A lead byte of a multi-byte code page has none:
// a name holding one must be quoted, and the quote, the blanks and the line end, which are never
// the second byte of a character, are found byte by byte.
struct CodePageByteClasses {
    unsigned char bits[256] = {};
    explicit CodePageByteClasses(const text::CodePage& codePage)
    {
        for (unsigned b = 0; b < 256; ++b) {
            if (codePage.isLeadByte(static_cast<unsigned char>(b)))
                continue;
            const char16_t c = codePage.byteUnit(static_cast<unsigned char>(b));
            bits[b] = static_cast<unsigned char>((isLetter(c) ? detail::kLetter : 0)
                                                 | (isIdentifierPart(c) ? detail::kIdentifierPart : 0)
                                                 | (isBlank(c) ? detail::kBlank : 0)
                                                 | (isDelimiter(c) ? detail::kDelimiter : 0));
        }
    }
};

constexpr bool isBlankByte(char b)
{
    return (detail::kBytes.bits[static_cast<unsigned char>(b)] & detail::kBlank) != 0;
}
constexpr bool isLetterByte(char b)
{
    return (detail::kBytes.bits[static_cast<unsigned char>(b)] & detail::kLetter) != 0;
}
constexpr bool isIdentifierPartByte(char b)
{
    return (detail::kBytes.bits[static_cast<unsigned char>(b)] & detail::kIdentifierPart) != 0;
}
// A blank or a delimiter: what may end an identifier or a number.
constexpr bool endsTokenByte(char b)
{
    return (detail::kBytes.bits[static_cast<unsigned char>(b)] & (detail::kBlank | detail::kDelimiter))
        != 0;
}

constexpr bool isIdentifier(std::u16string_view s)
{
    if (s.empty() || !isLetter(s[0]))
        return false;
    for (const char16_t c : s)
        if (!isIdentifierPart(c))
            return false;
    return true;
}

// s equals keyword (upper-case ASCII) without regard to case.
constexpr bool equalsKeyword(std::u16string_view s, std::u16string_view keyword)
{
    if (s.size() != keyword.size())
        return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = (s[i] >= u'a' && s[i] <= u'z') ? char16_t(s[i] - 32) : s[i];
        if (c != keyword[i])
            return false;
    }
    return true;
}

// A feature key that the reader takes back as written without quotes: an identifier that a
// "studio" or "class" line would not claim first.
constexpr bool isPlainFeatureKey(std::u16string_view key)
{
    return isIdentifier(key) && !equalsKeyword(key, u"STUDIO") && !equalsKeyword(key, u"CLASS");
}

}  // namespace vexilor::ressyntax
