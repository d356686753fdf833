#include "RunTool.h"

#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

const std::string kCli = VEXILOR_CLI;
const std::string kSample = std::string(VEXILOR_SOURCE_DIR) + "/res/samples/demo.res";

// Lines joined with CR LF, as the files are on disk.
std::string crlf(std::initializer_list<const char*> lines)
{
    std::string out;
    for (const char* line : lines)
        out += std::string(line) + "\r\n";
    return out;
}

TEST(ResCli, CheckAcceptsAGoodFileAndReportsTheFirstErrorWithItsLine)
{
    TempDir dir;
    writeWholeFile(dir.file("bad.res"),
                   crlf({"[STUDIO \"A\"]", "KP.Edit = 1", "[CLASS \"C\"]", "studio+=\"Nowhere\""}));

    const ToolResult good = runTool(kCli, {"res", "check", kSample});
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_TRUE(good.err.empty()) << good.err;

    const ToolResult bad = runTool(kCli, {"res", "check", dir.file("bad.res")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("[4]:Studio not declared.\n"), std::string::npos) << bad.err;

    const ToolResult missing = runTool(kCli, {"res", "check", dir.file("none.res")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.empty());
}

TEST(ResCli, CheckWarnsAboutAWrongCrcButStillSucceeds)
{
    TempDir dir;
    std::string text = readWholeFile(kSample);
    const std::size_t crc = text.rfind("[CRC ");
    ASSERT_NE(crc, std::string::npos);
    text = text.substr(0, crc) + "[CRC 1234]";
    writeWholeFile(dir.file("wrong-crc.res"), text);

    const ToolResult r = runTool(kCli, {"res", "check", dir.file("wrong-crc.res")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("warning"), std::string::npos);
    EXPECT_NE(r.err.find("1234"), std::string::npos) << r.err;
}

TEST(ResCli, DumpGivesTheModelAsJsonInModelOrder)
{
    TempDir dir;
    writeWholeFile(dir.file("m.res"),
                   crlf({"[DEVICE \"IC\xC9\"]", "[STUDIO \"S\"]", "KP.Edit = 1-4,9",
                         "[CLASS \"b\"]", "[CLASS \"B\"]", "studio-=\"S\"", "KP.Edit += 2",
                         "Icom.Config = N", "[USER \"u\"]", "class=\"B\"", "studio+=\"S\""}));
    const ToolResult r = runTool(kCli, {"res", "dump", dir.file("m.res")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto json = nlohmann::ordered_json::parse(r.out);

    EXPECT_EQ(json["device"], "IC\xC3\x89") << "texts come out as UTF-8";
    std::vector<std::string> classes;
    for (const auto& [name, record] : json["classes"].items())
        classes.push_back(name);
    EXPECT_EQ(classes, (std::vector<std::string>{"B", "b"})) << "ordinal order: B before b";

    const auto& studioSet = json["studios"]["S"]["resources"]["KP.Edit"];
    EXPECT_EQ(studioSet["all"], false);
    EXPECT_EQ(studioSet["specified"], "1-4,9");
    EXPECT_EQ(studioSet["allowed"], "1-4,9");

    const auto& cls = json["classes"]["B"];
    EXPECT_EQ(cls["features"]["Icom.Config"], false);
    EXPECT_EQ(cls["featureExplicit"]["Icom.Config"], true);
    EXPECT_EQ(cls["resources"]["KP.Edit"]["allowed"], "2");
    EXPECT_EQ(cls["resourceExplicit"]["KP.Edit"]["allowed"], "2");
    EXPECT_EQ(json["classOfUser"]["u"], "B");
    EXPECT_EQ(json["classStudioRefs"]["B"], nlohmann::json::parse(R"([["S", 2]])"));
    EXPECT_EQ(json["userStudioRefs"]["u"], nlohmann::json::parse(R"([["S", 1]])"));
}

TEST(ResCli, FmtWritesTheCanonicalFileToStdoutOrAtomicallyToAFile)
{
    TempDir dir;
    writeWholeFile(dir.file("in.res"),
                   crlf({"// hand-written", "[STUDIO \"S\"]", "kp.edit = 1", "KP.Edit = 3-1"}));
    const ToolResult toStdout = runTool(kCli, {"res", "fmt", dir.file("in.res")});
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_NE(toStdout.out.find("\r\n[STUDIO \"S\"]\r\nKP.Edit = 1-3\r\n"), std::string::npos)
        << toStdout.out;
    EXPECT_NE(toStdout.out.find("\r\nkp.edit = 1\r\n"), std::string::npos) << "keys keep their case";
    EXPECT_EQ(toStdout.out.find("hand-written"), std::string::npos);

    const ToolResult toFile = runTool(kCli, {"res", "fmt", dir.file("in.res"), "-o", dir.file("out.res")});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(readWholeFile(dir.file("out.res")), toStdout.out);
    const ToolResult again = runTool(kCli, {"res", "check", dir.file("out.res")});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.err.empty()) << "a formatted file carries its right CRC: " << again.err;
}

TEST(ResCli, ReadsAndWritesTheCodePageItIsGiven)
{
    const std::string japanese = std::string(VEXILOR_FIXTURES_DIR) + "/codepage/japanese.res";
    const ToolResult fmt = runTool(kCli, {"--code-page", "932", "res", "fmt", japanese});
    ASSERT_EQ(fmt.exitCode, 0) << fmt.err;
    EXPECT_EQ(fmt.out, readWholeFile(japanese)) << "a 932 file written back byte for byte";

    const ToolResult dump = runTool(kCli, {"res", "dump", japanese, "--code-page", "932"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(nlohmann::json::parse(dump.out)["device"], "\u6771\u4eac\u672c\u793e");
    const ToolResult western = runTool(kCli, {"res", "dump", japanese, "--code-page", "1252"});
    ASSERT_EQ(western.exitCode, 0) << western.err;
    EXPECT_NE(nlohmann::json::parse(western.out)["device"], "\u6771\u4eac\u672c\u793e");

    const ToolResult unknown = runTool(kCli, {"--code-page", "4711", "res", "check", japanese});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("4711"), std::string::npos) << unknown.err;
}

TEST(ResCli, FmtCompactsForTheCountsOfTheGivenConfiguration)
{
    TempDir dir;
    vexilor::CIntercom icom;
    icom.keypanelCount = 4;
    std::u16string error;
    ASSERT_TRUE(vexilor::SaveConfigurationFile(dir.file("small.cfg"), icom, error));
    writeWholeFile(dir.file("in.res"), crlf({"[CLASS \"C\"]", "KP.Edit = 1-4"}));

    const ToolResult byDefault = runTool(kCli, {"res", "fmt", dir.file("in.res")});
    EXPECT_NE(byDefault.out.find("KP.Edit = 1-4\r\n"), std::string::npos) << byDefault.out;
    const ToolResult small = runTool(kCli, {"res", "fmt", dir.file("in.res"), "--cfg", dir.file("small.cfg")});
    ASSERT_EQ(small.exitCode, 0) << small.err;
    EXPECT_NE(small.out.find("KP.Edit = *\r\n"), std::string::npos) << small.out;
}

TEST(ResCli, FailuresAndUsageErrorsHaveTheirExitCodes)
{
    TempDir dir;
    writeWholeFile(dir.file("ok.res"), crlf({"[USER \"u\"]"}));
    writeWholeFile(dir.file("junk.cfg"), "not a configuration file");
    struct Case { std::vector<std::string> args; int exitCode; };
    const Case cases[] = {
        {{"res", "fmt", dir.file("ok.res"), "-o", dir.file("no/such/dir/out.res")}, 1},
        {{"res", "fmt", dir.file("ok.res"), "--cfg", dir.file("junk.cfg")}, 1},
        {{"res", "dump", dir.file("missing.res")}, 1},
        {{"res"}, 2},
        {{"res", "check"}, 2},
        {{"res", "fmt", dir.file("ok.res"), "--bogus"}, 2},
    };
    for (const Case& c : cases) {
        const ToolResult r = runTool(kCli, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << " " << c.args.back() << ": " << r.err;
    }
}

}  // namespace

namespace {

TEST(ResEffectiveCli, ShowsWhereEachValueComesFrom)
{
    TempDir dir;
    writeWholeFile(dir.file("e.res"),
                   crlf({"[STUDIO \"S\"]", "KP.Edit = 2", "[CLASS \"C\"]", "studio+=\"S\"", "Icom.Config = Y",
                         "[USER \"u\"]", "class=\"C\"", "KP.Edit += 5", "Menu.File.Open = N"}));
    const ToolResult json = runTool(kCli, {"res", "effective", dir.file("e.res"), "--user", "u", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto out = nlohmann::json::parse(json.out);
    EXPECT_EQ(out["kind"], "user");
    EXPECT_EQ(out["name"], "u");
    const auto& kp = out["resources"]["KP.Edit"];
    ASSERT_EQ(kp.size(), 136u) << "one row per keypanel of the default intercom";
    EXPECT_EQ(kp[1], nlohmann::json::parse(R"({"n":2,"restricted":false,"explicit":false,"inheritedRestricted":false})"));
    EXPECT_EQ(kp[4], nlohmann::json::parse(R"({"n":5,"restricted":false,"explicit":true,"inheritedRestricted":true})"));
    EXPECT_EQ(kp[5]["restricted"], true);
    EXPECT_EQ(out["features"]["Icom.Config"],
              nlohmann::json::parse(R"({"denied":false,"explicit":false,"inheritedDenied":false})"));
    EXPECT_EQ(out["features"]["Menu.File.Open"]["denied"], true) << "menu items held by the record are listed";

    const ToolResult text = runTool(kCli, {"res", "effective", dir.file("e.res"), "--user", "u"});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("KP.Edit 5 allow explicit (inherited: deny)\n"), std::string::npos);
    EXPECT_NE(text.out.find("Icom.Config allow inherited (inherited: allow)\n"), std::string::npos);
}

TEST(ResEffectiveCli, ExplainSaysWhichSettingOrReferenceDecided)
{
    TempDir dir;
    writeWholeFile(dir.file("e.res"),
                   crlf({"[STUDIO \"News\"]", "KP.Edit = 1-5", "[STUDIO \"S\"]", "KP.Edit = 2",
                         "[STUDIO \"Sports\"]", "KP.Edit = 4-8", "[CLASS \"C\"]", "studio+=\"S\"",
                         "Icom.Config = Y", "[CLASS \"K\"]", "studio-=\"Sports\"", "studio+=\"News\"",
                         "[USER \"u\"]", "class=\"C\"", "KP.Edit += 5"}));
    const ToolResult json = runTool(kCli, {"res", "effective", dir.file("e.res"), "--user", "u", "--json", "--explain"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto out = nlohmann::json::parse(json.out);
    const auto& kp = out["resources"]["KP.Edit"];
    EXPECT_EQ(kp[1]["why"], nlohmann::json::parse(R"({"source":"studio","studio":"S","op":"+=","position":1,
        "list":{"kind":"class","name":"C"},
        "text":"Allowed through studio \"S\" added at position 1 of the studios of class \"C\"."})"));
    EXPECT_EQ(kp[4]["why"]["source"], "own");
    EXPECT_EQ(kp[6]["why"], nlohmann::json::parse(R"({"source":"default","text":"Denied by default: nothing allows it."})"));
    EXPECT_EQ(out["features"]["Icom.Config"]["why"],
              nlohmann::json::parse(R"({"source":"class","class":"C","text":"Allowed by the own setting of class \"C\"."})"));

    const ToolResult text = runTool(kCli, {"res", "effective", dir.file("e.res"), "--user", "u", "--explain"});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("KP.Edit 5 allow explicit (inherited: deny): Allowed by the user's own setting.\n"),
              std::string::npos);
    // News, added last, holds no keypanel 7: the removal of Sports decided it.
    const ToolResult overlap = runTool(kCli, {"res", "effective", dir.file("e.res"), "--class", "K", "--explain"});
    EXPECT_NE(overlap.out.find("KP.Edit 7 deny inherited (inherited: deny): Denied through studio \"Sports\" removed "
                               "at position 1 of the studios of class \"K\".\n"),
              std::string::npos)
        << overlap.out;
    const ToolResult plain = runTool(kCli, {"res", "effective", dir.file("e.res"), "--user", "u", "--json"});
    EXPECT_FALSE(nlohmann::json::parse(plain.out)["resources"]["KP.Edit"][0].contains("why"))
        << "without --explain the output keeps its shape";
}

TEST(ResEffectiveCli, TakesCountsAndTypesFromAConfiguration)
{
    TempDir dir;
    vexilor::CIntercom icom;
    icom.keypanelCount = 3;
    std::u16string error;
    ASSERT_TRUE(vexilor::SaveConfigurationFile(dir.file("small.cfg"), icom, error));
    writeWholeFile(dir.file("e.res"), crlf({"[CLASS \"C\"]"}));
    const ToolResult r = runTool(kCli, {"res", "effective", dir.file("e.res"), "--class", "C", "--json",
                                        "--cfg", dir.file("small.cfg")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = nlohmann::json::parse(r.out);
    EXPECT_EQ(out["resources"]["KP.Edit"].size(), 3u);
    EXPECT_FALSE(out["resources"].contains("GRP.Edit")) << "the default intercom has no groups";
}

TEST(ResEffectiveCli, ReportsMissingEntitiesAndUsage)
{
    TempDir dir;
    writeWholeFile(dir.file("e.res"), crlf({"[USER \"u\"]"}));
    struct Case { std::vector<std::string> args; int exitCode; };
    const Case cases[] = {
        {{"res", "effective", dir.file("e.res"), "--class", "u"}, 1},
        {{"res", "effective", dir.file("missing.res"), "--user", "u"}, 1},
        {{"res", "effective", dir.file("e.res")}, 2},
        {{"res", "effective", dir.file("e.res"), "--user", "u", "--class", "c"}, 2},
    };
    for (const Case& c : cases) {
        const ToolResult r = runTool(kCli, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(c.exitCode == 0 || r.out.empty());
    }
}

}  // namespace
