#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "restrictions/RestrictionsCrc.h"
#include "restrictions/RestrictionsWriter.h"

namespace vexilor {
namespace {

// The file split at CR LF; the last element is the unterminated CRC line.
std::vector<std::string> fileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(bytes.substr(start, at - start));
    lines.push_back(bytes.substr(start));
    return lines;
}

std::string write(const CRestrictionsModel& model)
{
    const auto bytes = restrictionsFileBytes(model);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or(std::string());
}

CAccessSet numbers(std::initializer_list<std::uint32_t> ns, bool value = true)
{
    CAccessSet s;
    for (const std::uint32_t n : ns)
        s.set(n, value);
    return s;
}

CRestrictionsModel loadedModel()
{
    CRestrictionsModel model;
    model.reset();
    model.setLoaded(true);
    return model;
}

// The text between the header lines and the end-of-data lines.
std::vector<std::string> body(const CRestrictionsModel& model)
{
    std::vector<std::string> lines = fileLines(write(model));
    return std::vector<std::string>(lines.begin() + 3, lines.end() - 4);
}

TEST(RestrictionsWriter, WritesTheWorkedExampleLineForLine)
{
    CRestrictionsModel model = loadedModel();
    model.setDeviceName(u"ICOM1");

    CRestrictionRecord studio;
    studio.markExplicit(u"KP.Edit", numbers({1, 2, 3, 4, 9}));
    studio.setResources(u"KP.Edit", numbers({1, 2, 3, 4, 9}));
    studio.markAllExplicit(u"PL.Assign");
    studio.setResources(u"PL.Assign", CAccessSet::uniform(true));
    model.putRecord(EntityKind::Studio, u"Studio A", studio);

    CRestrictionRecord operators;
    operators.setExplicitFeature(u"App.Prefs.General", false);
    operators.setResourceExplicit(u"KP.Edit", 3, true);
    operators.setResource(u"KP.Edit", 3, false);
    for (const std::uint32_t n : {5u, 6u}) {
        operators.setResourceExplicit(u"KP.Edit", n, true);
        operators.setResource(u"KP.Edit", n, true);
    }
    model.putRecord(EntityKind::Class, u"Operators", operators);
    model.appendStudioRef(EntityKind::Class, u"Operators", {u"Studio A", StudioOp::Add});

    model.putRecord(EntityKind::User, u"Default", CRestrictionRecord());
    model.setClassOf(u"Default", u"Operators");
    model.appendStudioRef(EntityKind::User, u"Default", {u"Studio A", StudioOp::Remove});

    const std::vector<std::string> expected = {
        "// Tovrin restrictions file",
        "// ------------------------",
        "",
        "[DEVICE \"ICOM1\"]",
        "",
        "",
        "[STUDIO \"Studio A\"]",
        "KP.Edit = 1-4,9",
        "PL.Assign = *",
        "",
        "[CLASS \"Operators\"]",
        "studio+=\"Studio A\"",
        "App.Prefs.General = N",
        "KP.Edit -= 3",
        "KP.Edit += 5-6",
        "",
        "[USER \"Default\"]",
        "//Inheritance",
        "class=\"Operators\"",
        "studio-=\"Studio A\"",
        "",
        "// -- End of Data --",
        "",
        "[CRC 4a42]",
    };
    const std::string bytes = write(model);
    EXPECT_EQ(fileLines(bytes), expected);
    EXPECT_FALSE(bytes.ends_with("\n"));
}

TEST(RestrictionsWriter, EmptyLoadedModelHasHeaderEndAndCrc)
{
    const std::string bytes = write(loadedModel());
    CRestrictionsCrc crc;
    crc.update(u"// Tovrin restrictions file\n// ------------------------\n\n\n// -- End of Data --\n\n");
    char expectedCrc[16];
    std::snprintf(expectedCrc, sizeof expectedCrc, "[CRC %x]", crc.value());
    EXPECT_EQ(bytes, "// Tovrin restrictions file\r\n// ------------------------\r\n\r\n\r\n"
                     "// -- End of Data --\r\n\r\n" + std::string(expectedCrc));
}

TEST(RestrictionsWriter, WritesNothingForAModelThatIsNotLoaded)
{
    CRestrictionsModel model;
    std::string out;
    CRestrictionsWriter writer(out);
    EXPECT_FALSE(writer.writeFile(model));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(restrictionsFileBytes(model).has_value());
}

TEST(RestrictionsWriter, StudioReferenceWithUnknownOperationFailsAfterWhatWasWritten)
{
    CRestrictionsModel model = loadedModel();
    model.putRecord(EntityKind::Studio, u"S", CRestrictionRecord());
    model.putRecord(EntityKind::Class, u"C", CRestrictionRecord());
    model.appendStudioRef(EntityKind::Class, u"C", {u"S", StudioOp::Add});
    model.appendStudioRef(EntityKind::Class, u"C", {u"S", static_cast<StudioOp>(3)});

    std::string out;
    CRestrictionsWriter writer(out);
    EXPECT_FALSE(writer.writeFile(model));
    EXPECT_TRUE(out.ends_with("[CLASS \"C\"]\r\nstudio+=\"S\"\r\n")) << out;
    EXPECT_FALSE(restrictionsFileBytes(model).has_value());
}

// Written in parts, a failing reference stops the file at the same place as written in one piece.
TEST(RestrictionsWriter, WritingInPartsStopsWhereWritingInOnePieceStops)
{
    CRestrictionsModel model = loadedModel();
    model.putRecord(EntityKind::Studio, u"S", CRestrictionRecord());
    for (const char16_t* name : {u"C1", u"C2", u"C3", u"C4", u"C5", u"C6"}) {
        CRestrictionRecord record;
        record.setExplicitFeature(u"KP.Alphas", true);
        model.putRecord(EntityKind::Class, name, record);
        model.appendStudioRef(EntityKind::Class, name, {u"S", StudioOp::Add});
    }
    model.appendStudioRef(EntityKind::Class, u"C5", {u"S", static_cast<StudioOp>(7)});
    std::string whole;
    CRestrictionsWriter one(whole);
    EXPECT_FALSE(one.writeFile(model, {.parts = 1}));
    for (const unsigned parts : {2u, 3u, 4u}) {
        std::string out;
        CRestrictionsWriter writer(out);
        EXPECT_FALSE(writer.writeFile(model, {.parts = parts}));
        EXPECT_EQ(out, whole) << parts;
        EXPECT_EQ(writer.crc(), one.crc()) << parts;
    }
    EXPECT_TRUE(whole.ends_with("[CLASS \"C5\"]\r\nstudio+=\"S\"\r\n")) << whole;
}

// Resource lines of one key in one record, for the shapes of marks and values that the writer
// tells apart.
struct ResourceCase {
    const char* what;
    EntityKind kind;
    CAccessSet marks;
    CAccessSet values;
    std::vector<std::string> lines;
};

CAccessSet allExcept(std::initializer_list<std::uint32_t> ns)
{
    CAccessSet s = CAccessSet::uniform(true);
    for (const std::uint32_t n : ns)
        s.set(n, false);
    return s;
}

TEST(RestrictionsWriter, ResourceLinesFollowTheShapeOfMarksAndValues)
{
    const std::vector<ResourceCase> cases = {
        {"class: explicit differences", EntityKind::Class, numbers({2, 3, 7}), numbers({3}),
         {"KP.Edit -= 2,7", "KP.Edit += 3"}},
        {"class: all explicit, all allowed", EntityKind::Class, CAccessSet::uniform(true),
         CAccessSet::uniform(true), {"KP.Edit = *"}},
        {"class: all explicit, all allowed but some", EntityKind::Class, CAccessSet::uniform(true),
         allExcept({4, 5}), {"KP.Edit = *", "KP.Edit -= 4-5"}},
        {"class: all explicit, a list allowed", EntityKind::Class, CAccessSet::uniform(true),
         numbers({1, 2, 3, 10}), {"KP.Edit = 1-3,10"}},
        {"class: all explicit, all denied, some inherit", EntityKind::Class, allExcept({6, 8}),
         CAccessSet(), {"KP.Edit -= *", "KP.Edit @= 6,8"}},
        {"class: all explicit with exceptions that inherit", EntityKind::Class, allExcept({2}),
         CAccessSet::uniform(true), {"KP.Edit = *", "KP.Edit @= 2"}},
        {"user: marks without anything explicit", EntityKind::User, numbers({1, 2}, false),
         numbers({1, 2}), {}},
        {"studio: included list", EntityKind::Studio, numbers({1, 2, 3, 4, 9, 12}),
         numbers({1, 2, 3, 4, 9}), {"KP.Edit = 1-4,9"}},
        {"studio: includes nothing", EntityKind::Studio, numbers({1, 2}), CAccessSet(), {}},
        {"studio: all included but some", EntityKind::Studio, CAccessSet::uniform(true),
         allExcept({3}), {"KP.Edit = *", "KP.Edit -= 3"}},
        {"studio: all explicit, a list included", EntityKind::Studio, allExcept({7}),
         numbers({5}), {"KP.Edit = 5"}},
        {"runs of two and single numbers", EntityKind::Class, numbers({1, 2, 4, 6, 7, 8, 65535}),
         numbers({1, 2, 4, 6, 7, 8, 65535}), {"KP.Edit += 1-2,4,6-8,65535"}},
    };
    for (const ResourceCase& c : cases) {
        CRestrictionsModel model = loadedModel();
        CRestrictionRecord record;
        record.setResourceMarks(u"KP.Edit", c.marks);
        record.setResources(u"KP.Edit", c.values);
        model.putRecord(c.kind, u"E", record);
        std::vector<std::string> lines = body(model);
        // Drop the section header (and a user's inheritance comment).
        lines.erase(lines.begin(), lines.begin() + (c.kind == EntityKind::User ? 3 : 2));
        EXPECT_EQ(lines, c.lines) << c.what;
    }
}

TEST(RestrictionsWriter, WritesOnlyExplicitFeaturesAndNoneForStudios)
{
    CRestrictionsModel model = loadedModel();
    CRestrictionRecord record;
    record.setExplicitFeature(u"KP.Alphas", true);
    record.setFeature(u"KP.Aliases", false);  // a value without an explicit mark
    record.setFeatureExplicit(u"Menus.All", true);  // a mark without a value
    record.setExplicitFeature(u"Icom.Config", false);
    record.setFeatureExplicit(u"Icom.Config", false);
    record.setExplicitFeature(u"Menu.File.SaveAs", false);
    model.putRecord(EntityKind::Class, u"C", record);
    model.putRecord(EntityKind::Studio, u"S", record);

    EXPECT_EQ(body(model), (std::vector<std::string>{"", "[STUDIO \"S\"]", "", "[CLASS \"C\"]",
                                                     "KP.Alphas = Y", "Menu.File.SaveAs = N"}));
}

TEST(RestrictionsWriter, QuotesFeatureKeysThatWouldNotReadBackBare)
{
    CRestrictionsModel model = loadedModel();
    CRestrictionRecord record;
    for (const char16_t* key : {u"my key", u"studio", u"Class", u"9lives", u"Menu.Ok_2"})
        record.setExplicitFeature(key, true);
    model.putRecord(EntityKind::User, u"U", record);
    EXPECT_EQ(body(model), (std::vector<std::string>{"", "[USER \"U\"]", "//Inheritance",
                                                     "\"9lives\" = Y", "\"Class\" = Y",
                                                     "Menu.Ok_2 = Y", "\"my key\" = Y",
                                                     "\"studio\" = Y"}));
}

TEST(RestrictionsWriter, WritesNamesOfAnyLengthWhole)
{
    CRestrictionsModel model = loadedModel();
    const std::u16string longName(1000, u'x');
    model.setDeviceName(longName);
    model.putRecord(EntityKind::User, longName, CRestrictionRecord());
    const std::string name8(1000, 'x');
    EXPECT_EQ(body(model), (std::vector<std::string>{"[DEVICE \"" + name8 + "\"]", "", "",
                                                     "[USER \"" + name8 + "\"]", "//Inheritance"}));
}

TEST(RestrictionsWriter, SplitsListsTooLongForOneReadLineIntoLinesOfTheSameMeaning)
{
    CRestrictionsModel model = loadedModel();
    CRestrictionRecord record;
    CAccessSet odd;
    CAccessSet even;
    for (std::uint32_t n = 1; n <= 20000; n += 2) {
        odd.set(n, true);
        even.set(n + 1, true);
    }
    record.markAllExplicit(u"KP.Edit");
    record.setResources(u"KP.Edit", odd);  // "= list" that must continue with "+="
    record.markExplicit(u"PL.Edit", odd);
    record.markExplicit(u"PL.Edit", even);
    record.setResources(u"PL.Edit", odd);  // "-=" and "+=" lists
    model.putRecord(EntityKind::Class, u"C", record);

    const std::vector<std::string> lines = body(model);
    std::string kpSet, kpAdd, plRemove, plAdd;
    std::size_t longest = 0;
    for (const std::string& l : lines) {
        longest = std::max(longest, l.size() + 2);
        for (auto [prefix, list] : {std::pair{"KP.Edit = ", &kpSet}, {"KP.Edit += ", &kpAdd},
                                    {"PL.Edit -= ", &plRemove}, {"PL.Edit += ", &plAdd}}) {
            if (l.starts_with(prefix))
                *list += (list->empty() ? "" : ",") + l.substr(std::string(prefix).size());
        }
    }
    EXPECT_LE(longest, 4095u);
    EXPECT_GT(lines.size(), 10u);
    std::string oddList, evenList;
    for (std::uint32_t n = 1; n <= 20000; n += 2) {
        oddList += (n == 1 ? "" : ",") + std::to_string(n);
        evenList += (n == 1 ? "" : ",") + std::to_string(n + 1);
    }
    EXPECT_EQ(kpSet + "," + kpAdd, oddList);
    EXPECT_EQ(plAdd, oddList);
    EXPECT_EQ(plRemove, evenList);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("KP.Edit = "); }),
              1);
}

TEST(RestrictionsWriter, EncodesWindows1252AndCrcCoversTheUtf16LowBytes)
{
    std::string out;
    CRestrictionsWriter writer(out);
    writer.writeText(u"\u00e9\u20ac\u0100\n");
    EXPECT_EQ(out, "\xe9\x80?\r\n");
    CRestrictionsCrc crc;
    for (const std::uint8_t b : {0xE9, 0xAC, 0x00, 0x0A})
        crc.update(b);
    EXPECT_EQ(writer.crc(), crc.value());
}

}  // namespace
}  // namespace vexilor
