#include "RunTool.h"

#include <gtest/gtest.h>

namespace {

const std::string kCli = VEXILOR_CLI;
const std::string kMenus = std::string(VEXILOR_FIXTURES_DIR) + "/menus";

TEST(MenusCli, ListsKeyTabTextPerEntry)
{
    const ToolResult r = runTool(kCli, {"menus", kMenus + "/win64/Tovrin.exe"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Menu.File.SaveAs\tFile / Save As\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Menu.View.StatusBar\tView / Status Bar\n"), std::string::npos);
}

TEST(MenusCli, TakesTextsFromTheLanguageLibraryOfTheGivenLcid)
{
    const ToolResult english = runTool(kCli, {"menus", kMenus + "/win64/Tovrin.exe"});
    const ToolResult japanese = runTool(kCli, {"menus", kMenus + "/win64/Tovrin.exe", "--lcid", "1041"});
    ASSERT_EQ(japanese.exitCode, 0) << japanese.err;
    EXPECT_NE(japanese.out, english.out);
    EXPECT_NE(japanese.out.find("Menu.File.SaveAs\t"), std::string::npos) << "keys stay English";
}

TEST(MenusCli, ReportsMissingMenusAndBadUsage)
{
    struct Case { std::vector<std::string> args; int exitCode; };
    const Case cases[] = {
        {{"menus", kMenus + "/nomenu/Tovrin.exe"}, 1},
        {{"menus", kMenus + "/no-such-file.exe"}, 1},
        {{"menus"}, 2},
        {{"menus", kMenus + "/win64/Tovrin.exe", "--lcid", "abc"}, 2},
        {{"no-such-verb"}, 2},
    };
    for (const Case& c : cases) {
        const ToolResult r = runTool(kCli, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << ": " << r.err;
        if (c.exitCode == 1) {
            EXPECT_TRUE(r.out.empty());
            EXPECT_FALSE(r.err.empty());
        }
    }
}

}  // namespace
