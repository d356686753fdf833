#pragma once

#include <QString>

#include <span>

namespace vexilor {

// Column kinds of the permission lists. Glyph kinds show access; the others show text.
namespace colkind {
inline constexpr int kAccess = 1;      // check mark if allowed, else cross
inline constexpr int kAllow = 2;       // checked box if explicitly allowed, else empty box
inline constexpr int kDeny = 4;        // crossed box if explicitly denied, else empty box
inline constexpr int kInherited = 8;   // check mark if the inherited value allows, else cross
inline constexpr int kNumber = 16;
inline constexpr int kAlpha = 32;
inline constexpr int kDescription = 64;
inline constexpr int kName = 128;
inline constexpr int kIncluded = 256;  // checked box if included, else empty box
inline constexpr int kResourceType = 512;
inline constexpr int kInputAlpha = 1024;

constexpr bool IsGlyph(int kind)
{
    return kind == kAccess || kind == kAllow || kind == kDeny || kind == kInherited || kind == kIncluded;
}
}  // namespace colkind

// Sort kinds a column answers with (negative: the comparison runs reversed when ascending).
namespace sortkind {
inline constexpr int kInteger = 1;
inline constexpr int kFloat = 3;
inline constexpr int kOrdinal = 4;
inline constexpr int kNoCase = 5;
inline constexpr int kTextEmptyLast = 6;
inline constexpr int kDate = 7;
}  // namespace sortkind

struct ListColumn {
    const char* title;  // source text of the heading
    int kind;
    Qt::Alignment alignment;
};

QString ColumnTitle(const ListColumn& column);

// The column tables of the windows.
std::span<const ListColumn> FeatureColumns();
std::span<const ListColumn> ResourceColumns(bool splitAlphas);
std::span<const ListColumn> IntercomResourceColumns();
std::span<const ListColumn> CapabilityColumns();

}  // namespace vexilor
