#include "restrictions/MenuTemplate.h"

#include "MenuFixtures.h"
#include "restrictions/PeResources.h"

#include <gtest/gtest.h>

using namespace vexilor;
using vexilor::testing::menuFixture;
using vexilor::testing::readBytes;
using Kind = CMenuItem::Kind;

namespace {

// Little-endian template bytes written by hand.
class Bytes {
public:
    Bytes& u16(std::uint16_t v)
    {
        b_.push_back(static_cast<std::uint8_t>(v));
        b_.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Bytes& u32(std::uint32_t v) { return u16(static_cast<std::uint16_t>(v)).u16(static_cast<std::uint16_t>(v >> 16)); }
    Bytes& text(std::u16string_view s)
    {
        for (char16_t c : s)
            u16(c);
        return u16(0);
    }
    Bytes& align()
    {
        while (b_.size() % 4 != 0)
            b_.push_back(0);
        return *this;
    }
    // Standard template entries.
    Bytes& item(std::uint16_t flags, std::uint16_t id, std::u16string_view s) { return u16(flags).u16(id).text(s); }
    Bytes& popup(std::uint16_t flags, std::u16string_view s) { return u16(flags | 0x10).text(s); }
    // Extended template entries.
    Bytes& exItem(std::uint32_t type, std::uint32_t id, std::uint16_t info, std::u16string_view s)
    {
        return align().u32(type).u32(0).u32(id).u16(info).text(s);
    }
    Bytes& exPopup(std::uint32_t id, std::uint16_t info, std::u16string_view s)
    {
        return exItem(0, id, info | 1, s).align().u32(0);
    }
    const std::vector<std::uint8_t>& bytes() const { return b_; }

private:
    std::vector<std::uint8_t> b_;
};

Bytes standard() { return Bytes().u16(0).u16(0); }
Bytes extended() { return Bytes().u16(1).u16(4).u32(0); }

std::vector<CMenuItem> parse(const std::vector<std::uint8_t>& bytes)
{
    std::vector<CMenuItem> items;
    std::string error;
    EXPECT_TRUE(parseMenuTemplate(bytes, items, error)) << error;
    return items;
}

std::vector<std::uint8_t> fixtureTemplate(const char* module)
{
    const std::vector<std::uint8_t> image = readBytes(menuFixture(module));
    std::span<const std::uint8_t> data;
    std::string error;
    EXPECT_TRUE(findPeResource(image, kPeResourceTypeMenu, 128, data, error)) << error;
    return {data.begin(), data.end()};
}

CMenuItem command(std::uint32_t id, std::u16string text) { return {Kind::Command, id, std::move(text), {}}; }
CMenuItem separator() { return {Kind::Separator, 0, u"", {}}; }
CMenuItem popup(std::u16string text, std::vector<CMenuItem> children, std::uint32_t id = 0)
{
    return {Kind::Popup, id, std::move(text), std::move(children)};
}

TEST(MenuTemplate, ReadsStandardAndExtendedTemplatesIntoTheSameTree)
{
    const std::vector<CMenuItem> expected = {
        popup(u"&File", {command(1, u"&Open...\tCtrl+O"), separator(),
                         popup(u"&Export", {command(2, u"UPL"), command(0, u"Recent")}),
                         command(3, u"E&xit")}),
        command(4, u"&Help"),
    };
    const auto standardBytes = standard()
                                   .popup(0, u"&File")
                                   .item(0, 1, u"&Open...\tCtrl+O")
                                   .item(0, 0, u"")
                                   .popup(0, u"&Export")
                                   .item(0, 2, u"UPL")
                                   .item(0x80 | 0x1, 0, u"Recent")  // grayed, end
                                   .item(0x80, 3, u"E&xit")
                                   .item(0x80, 4, u"&Help")
                                   .bytes();
    EXPECT_EQ(parse(standardBytes), expected);

    auto withPopupIds = expected;
    withPopupIds[0].id = 1000;
    withPopupIds[0].children[2].id = 1001;
    const auto extendedBytes = extended()
                                   .exPopup(1000, 0, u"&File")
                                   .exItem(0, 1, 0, u"&Open...\tCtrl+O")
                                   .exItem(0x800, 0, 0, u"")
                                   .exPopup(1001, 0, u"&Export")
                                   .exItem(0, 2, 0, u"UPL")
                                   .exItem(0, 0, 0x80, u"Recent")
                                   .exItem(0, 3, 0x80, u"E&xit")
                                   .exItem(0, 4, 0x80, u"&Help")
                                   .bytes();
    EXPECT_EQ(parse(extendedBytes), withPopupIds);
}

TEST(MenuTemplate, FixtureMenusAgreeAcrossTemplateKinds)
{
    const std::vector<CMenuItem> fromStandard = parse(fixtureTemplate("win64/Tovrin.exe"));
    std::vector<CMenuItem> fromExtended = parse(fixtureTemplate("win32/Tovrin.exe"));
    ASSERT_EQ(fromStandard.size(), 6u);
    EXPECT_EQ(fromStandard[2], popup(u"&View", {command(59392, u"&Toolbar"), command(59393, u"&Status Bar")}));
    EXPECT_EQ(fromStandard[0].children[3], command(57604, u"Save &As..."));
    EXPECT_EQ(fromStandard[0].children[4].kind, Kind::Separator);
    EXPECT_EQ(fromStandard[0].children[7], command(0, u"Recent File"));
    // Extended popups carry identifiers; otherwise the trees are the same.
    const auto clearPopupIds = [](auto& self, std::vector<CMenuItem>& items) -> void {
        for (CMenuItem& item : items) {
            if (item.kind == Kind::Popup) {
                EXPECT_NE(item.id, 0u);
                item.id = 0;
                self(self, item.children);
            }
        }
    };
    clearPopupIds(clearPopupIds, fromExtended);
    EXPECT_EQ(fromExtended, fromStandard);
}

TEST(MenuTemplate, IgnoresBytesAfterTheLastEntry)
{
    auto bytes = standard().item(0x80, 7, u"Only").bytes();
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0x12});
    EXPECT_EQ(parse(bytes), std::vector<CMenuItem>{command(7, u"Only")});
}

