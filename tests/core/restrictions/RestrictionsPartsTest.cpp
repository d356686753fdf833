#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsParser.h"

namespace vexilor {
namespace {

// Everything a record holds, exact to the array lengths, as comparable values.
using RecordImage = std::tuple<std::vector<std::tuple<std::u16string, std::optional<bool>, std::optional<bool>>>,
                               std::vector<std::tuple<std::u16string, bool, std::string>>>;

std::string setImage(const CAccessSet* s)
{
    if (!s)
        return "-";
    std::string image = s->all() ? "A" : "a";
    for (std::uint32_t n = 0; n < s->length(); ++n)
        image += s->isSpecified(n) ? (s->value(n) ? 'Y' : 'N') : '.';
    return image;
}

RecordImage recordImage(const CRestrictionRecord& r)
{
    RecordImage image;
    r.forEachFeatureEntry([&](std::u16string_view k, std::optional<bool> v, std::optional<bool> e) {
        std::get<0>(image).emplace_back(k, v, e);
    });
    r.forEachResourceEntry([&](std::u16string_view k, const CAccessSet* values, const CAccessSet* marks) {
        std::get<1>(image).emplace_back(k, values != nullptr, setImage(values) + "|" + setImage(marks));
    });
    return image;
}

void expectSameModel(const CRestrictionsModel& a, const CRestrictionsModel& b, const std::string& what)
{
    EXPECT_EQ(a.deviceName(), b.deviceName()) << what;
    EXPECT_EQ(a.loaded(), b.loaded()) << what;
    EXPECT_EQ(a.documentValid(), b.documentValid()) << what;
    for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User}) {
        ASSERT_EQ(a.records(kind).size(), b.records(kind).size()) << what;
        auto j = b.records(kind).begin();
        for (const auto& [name, record] : a.records(kind)) {
            EXPECT_EQ(name, j->first) << what;
            EXPECT_EQ(recordImage(record), recordImage(j->second)) << what;
            EXPECT_EQ(a.studioRefs(kind, name), b.studioRefs(kind, j->first)) << what;
            ++j;
        }
    }
    EXPECT_EQ(a.classOfUser(), b.classOfUser()) << what;
}

// A file of many sections, each long enough that a split lands among them.
std::string generatedFile(std::uint32_t seed, int users)
{
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string text = "// header\r\n[DEVICE \"D1\"]\r\n";
    const auto resources = [&] {
        for (int i = pick(6); i > 0; --i) {
            const auto key = resourceKeyName(pick(kResourceKeyCount));
            const std::string k(key.begin(), key.end());
            const char* ops[] = {" = ", " += ", " -= ", " @= "};
            text += k + ops[pick(4)] + (pick(5) == 0 ? std::string("*")
                                                      : std::to_string(pick(40) + 1) + "-" + std::to_string(pick(90) + 41) + "," + std::to_string(pick(200) + 1));
            text += "\r\n";
        }
    };
    for (int s = 0; s < 6; ++s) {
        text += "[STUDIO \"S" + std::to_string(s) + "\"]\r\n";
        resources();
    }
    for (int c = 0; c < 8; ++c) {
        text += "\r\n[class C" + std::to_string(c) + "]\r\nstudio += S" + std::to_string(pick(6)) + "\r\n";
        const auto key = featureKey(pick(kFeatureKeywordCount));
        text += std::string(key.begin(), key.end()) + (pick(2) ? " = Y\r\n" : " = n\r\n");
        resources();
    }
    for (int u = 0; u < users; ++u) {
        text += "\r\n[USER \"U\xe9" + std::to_string(u) + "\"]\r\nclass = C" + std::to_string(pick(8)) + "\r\n";
        if (pick(2))
            text += "studio -= \"S" + std::to_string(pick(6)) + "\"\r\n";
        for (int f = pick(5); f > 0; --f) {
            const auto key = featureKey(pick(kFeatureKeywordCount));
            text += std::string(key.begin(), key.end()) + (pick(2) ? " = Y\r\n" : " = N\r\n");
        }
        resources();
    }
    return text;
}

