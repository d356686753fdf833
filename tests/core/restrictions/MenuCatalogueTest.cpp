#include "restrictions/MenuCatalogue.h"

#include "MenuFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vexilor;
using vexilor::testing::menuFixture;
using vexilor::testing::readBytes;
using vexilor::testing::ScratchDir;
using vexilor::testing::writeBytes;

namespace {

std::size_t indexOf(const CMenuCatalogue& catalogue, std::u16string_view key)
{
    const auto& keys = catalogue.keys();
    return static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
}

// The text shown for key, or "<missing>".
std::u16string textOf(const CMenuCatalogue& catalogue, std::u16string_view key)
{
    const std::size_t i = indexOf(catalogue, key);
    return i < catalogue.count() ? catalogue.text(i) : u"<missing>";
}

TEST(MenuCatalogue, ReadsKeysAndTextsFromTheExecutable)
{
    CMenuCatalogue catalogue;
    ASSERT_TRUE(catalogue.load(menuFixture("win64/Tovrin.exe"))) << catalogue.error();
    EXPECT_FALSE(catalogue.translated());  // there is no tvres1033.dll beside it
    EXPECT_TRUE(catalogue.error().empty());
    ASSERT_EQ(catalogue.count(), 40u);
    ASSERT_EQ(catalogue.texts().size(), catalogue.count());
    EXPECT_EQ(catalogue.key(0), u"Menu.File");
    EXPECT_EQ(catalogue.text(0), u"File");
    EXPECT_EQ(textOf(catalogue, u"Menu.File.SaveAs"), u"File / Save As");
    const std::size_t view = indexOf(catalogue, u"Menu.View");
    ASSERT_LT(view + 2, catalogue.count());
    EXPECT_EQ(catalogue.key(view + 1), u"Menu.View.Toolbar");
    EXPECT_EQ(catalogue.key(view + 2), u"Menu.View.StatusBar");
    EXPECT_EQ(catalogue.text(view), u"View");
    EXPECT_EQ(catalogue.text(view + 1), u"View / Toolbar");
    EXPECT_EQ(catalogue.text(view + 2), u"View / Status Bar");
    EXPECT_EQ(textOf(catalogue, u"Menu.Intercom.Trunking.Assignments.DornetAssignment"),
              u"Intercom / Trunking / Assignments / Dornet Assignment");
    EXPECT_EQ(textOf(catalogue, u"Menu.Options.ColoursCustom"), u"Options / Colours Custom");
    // Separators and the entry with identifier 0 are not listed.
    EXPECT_EQ(indexOf(catalogue, u"Menu.File.RecentFile"), catalogue.count());
    EXPECT_EQ(indexOf(catalogue, u"Menu.File."), catalogue.count());
    EXPECT_THROW(catalogue.key(catalogue.count()), std::out_of_range);
}

TEST(MenuCatalogue, TakesTextsFromTheLanguageLibrary)
{
    CMenuCatalogue english;
    ASSERT_TRUE(english.load(menuFixture("win64/Tovrin.exe")));
    for (const char* dir : {"win64", "win32"}) {
        CMenuCatalogue catalogue;
        ASSERT_TRUE(catalogue.load(menuFixture(std::string(dir) + "/Tovrin.exe"), 1041)) << dir;
        EXPECT_TRUE(catalogue.translated()) << dir;
        EXPECT_EQ(catalogue.keys(), english.keys()) << dir;
        EXPECT_EQ(textOf(catalogue, u"Menu.File.Open"), u"\u30D5\u30A1\u30A4\u30EB / \u958B\u304F ")
            << dir;
        EXPECT_EQ(textOf(catalogue, u"Menu.View.StatusBar"),
                  u"\u8868\u793A / \u30B9\u30C6\u30FC\u30BF\u30B9 \u30D0\u30FC")
            << dir;
        EXPECT_EQ(textOf(catalogue, u"Menu.Intercom.Trunking.QuidraLinks"),
                  u"\u30A4\u30F3\u30BF\u30FC\u30B3\u30E0 / \u30C8\u30E9\u30F3\u30AD\u30F3\u30B0 / "
                  u"Quidra Links")
            << dir;
    }
}

TEST(MenuCatalogue, ExtendedTemplateGivesTheSameCatalogue)
{
    CMenuCatalogue standard;
    CMenuCatalogue extended;
    ASSERT_TRUE(standard.load(menuFixture("win64/Tovrin.exe")));
    ASSERT_TRUE(extended.load(menuFixture("win32/Tovrin.exe")));
    EXPECT_EQ(extended.keys(), standard.keys());
    EXPECT_EQ(extended.texts(), standard.texts());
}

TEST(MenuCatalogue, LooksForTheLanguageLibraryOfTheGivenLocaleBesideTheExecutable)
{
    EXPECT_EQ(CMenuCatalogue::languageLibraryPath("/opt/tovrin/Tovrin.exe", 1041),
              std::filesystem::path("/opt/tovrin/tvres1041.dll"));
    EXPECT_EQ(CMenuCatalogue::languageLibraryPath("Tovrin.exe", 7), std::filesystem::path("tvres7.dll"));

    // Without a locale the library of 1033 is read.
    ScratchDir dir;
    std::filesystem::copy_file(menuFixture("win64/Tovrin.exe"), dir / "Tovrin.exe");
    std::filesystem::copy_file(menuFixture("win64/tvres1041.dll"), dir / "tvres1033.dll");
    CMenuCatalogue catalogue;
    ASSERT_TRUE(catalogue.load(dir / "Tovrin.exe"));
    EXPECT_TRUE(catalogue.translated());
    ASSERT_TRUE(catalogue.load(dir / "Tovrin.exe", 1041));
    EXPECT_FALSE(catalogue.translated());
}

TEST(MenuCatalogue, FallsBackToTheExecutableTextsWhenTheLibraryCannotServe)
{
    const std::vector<std::uint8_t> library = readBytes(menuFixture("win64/tvres1041.dll"));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;  // written as tvres1041.dll; empty: no file at all
    };
    const Case cases[] = {
        {"no library", {}},
        {"library without menu 128", readBytes(menuFixture("nomenu/Tovrin.exe"))},
        {"library cut short", {library.begin(), library.begin() + 0x300}},
        {"not a module", {'h', 'e', 'l', 'l', 'o'}},
    };
    CMenuCatalogue english;
    ASSERT_TRUE(english.load(menuFixture("win64/Tovrin.exe")));
    for (const Case& c : cases) {
        ScratchDir dir;
        std::filesystem::copy_file(menuFixture("win64/Tovrin.exe"), dir / "Tovrin.exe");
        if (!c.bytes.empty())
            writeBytes(dir / "tvres1041.dll", c.bytes);
        CMenuCatalogue catalogue;
        ASSERT_TRUE(catalogue.load(dir / "Tovrin.exe", 1041)) << c.what;
        EXPECT_FALSE(catalogue.translated()) << c.what;
        EXPECT_EQ(catalogue.keys(), english.keys()) << c.what;
        EXPECT_EQ(catalogue.texts(), english.texts()) << c.what;
    }
}