TEST(MenuTemplate, RejectsMalformedTemplates)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"header only", standard().bytes()},
        {"no end flag", standard().item(0, 1, u"A").item(0, 2, u"B").bytes()},
        {"popup without an end flag",
         standard().popup(0x80, u"P").item(0, 1, u"A").bytes()},
        {"end flag inside the popup only", standard().popup(0, u"P").item(0x80, 1, u"A").bytes()},
        {"text without a terminator", standard().u16(0x80).u16(1).u16('A').u16('B').bytes()},
        {"item cut before its identifier", standard().u16(0x80).bytes()},
        {"header offset past the end", Bytes().u16(0).u16(40).item(0x80, 1, u"A").bytes()},
        {"unknown version", Bytes().u16(2).u16(0).item(0x80, 1, u"A").bytes()},
        {"extended without an end flag", extended().exItem(0, 1, 0, u"A").bytes()},
        {"extended popup without its help id", extended().exItem(0, 1, 0x81, u"P").bytes()},
        {"extended popup without an end flag in it",
         extended().exPopup(9, 0x80, u"P").exItem(0, 1, 0, u"A").bytes()},
        {"extended item cut short", extended().align().u32(0).u32(0).u16(1).bytes()},
    };
    for (const Case& c : cases) {
        std::vector<CMenuItem> items{command(1, u"kept")};
        std::string error;
        EXPECT_FALSE(parseMenuTemplate(c.bytes, items, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(items, std::vector<CMenuItem>{command(1, u"kept")}) << c.what << ": output touched";
    }
}

TEST(MenuTemplate, LimitsTheNesting)
{
    const auto nested = [](int popups, bool extendedTemplate) {
        Bytes b = extendedTemplate ? extended() : standard();
        for (int i = 0; i < popups; ++i)
            extendedTemplate ? b.exPopup(100, 0x80, u"P") : b.popup(0x80, u"P");
        extendedTemplate ? b.exItem(0, 1, 0x80, u"A") : b.item(0x80, 1, u"A");
        return b.bytes();
    };
    for (const bool ex : {false, true}) {
        std::vector<CMenuItem> items;
        std::string error;
        EXPECT_TRUE(parseMenuTemplate(nested(kMaxMenuDepth - 1, ex), items, error)) << ex << error;
        EXPECT_FALSE(parseMenuTemplate(nested(kMaxMenuDepth, ex), items, error)) << ex;
        EXPECT_EQ(error, "menu nested too deep");
        EXPECT_FALSE(parseMenuTemplate(nested(20000, ex), items, error)) << ex;
    }
}

// A cut-off template either still holds every entry or fails; it never yields a part of the menu.
TEST(MenuTemplate, TruncatedFixtureTemplatesParseWholeOrFail)
{
    for (const char* module : vexilor::testing::kMenuModules) {
        const std::vector<std::uint8_t> full = fixtureTemplate(module);
        const std::vector<CMenuItem> expected = parse(full);
        for (std::size_t length = 0; length < full.size(); ++length) {
            const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(length));
            std::vector<CMenuItem> items;
            std::string error;
            if (parseMenuTemplate(cut, items, error)) {
                EXPECT_EQ(items, expected) << module << " cut at " << length;
            }
        }
    }
}

}  // namespace
