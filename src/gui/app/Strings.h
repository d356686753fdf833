#pragma once

#include "app/TextFormat.h"

#include <QString>

#include <initializer_list>
#include <span>

namespace vexilor::strings {

// The program's string table: message, label and prompt texts under their numeric ids. Texts go
// through Qt's translation under the context "vexilor::strings", so a loaded language file can
// replace any of them; the English text is the source.
struct Entry {
    int id;
    const char* text;  // UTF-8 source text
};

// Every entry, ordered by id (checked when the table is compiled).
std::span<const Entry> Table();

bool HasText(int id);

// The text of id. A missing id is a programming error: it asserts in debug builds and shows as
// "<string N>" otherwise, so it cannot pass unnoticed.
QString Text(int id);

// The text of id filled with FormatText (%s, %d, %u, %lx, %1 ...).
QString Text(int id, std::initializer_list<FormatArg> args);

// The texts of ids first .. last joined, for messages assembled from consecutive entries.
QString JoinedTexts(int first, int last);

}  // namespace vexilor::strings
