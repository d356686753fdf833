#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "restrictions/RestrictionsModel.h"
#include "text/CodePage.h"

namespace vexilor {

// Whether the names of a model come back the same from the file the writer makes of it. A name is
// written between double quotes on a line of its own kind ([STUDIO "..."], studio+="...",
// class="..."); the reader takes back one or more characters up to the next double quote, within
// a line of at most the reader's piece length, after converting the line from the file's code
// page.

// The longest name, in bytes of the code page (a two-byte character counts twice), that fits on
// every line the writer puts it on ([STUDIO "name"] with CR LF).
inline constexpr std::size_t kMaxWritableNameLength = 4082;

enum class NameFault {
    Empty,
    // A character the file cannot hold: one the code page cannot hold, a double quote, a line feed.
    Character,
    TooLong,
};

struct NameFlaw {
    NameFault fault;
    // For Character: the position of the character (of its high surrogate outside the BMP).
    std::size_t position = 0;
};

// What keeps name from reading back the same from a file in codePage; nothing when it does.
std::optional<NameFlaw> nameFlaw(std::u16string_view name, const text::CodePage& codePage = {});

struct UnwritableName {
    // Studio, Class or User; None for the device name.
    EntityKind kind;
    std::u16string name;
    NameFlaw flaw;
};

// The first name of model that would not read back the same, in file order: the device name, the
// studios, the classes with their studio references, the users with their class and studio
// references. Nothing when every name would.
std::optional<UnwritableName> firstUnwritableName(const CRestrictionsModel& model,
                                                  const text::CodePage& codePage = {});

}  // namespace vexilor
