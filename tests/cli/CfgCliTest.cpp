#include "RunTool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <fstream>
#include <initializer_list>

namespace {

const std::string kCli = VEXILOR_CLI;
const std::string kFixtures = std::string(VEXILOR_FIXTURES_DIR) + "/cfg";

void be16(std::string& out, unsigned v)
{
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

// A file holding only a configuration record with the given capability bits.
std::string configurationWithCapabilities(unsigned count, std::initializer_list<unsigned> set)
{
    std::string bytes = "Vrel int";
    bytes.resize(250, ' ');
    bytes += "-F-EOH";
    const unsigned capabilityBytes = (count + 7) / 8;
    bytes += "XXXX";
    be16(bytes, 84);
    be16(bytes, 1);
    be16(bytes, 518 + capabilityBytes);
    bytes += '\x01';
    for (int w = 0; w < 65; ++w)
        be16(bytes, 0);
    be16(bytes, count);
    std::string bits(capabilityBytes, '\0');
    for (unsigned i : set)
        bits[i / 8] = static_cast<char>(bits[i / 8] | (1 << (i % 8)));
    bytes += bits;
    bytes.append(386, '\0');
    return bytes;
}

TEST(CfgCli, NewWritesTheDefaultConfigurationThatDumpShows)
{
    TempDir dir;
    const ToolResult made
        = runTool(kCli, {"cfg", "new", " ab ", "--main", "10.0.0.1", "-o", dir.file("AB.cfg")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(readWholeFile(dir.file("AB.cfg")).size(), 256u + 546u);

    const ToolResult dump = runTool(kCli, {"cfg", "dump", dir.file("AB.cfg")});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const auto json = nlohmann::json::parse(dump.out);
    EXPECT_EQ(json["name"], "AB");
    EXPECT_EQ(json["keypanelCount"], 136);
    EXPECT_EQ(json["gpiCardCount"], 6);
    EXPECT_EQ(json["alphaSize"], 4);
    EXPECT_EQ(json["mainAddress"], "10.0.0.1");
    EXPECT_EQ(json["partnerAddress"], "0.0.0.0");
    EXPECT_EQ(json["partnerActive"], false);
    EXPECT_EQ(json["capabilities"]["count"], 133);
    EXPECT_EQ(json["capabilities"]["set"].get<std::string>().substr(0, 21),
              "0-3,5-11,13-19,21-32,");
    EXPECT_TRUE(json["alphas"].empty());
    EXPECT_EQ(json["messages"],
              nlohmann::json::array({"Warning: This file contains no alphas.",
                                     "Warning: This file contains no descriptions."}));

    ASSERT_EQ(runTool(kCli,
                      {"cfg", "new", "AB", "--main", "10.0.0.3", "--partner", "10.0.0.4", "-o",
                       dir.file("AB.cfg")})
                  .exitCode,
              0);
    const auto replaced
        = nlohmann::json::parse(runTool(kCli, {"cfg", "dump", dir.file("AB.cfg")}).out);
    EXPECT_EQ(replaced["mainAddress"], "10.0.0.3");
    EXPECT_EQ(replaced["partnerAddress"], "10.0.0.4");
}

TEST(CfgCli, DumpShowsAlphasDescriptionsAndWarnings)
{
    const ToolResult dump = runTool(kCli, {"cfg", "dump", kFixtures + "/setup-edit.cfg"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find("\"0:2\": \"Director \xC3\xA9" "cran\\u0000"), std::string::npos)
        << "zero characters are escaped: " << dump.out;
    const auto json = nlohmann::json::parse(dump.out);
    EXPECT_EQ(json["alphas"]["0:2"],
              nlohmann::json::array({"DIR ", "DIRECT", "DIRECTOR", "N0000000"}));
    EXPECT_EQ(json["alphas"]["1:4"][0], "PL4 ");
    EXPECT_EQ(json["descriptions"]["0:2"].get<std::string>(),
              std::string("Director \xC3\xA9"
                          "cran")
                  + std::string(10, '\0'));
    EXPECT_EQ(json["keypanelCount"], 24);
    EXPECT_EQ(json["messages"][0],
              "Warning: This file is a partial setup file and may not contain complete alphas.");
}

TEST(CfgCli, CapabilitiesAreListedAsRanges)
{
    struct Case {
        unsigned count;
        std::initializer_list<unsigned> set;
        const char* ranges;
    };
    const Case cases[] = {
        {16, {0, 1, 2, 3, 4, 5, 7, 9, 10, 11, 12}, "0-5,7,9-12"},
        {14, {1, 2, 13}, "1-2,13"},
        {14, {12, 13}, "12-13"},
        {8, {}, ""},
        {0, {}, ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        writeWholeFile(dir.file("C.cfg"), configurationWithCapabilities(c.count, c.set));
        const ToolResult dump = runTool(kCli, {"cfg", "dump", dir.file("C.cfg")});
        ASSERT_EQ(dump.exitCode, 0) << dump.err;
        const auto json = nlohmann::json::parse(dump.out);
        EXPECT_EQ(json["capabilities"]["count"], c.count);
        EXPECT_EQ(json["capabilities"]["set"], c.ranges);
    }
}

TEST(CfgCli, ReportsUnreadableFilesAndBadUsage)
{
    TempDir dir;
    writeWholeFile(dir.file("TEXT.cfg"), "just text");
    std::string corrupt = configurationWithCapabilities(8, {});
    corrupt += "XXXY";
    corrupt.append(6, '\0');
    writeWholeFile(dir.file("BAD.cfg"), corrupt);

    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{"cfg", "dump", dir.file("NONE.cfg")},
         1,
         "File '" + dir.file("NONE.cfg") + "' not found."},
        {{"cfg", "dump", dir.file("TEXT.cfg")},
         1,
         dir.file("TEXT.cfg") + " is not the correct file type."},
        {{"cfg", "dump", dir.file("BAD.cfg")}, 1, "This file contains errors or is corrupted."},
        {{"cfg", "new", "AB", "--main", "1.2.3.4", "-o", dir.file("no/dir/AB.cfg")},
         1,
         "Could not open/create file '" + dir.file("no/dir/AB.cfg") + "' for writing."},
        {{"cfg", "new", "A:B", "--main", "1.2.3.4", "-o", dir.file("X.cfg")},
         2,
         "cannot contain any of the following characters"},
        {{"cfg", "new", "ABCDE", "--main", "1.2.3.4", "-o", dir.file("X.cfg")},
         2,
         "1 to 4 characters"},
        {{"cfg", "new", "   ", "--main", "1.2.3.4", "-o", dir.file("X.cfg")},
         2,
         "1 to 4 characters"},
        {{"cfg", "new", "AB", "-o", dir.file("X.cfg")}, 2, "--main"},
        {{"cfg", "dump"}, 2, "FILE"},
        {{"cfg"}, 2, ""},
    };
    for (const Case& c : cases) {
        const ToolResult r = runTool(kCli, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_FALSE(std::ifstream(dir.file("X.cfg")).good()) << "nothing written on bad usage";
}

}  // namespace
