#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexilor {

// One entry of a menu read from a menu resource, independent of the template it came from.
struct CMenuItem {
    enum class Kind : std::uint8_t { Command, Popup, Separator };

    Kind kind = Kind::Command;
    std::uint32_t id = 0;      // command identifier; popups of standard templates have none (0)
    std::u16string text;       // as stored: "&" mnemonics and "\t" shortcuts included
    std::vector<CMenuItem> children;  // the entries of a popup

    bool operator==(const CMenuItem&) const = default;
};

// Nesting deeper than this is refused; real menus stay within a handful of levels.
inline constexpr int kMaxMenuDepth = 32;

// Parses a standard (version 0) or extended (version 1) menu template into its top-level entries.
// Fails, with a short English reason in error, when an entry or its text runs past the end of
// bytes, a level has no end flag before the end, the nesting is too deep or the version is unknown.
// Bytes after the last entry are ignored.
bool parseMenuTemplate(std::span<const std::uint8_t> bytes, std::vector<CMenuItem>& items,
                       std::string& error);

}  // namespace vexilor