void expectSameAsInOnePiece(const std::string& text, const std::string& what)
{
    CRestrictionsModel whole;
    const RestrictionsParseResult expected = parseRestrictions(whole, text, {.parts = 1});
    for (const unsigned parts : {2u, 3u, 5u}) {
        CRestrictionsModel model;
        model.setDeviceName(u"left over");
        const RestrictionsParseResult r = parseRestrictions(model, text, {.parts = parts});
        const std::string where = what + ", " + std::to_string(parts) + " parts";
        EXPECT_EQ(r.ok, expected.ok) << where;
        EXPECT_EQ(r.line, expected.line) << where;
        EXPECT_EQ(r.errorText, expected.errorText) << where;
        EXPECT_EQ(r.crcSeen, expected.crcSeen) << where;
        EXPECT_EQ(r.crcStated, expected.crcStated) << where;
        EXPECT_EQ(r.crcComputed, expected.crcComputed) << where;
        expectSameModel(model, whole, where);
    }
}

// A file read in parts at once gives what reading it in one piece gives: the model, the CRC the
// lines make and, for a file with an error, the error and what stays in the model.
TEST(RestrictionsParts, ReadingInPartsEqualsReadingInOnePiece)
{
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const std::string file = generatedFile(seed, 40);
        expectSameAsInOnePiece(file, "plain " + std::to_string(seed));
        expectSameAsInOnePiece(file + "\r\n// end\r\n[CRC 1234]\r\n", "with CRC");
        expectSameAsInOnePiece(file + "[CRC 1234]", "CRC line without line end");
    }
}

// Errors whose cause lies in an earlier part: each is found and reported as in one piece.
TEST(RestrictionsParts, ErrorsThatDependOnEarlierPartsAreReportedAsInOnePiece)
{
    const std::string file = generatedFile(77, 60);
    const std::size_t late = file.size() * 3 / 4;
    const std::size_t lineStart = file.find("\r\n[USER", late) + 2;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[USER \"U\xe9" "1\"]\r\n", "a user declared twice, far apart"},
        {"[STUDIO S2]\r\n", "a studio declared twice"},
        {"[CLASS C3]\r\n", "a class declared twice"},
        {"[USER late]\r\nstudio += Nowhere\r\n", "a studio never declared"},
        {"[USER late]\r\nclass = Nowhere\r\n", "a class never declared"},
        {"[USER late]\r\nstudio += S5\r\nclass = C1\r\n", "a class line after a reference"},
        {"[DEVICE \"again\"]\r\n", "a second device line"},
        {"[CRC 10]\r\n", "a CRC line before the end"},
        {"[USER late]\r\nKP.Edit = 70000\r\n", "a number out of range"},
        {"[USER late]\r\nbroken\r\n", "a line that is no statement"},
    };
    for (const auto& [insert, what] : cases) {
        std::string text = file;
        text.insert(lineStart, insert);
        expectSameAsInOnePiece(text, what);
    }
    // A reference in a later part to a studio declared after it in that same part only.
    std::string text = file;
    text.insert(lineStart, "[USER late]\r\nstudio += Later\r\n");
    text += "[STUDIO Later]\r\n";
    expectSameAsInOnePiece(text, "a studio declared after its use");
}

// A file large enough to be read from disk in two halves at once reads as its bytes do.
TEST(RestrictionsParts, ALargeFileOnDiskReadsAsItsBytes)
{
    const std::string text = generatedFile(100, 8000);
    ASSERT_GT(text.size(), std::size_t{1} << 20);
    const auto path = std::filesystem::temp_directory_path()
        / ("vexilor-parts-" + std::to_string(::getpid()) + ".res");
    std::ofstream(path, std::ios::binary) << text;
    CRestrictionsModel fromDisk;
    const RestrictionsParseResult r = readRestrictionsFile(fromDisk, path);
    std::filesystem::remove(path);
    CRestrictionsModel fromBytes;
    const RestrictionsParseResult expected = parseRestrictions(fromBytes, text, {.parts = 1});
    ASSERT_TRUE(expected.ok) << expected.errorText;
    EXPECT_TRUE(r.ok) << r.errorText;
    EXPECT_EQ(r.crcComputed, expected.crcComputed);
    expectSameModel(fromDisk, fromBytes, "from disk");
}

// Lines that look like a place to split but do not open a section, and a file too short to split.
TEST(RestrictionsParts, SplitsOnlyWhereASectionOpens)
{
    std::string file = generatedFile(5, 30);
    const std::size_t middle = file.find("\r\n[USER", file.size() / 2) + 2;
    file.insert(middle, "[USER \"unclosed\r\n[CLASS]\r\n[ALPHAS \"x\"]\r\n");
    expectSameAsInOnePiece(file, "near misses");
    expectSameAsInOnePiece("[STUDIO a]\n", "one section");
    expectSameAsInOnePiece("", "empty");
}

}  // namespace
}  // namespace vexilor
