#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "intercom/Intercom.h"

namespace vexilor::cfg {

// Layout of configuration files: a 256-byte text header, then records of
//   marker 0x58585858, type, bit count N, element size E (16 bits each, big-endian),
//   a presence bitmap of (N + 7) / 8 bytes, one E-byte element per set bit.

inline constexpr std::size_t kHeaderSize = 256;
inline constexpr std::uint32_t kRecordMarker = 0x58585858;
inline constexpr std::size_t kRecordHeaderSize = 10;

inline constexpr std::uint16_t kConfigurationRecord = 84;
inline constexpr std::uint16_t kUplStatementRecord = 34;

// Element sizes of the records this program writes.
inline constexpr std::uint16_t kAlpha8Size = 45;
inline constexpr std::uint16_t kAlphaUnicodeSize = 52;
inline constexpr std::uint16_t kDesc8Size = 24;
inline constexpr std::uint16_t kDescUnicodeSize = 48;
inline constexpr std::uint16_t kUplStatementSize = 64;
inline constexpr std::size_t kDescUnits = 24;
inline constexpr std::size_t kUplStatementTextSize = 32;
inline constexpr std::size_t kAddressTextSize = 128;
// The fixed part of the configuration element around the capability bytes: 64 words (the last
// one the first list's length), the second list's length, the capability count, three texts and
// partnerActive.
inline constexpr std::size_t kConfigurationFixedSize = 128 + 2 + 2 + 3 * kAddressTextSize + 2;
// An alpha element names its resource number in three decimal digits.
inline constexpr unsigned kMaxAlphaNumber = 999;

// The 64 words at the start of the configuration element: the field of word 1 to 64, or nullptr
// for a word that is written 0 and ignored on reading (word 64, the length of a list we neither
// write nor read, is handled by the caller).
inline constexpr unsigned kConfigurationWords = 64;
std::uint16_t CIntercom::*ConfigurationWordField(unsigned word);
// The name of that field ("keypanelCount"), or nullptr.
const char* ConfigurationWordName(unsigned word);

enum class RecordKind { Unknown, Configuration, Alphas, Descriptions };

struct RecordInfo {
    RecordKind kind = RecordKind::Unknown;
    unsigned resourceType = 0;
    bool unicode = false;
};

// What a record type holds; Unknown for every type outside the table.
RecordInfo ClassifyRecord(std::uint16_t recordType);

// The 56 record types in the order they are written.
extern const std::array<std::uint16_t, 56> kWriteOrder;

// The header this program writes: identification text, product, version and build date, 0x1A,
// "QXJ" filler to 250 bytes, then "-F-EOH".
std::string BuildHeader(std::string_view productName, std::string_view version,
                        std::string_view buildDate);
// The header of this build.
std::string BuildHeader();

// A build date as 11 characters in the form "Mar 29 2011" (day padded with a space). Accepts
// "YYYY-MM-DD"; any other text is cut or padded with spaces to 11 characters.
std::string HeaderBuildDate(std::string_view buildDate);

struct HeaderInfo {
    bool littleEndianUnicode = false;  // tag "edit": written by Tovrin
    bool partial = false;              // "P": a partial setup file
};

// Checks magic, "-", "F"/"P" and "-EOH"; nullopt when the header is not one of ours.
std::optional<HeaderInfo> ParseHeader(std::string_view bytes);

}  // namespace vexilor::cfg
