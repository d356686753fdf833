#pragma once

#include "restrictions/MenuTemplate.h"

#include <string>
#include <string_view>
#include <vector>

namespace vexilor {

// Key mode builds restriction keys ("SaveAs"); display mode builds the texts users read ("Save As").
enum class MenuTextMode { Key, Display };

// Letters and digits of any script; punctuation, symbols and spaces are not.
bool isMenuLetterOrDigit(char16_t unit);

// Cleans one menu text: a tab ends it (the shortcut goes), letters and digits stay, blanks stay in
// display mode only, everything else goes. In display mode a mnemonic in parentheses, "(F)" or
// "(&F)", goes as a whole; other parenthesised words keep their letters.
std::u16string cleanMenuText(std::u16string_view text, MenuTextMode mode);

// Appends one name per command and popup of menu, in order, depth first: the prefix, the separator
// and the cleaned text, or the cleaned text alone when the prefix is empty. A popup's name is the
// prefix of its entries. Separators and entries with identifier 0 are skipped.
void walkMenu(const std::vector<CMenuItem>& menu, std::u16string_view prefix,
              std::u16string_view separator, MenuTextMode mode, std::vector<std::u16string>& out);

// The restriction keys of a menu ("Menu.File.SaveAs") and its display texts ("File / Save As").
std::vector<std::u16string> menuKeys(const std::vector<CMenuItem>& menu);
std::vector<std::u16string> menuTexts(const std::vector<CMenuItem>& menu);

// True when both menus list the same entries in the same places (each listed entry a command or a
// popup at the same depth), so that their names pair up by position.
bool sameMenuShape(const std::vector<CMenuItem>& a, const std::vector<CMenuItem>& b);

}  // namespace vexilor
