#pragma once

// Reading a large restrictions file in parts at once, one thread per part, for the reader. A file is
// split where a studio, class or user section opens; the parts are read on their own and joined in
// order, with the checks that cross parts made at the join.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "restrictions/RestrictionsCrc.h"
#include "restrictions/RestrictionsModel.h"
#include "restrictions/RestrictionsParser.h"

namespace vexilor::partreading {

// Files from this size on are read in parts: below it, starting threads costs more than it saves.
inline constexpr std::size_t kPartsFromBytes = std::size_t{1} << 20;

// What reading one part leaves besides its model: the result, the CRC of every line read and how
// many bytes it took, the same at the CRC line, and the studios and classes it refers to without
// declaring them.
struct PartOutcome {
    RestrictionsParseResult result;
    CRestrictionsCrc crc;
    std::uint64_t crcBytes = 0;
    CRestrictionsCrc crcAtCrcLine;
    std::uint64_t crcBytesAtCrcLine = 0;
    std::vector<std::pair<EntityKind, std::u16string>> namesFromEarlierParts;
};

// Reads bytes into model as a whole file is read, without resetting the model. A later part starts
// its CRC from zero and takes a name it has not read as declared in an earlier part.
PartOutcome readPart(CRestrictionsModel& model, std::string_view bytes, bool laterPart);

// How many parts to read a file in: the options' number, else by its size and the processors.
unsigned partCount(std::string_view bytes, const RestrictionsReadOptions& options);

// Where the parts start: 0, then for each further part the first line at or after its share of
// the bytes that starts with '[' and opens a section. Fewer parts when there are not enough such
// lines.
std::vector<std::size_t> partStarts(std::string_view bytes, unsigned parts);

// Reads the parts at once and joins them into model (which is reset first). nullopt when the file
// must be read in one piece after all: a part failed (the error and what stays in the model depend
// on the parts before it), a name was declared twice or not before its use across parts, a second
// device line, or a CRC line before the last part.
std::optional<RestrictionsParseResult> parseInParts(CRestrictionsModel& model,
                                                    std::string_view bytes,
                                                    const std::vector<std::size_t>& starts);

}  // namespace vexilor::partreading
