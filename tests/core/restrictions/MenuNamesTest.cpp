#include "restrictions/MenuNames.h"

#include <gtest/gtest.h>

using namespace vexilor;
using Kind = CMenuItem::Kind;

namespace {

std::string show(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\\u" + std::to_string(unsigned(c));
    return out;
}

TEST(MenuNames, CleansTextsForKeysAndForDisplay)
{
    struct Case {
        std::u16string text;
        std::u16string key;
        std::u16string display;
    };
    const Case cases[] = {
        {u"Save &As...", u"SaveAs", u"Save As"},
        {u"&Open...\tCtrl+O", u"Open", u"Open"},
        {u"&Status Bar", u"StatusBar", u"Status Bar"},
        // A mnemonic in parentheses goes in display mode; the blank before it stays.
        {u"Open (O)...\tCtrl+O", u"OpenO", u"Open "},
        {u"Open (&O)...\tCtrl+O", u"OpenO", u"Open "},
        {u"\u958B\u304F(&O)...", u"\u958B\u304FO", u"\u958B\u304F"},
        {u"(&F)", u"F", u""},
        {u"Item (2)", u"Item2", u"Item "},
        {u"Size \uFF08&S\uFF09", u"SizeS", u"Size "},  // full-width parentheses
        // Parenthesised words are not mnemonics: their letters stay.
        {u"Colo&urs (Custom)...", u"ColoursCustom", u"Colours Custom"},
        {u"Print (A", u"PrintA", u"Print A"},
        {u"Auto-Dial / UPL", u"AutoDialUPL", u"AutoDial  UPL"},
        {u"\tCtrl+X", u"", u""},
        {u"A\tB\tC", u"A", u"A"},
        {u"Caf\u00E9 Cr\u00E8me \u00D7 2", u"Caf\u00E9Cr\u00E8me2", u"Caf\u00E9 Cr\u00E8me  2"},
        {u"\u30C4\u30FC\u30EB \u30D0\u30FC(&T)", u"\u30C4\u30FC\u30EB\u30D0\u30FCT",
         u"\u30C4\u30FC\u30EB \u30D0\u30FC"},
        // Only the plain blank is a blank: the ideographic space, punctuation and symbols go.
        {u"A\u3000B\u3001C\u2026\u00A0D\u2192", u"ABCD", u"ABCD"},
        {u"\uFF21\uFF11\uFF08x\uFF09", u"\uFF21\uFF11x", u"\uFF21\uFF11"},
        {u"\xD83D\xDE00!", u"\xD83D\xDE00", u"\xD83D\xDE00"},  // surrogate pairs stay whole
        {u"", u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cleanMenuText(c.text, MenuTextMode::Key), c.key) << show(c.text);
        EXPECT_EQ(cleanMenuText(c.text, MenuTextMode::Display), c.display) << show(c.text);
    }
}

TEST(MenuNames, LettersAndDigitsOfEveryScript)
{
    for (char16_t c : std::u16string(u"aZ09\u00C0\u00FF\u0100\u03A9\u0416\u05D0\u0627\u0660\u0915"
                                     u"\u3042\u30A2\u30FC\u4E00\uAC00\uFF10\uFF21\uFF76\xD800\xDFFF"))
        EXPECT_TRUE(isMenuLetterOrDigit(c)) << unsigned(c);
    for (char16_t c : std::u16string(u" &.-/()\t\u00A0\u00D7\u00F7\u0301\u037E\u2014\u2026\u20AC"
                                     u"\u2192\u3000\u3001\u300C\u30FB\uFF01\uFF08\uFF5E\uE000\uFEFF"))
        EXPECT_FALSE(isMenuLetterOrDigit(c)) << unsigned(c);
}

CMenuItem command(std::uint32_t id, std::u16string text) { return {Kind::Command, id, std::move(text), {}}; }
CMenuItem separator() { return {Kind::Separator, 0, u"", {}}; }
CMenuItem popup(std::u16string text, std::vector<CMenuItem> children)
{
    return {Kind::Popup, 0, std::move(text), std::move(children)};
}

TEST(MenuNames, WalksCommandsAndPopupsInOrder)
{
    const std::vector<CMenuItem> menu = {
        popup(u"&File", {command(1, u"Save &As...\tCtrl+S"), separator(), command(0, u"Recent File"),
                         popup(u"&Export", {command(2, u"&UPL...")})}),
        popup(u"&View", {command(3, u"&Toolbar"), command(4, u"&Status Bar")}),
        popup(u"...", {command(5, u"&Odd")}),  // a popup whose text cleans to nothing
        command(6, u"&Help"),
    };
    const std::vector<std::u16string> keys = {
        u"Menu.File", u"Menu.File.SaveAs", u"Menu.File.Export", u"Menu.File.Export.UPL",
        u"Menu.View", u"Menu.View.Toolbar", u"Menu.View.StatusBar", u"Menu.", u"Menu..Odd",
        u"Menu.Help",
    };
    const std::vector<std::u16string> texts = {
        u"File", u"File / Save As", u"File / Export", u"File / Export / UPL", u"View",
        u"View / Toolbar", u"View / Status Bar", u"", u"Odd", u"Help",
    };
    EXPECT_EQ(menuKeys(menu), keys);
    EXPECT_EQ(menuTexts(menu), texts);
}

TEST(MenuNames, ComparesTheShapeOfListedEntries)
{
    const std::vector<CMenuItem> base = {
        popup(u"&File", {command(1, u"&Open"), separator(), command(2, u"E&xit")}),
        command(3, u"&Help"),
    };
    struct Case {
        const char* what;
        std::vector<CMenuItem> other;
        bool same;
    };
    const Case cases[] = {
        {"other texts and identifiers",
         {popup(u"X", {command(7, u"Y"), separator(), command(8, u"Z")}), command(9, u"W")}, true},
        {"separators do not count",
         {popup(u"X", {command(7, u"Y"), command(8, u"Z"), separator()}), command(9, u"W")}, true},
        {"an extra command", {popup(u"X", {command(7, u"Y"), command(8, u"Z"), command(10, u"V")}), command(9, u"W")},
         false},
        {"a command in place of a popup",
         {command(1, u"X"), command(7, u"Y"), command(8, u"Z"), command(9, u"W")}, false},
        {"an entry one level deeper",
         {popup(u"X", {command(7, u"Y"), popup(u"Q", {command(8, u"Z")})}), command(9, u"W")}, false},
        {"identifier 0 hides an entry",
         {popup(u"X", {command(7, u"Y"), command(0, u"Z")}), command(9, u"W")}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sameMenuShape(base, c.other), c.same) << c.what;
}

}  // namespace
