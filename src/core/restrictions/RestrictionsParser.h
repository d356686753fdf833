#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "restrictions/RestrictionsModel.h"
#include "text/CodePage.h"

namespace vexilor {

// The outcome of reading a restrictions file.
struct RestrictionsParseResult {
    bool ok = false;
    // The line of the error, counted from 1 (0 when the file could not be opened).
    int line = 0;
    // The message alone, e.g. "Studio not declared."; empty on success.
    std::string message;
    // What the user is shown: "[line]:message\n"; empty on success.
    std::string errorText;

    // The CRC line: whether one was read, the value it states (saturated at 0xFFFFFFFF) and the
    // CRC of the lines above it. A missing or wrong CRC does not make the read fail.
    bool crcSeen = false;
    std::uint32_t crcStated = 0;
    std::uint16_t crcComputed = 0;
    bool crcMatches() const { return crcSeen && crcStated == crcComputed; }
};

// How a file is read.
struct RestrictionsReadOptions {
    // A large file is read in parts at once, one thread each, split where a studio, class or user
    // section starts; the result is the same as reading it in one piece (a file with an error is
    // read again in one piece to report it). 0 chooses by the file's size and the processors;
    // 1 reads in one piece.
    unsigned parts = 0;
    // The code page of the file's bytes.
    text::CodePage codePage{};
};

// Reads the bytes of a restrictions file into model, which is reset first. Each class and user
// keeps its own settings and links as written. The first error stops the read: the sections
// completed above the failing line stay in the model, the section being read is dropped (with its
// class and studio links) and the model is not marked loaded. On success the model is loaded and
// valid for editing.
RestrictionsParseResult parseRestrictions(CRestrictionsModel& model, std::string_view bytes,
                                          const RestrictionsReadOptions& options = {});

// The same for a file on disk; an unreadable file gives "Could not open file." at line 0. A file
// large enough to be read in parts is also read from disk in two halves at once.
RestrictionsParseResult readRestrictionsFile(CRestrictionsModel& model,
                                             const std::filesystem::path& path,
                                             const RestrictionsReadOptions& options = {});

}  // namespace vexilor
