#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexilor::text {

// The 8-bit code page of restrictions files, of the 8-bit texts of configuration files and of the
// 8-bit texts on the wire: the ANSI code page of Tovrin's PC. Windows-1252 is built in; any other
// is converted by the platform (the Win32 code page functions on Windows, iconv elsewhere), once,
// into tables, so that converting is a lookup and behaves the same on every platform.
//
// Every code page here keeps ASCII as it is, one byte per character, so a byte below 0x80 is
// always the character of that value and never part of another character. A multi-byte code page
// (932, 936, 949, 950) has lead bytes, each starting a two-byte character whose second byte may
// be ASCII ('\\', '[', letters...).
//
// Decoding never fails: a byte or pair the code page does not assign becomes U+FFFD (a single
// byte 0x80-0x9F of a single-byte code page becomes the C1 control of that value, as in the
// built-in Windows-1252, so that such bytes survive a round trip). Encoding is the exact inverse
// of decoding: a character is held only when it reads back as itself.
class CodePage {
public:
    // Windows-1252.
    CodePage() = default;

    // The code page of that number, or nullopt when the platform cannot convert it (or it is not
    // a code page that keeps ASCII). 1252 always exists.
    static std::optional<CodePage> make(unsigned number);

    unsigned number() const;
    bool isWindows1252() const { return tables_ == nullptr; }
    bool isMultiByte() const;
    bool isLeadByte(unsigned char byte) const;
    // The character of a byte that is not a lead byte (U+FFFD for a lead byte or an unassigned
    // byte).
    char16_t byteUnit(unsigned char byte) const;

    std::u16string decode(std::string_view bytes) const;
    // Appends the characters of bytes to out.
    void decodeAppend(std::string_view bytes, std::u16string& out) const;

    // Characters the code page cannot hold become '?': callers that must not lose a character
    // check firstUnencodable first.
    std::string encode(std::u16string_view text) const;
    // The bytes of one unit into out (room for two): how many, 1 or 2; '?' when it cannot hold it.
    std::size_t encodeUnit(char16_t unit, char* out) const;
    // The position of the first unit that the code page cannot hold (a surrogate half always);
    // nullopt when it holds the whole text.
    std::optional<std::size_t> firstUnencodable(std::u16string_view text) const;

    // The longest prefix of bytes (encoded text) that is at most width bytes long and does not end
    // inside a two-byte character: how a text is cut to a fixed field.
    std::size_t fit(std::string_view bytes, std::size_t width) const;

    bool operator==(const CodePage& other) const { return number() == other.number(); }

    struct Tables;

private:
    explicit CodePage(std::shared_ptr<const Tables> tables) : tables_(std::move(tables)) {}

    std::shared_ptr<const Tables> tables_;  // null: the built-in Windows-1252
};

// The Windows ANSI code pages that this platform can convert, in ascending order (1252 always).
std::vector<unsigned> convertibleCodePages();

// The code page used when nothing else is chosen: the system's ANSI code page on Windows,
// Windows-1252 elsewhere.
unsigned systemCodePage();

// A label for choosing a code page, e.g. "1250 (Central European)".
std::u16string codePageLabel(unsigned number);

}  // namespace vexilor::text
