#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "intercom/ConfigFileMessages.h"
#include "intercom/Intercom.h"
#include "text/CodePage.h"

namespace vexilor {

// The configuration file caches one intercom's configuration: a 256-byte header and binary records
// (sizes, capabilities, addresses, alphas, descriptions). The file does not carry the intercom's
// name: callers set CIntercom::name themselves. Its 8-bit texts are in the given code page
// (Windows-1252 unless told).

// The file of the intercom named name in directory dir: dir / (name + ".cfg").
std::filesystem::path ConfigurationFilePath(const std::filesystem::path& dir,
                                            std::u16string_view name);

// Loads the file into icom. Alphas, descriptions and messages are emptied first; the other fields
// keep their values until the file replaces them. On return icom.messages holds the errors and
// warnings of this load in the order they arose. True when the file was read to its end (possibly
// with warnings); false when it was not read or read only up to an error, whose contents stay.
bool LoadConfigurationFile(CIntercom& icom, const std::filesystem::path& path,
                           const text::CodePage& codePage = {});
// The same over bytes already in memory; pathText names the file in messages.
bool LoadConfigurationBytes(CIntercom& icom, std::span<const std::uint8_t> bytes,
                            std::u16string_view pathText, const text::CodePage& codePage = {});

// The whole file image of icom: header, then every record in the write order. An 8-bit text is cut
// to its field at a character boundary.
std::string ConfigurationFileBytes(const CIntercom& icom, const text::CodePage& codePage = {});

// Writes the file atomically: a temporary file beside the target is written and flushed, then
// renamed over the target, so a failed save keeps the previous file. On false, error holds the
// text to show.
bool SaveConfigurationFile(const std::filesystem::path& path, const CIntercom& icom,
                           std::u16string& error, const text::CodePage& codePage = {});

// A path as text for messages (UTF-8 narrow names are decoded; bad bytes become U+FFFD).
std::u16string PathText(const std::filesystem::path& path);

}  // namespace vexilor