// Texts pair with keys by position; a translation of another shape would label the wrong keys.
TEST(MenuCatalogue, IgnoresATranslationOfAnotherShape)
{
    using Kind = CMenuItem::Kind;
    const std::vector<CMenuItem> keys = {
        {Kind::Popup, 0, u"&File", {{Kind::Command, 1, u"&Open", {}}, {Kind::Command, 2, u"&Print", {}}}},
    };
    std::vector<CMenuItem> texts = {
        {Kind::Popup, 0, u"Datei", {{Kind::Command, 1, u"\u00D6ffnen", {}}, {Kind::Command, 2, u"Drucken", {}}}},
    };
    CMenuCatalogue catalogue;
    catalogue.assign(keys, &texts);
    EXPECT_TRUE(catalogue.translated());
    EXPECT_EQ(catalogue.texts(), (std::vector<std::u16string>{u"Datei", u"Datei / \u00D6ffnen", u"Datei / Drucken"}));

    texts[0].children.insert(texts[0].children.begin(), {Kind::Command, 3, u"Neu", {}});
    catalogue.assign(keys, &texts);
    EXPECT_FALSE(catalogue.translated());
    EXPECT_EQ(catalogue.keys(), (std::vector<std::u16string>{u"Menu.File", u"Menu.File.Open", u"Menu.File.Print"}));
    EXPECT_EQ(catalogue.texts(), (std::vector<std::u16string>{u"File", u"File / Open", u"File / Print"}));
}

TEST(MenuCatalogue, FailedLoadKeepsTheCatalogueAsItWas)
{
    ScratchDir dir;
    const std::vector<std::uint8_t> exe = readBytes(menuFixture("win64/Tovrin.exe"));
    writeBytes(dir / "cut.exe", {exe.begin(), exe.begin() + static_cast<long>(exe.size() - 0x200)});
    std::filesystem::create_directory(dir / "folder.exe");

    CMenuCatalogue catalogue;
    ASSERT_TRUE(catalogue.load(menuFixture("win64/Tovrin.exe"), 1041));
    const auto keys = catalogue.keys();
    const auto texts = catalogue.texts();
    for (const std::filesystem::path& path :
         {dir / "missing.exe", dir / "cut.exe", dir.path() / "folder.exe", menuFixture("nomenu/Tovrin.exe"),
          menuFixture("tovrin.rc")}) {
        EXPECT_FALSE(catalogue.load(path)) << path;
        EXPECT_NE(catalogue.error().find(path.string()), std::string::npos) << catalogue.error();
        EXPECT_EQ(catalogue.keys(), keys) << path;
        EXPECT_EQ(catalogue.texts(), texts) << path;
        EXPECT_TRUE(catalogue.translated()) << path;
    }
    ASSERT_TRUE(catalogue.load(menuFixture("win64/Tovrin.exe")));
    EXPECT_TRUE(catalogue.error().empty());
}

// Corrupt modules never crash or read out of bounds (the sanitizer builds check the latter):
// every truncation of each fixture yields the whole menu or an error, and so does every byte of
// its headers and resource section flipped in a few ways.
TEST(MenuCatalogue, SurvivesEveryTruncationAndByteFlipOfTheFixtures)
{
    for (const char* name : vexilor::testing::kMenuModules) {
        const std::vector<std::uint8_t> full = readBytes(menuFixture(name));
        std::vector<CMenuItem> expected;
        std::string error;
        ASSERT_TRUE(readModuleMenu(full, expected, error)) << name << error;
        for (std::size_t length = 0; length < full.size(); ++length) {
            const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(length));
            std::vector<CMenuItem> menu;
            if (readModuleMenu(cut, menu, error)) {
                EXPECT_EQ(menu, expected) << name << " cut at " << length;
            } else {
                EXPECT_FALSE(error.empty());
            }
        }
        std::vector<std::uint8_t> bytes = full;
        for (const auto& [first, end] : vexilor::testing::structuralRanges(full)) {
            for (std::size_t i = first; i < end; ++i) {
                for (const std::uint8_t mask : {0x01, 0x80, 0xFF}) {
                    bytes[i] ^= mask;
                    std::vector<CMenuItem> menu;
                    error.clear();
                    if (!readModuleMenu(bytes, menu, error)) {
                        EXPECT_FALSE(error.empty());
                    }
                    bytes[i] ^= mask;
                }
            }
        }
    }
}

}  // namespace
