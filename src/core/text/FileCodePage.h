#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "text/CodePage.h"

namespace vexilor::text {

// The code page that restrictions files are written in (the one chosen for Tovrin's PC, Windows-1252
// unless told). Whoever needs to know whether a text survives that code page asks here.

// The position (in UTF-16 units) of the first character of text that the file's code page cannot
// hold, i.e. that would not read back as the same character; nothing when all of it can. A
// character outside the BMP counts as one, at the position of its high surrogate; a lone
// surrogate cannot be held.
std::optional<std::size_t> firstUnencodable(std::u16string_view text,
                                            const CodePage& codePage = {});

// The character that starts at pos: a surrogate pair as one code point, anything else as its unit.
char32_t codePointAt(std::u16string_view text, std::size_t pos);

}  // namespace vexilor::text
