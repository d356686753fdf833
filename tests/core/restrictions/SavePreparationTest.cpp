#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "restrictions/RestrictionsWriter.h"
#include "restrictions/SavePreparation.h"

namespace vexilor {
namespace {

CAccessSet numbers(std::initializer_list<std::uint32_t> ns, bool value = true)
{
    CAccessSet s;
    for (const std::uint32_t n : ns)
        s.set(n, value);
    return s;
}

struct PrepCase {
    const char* what;
    std::uint32_t keypanels;  // count of type 0
    CAccessSet marks;
    CAccessSet values;
    std::vector<std::string> lines;  // resource lines of the class after preparation
};

TEST(SavePreparation, UniformKeysBecomeSingleLines)
{
    const std::vector<PrepCase> cases = {
        {"every keypanel explicitly allowed", 4, numbers({1, 2, 3, 4}), numbers({1, 2, 3, 4}),
         {"KP.Edit = *"}},
        {"every keypanel explicitly denied", 4, numbers({1, 2, 3, 4}), CAccessSet(),
         {"KP.Edit -= *"}},
        {"numbers above the intercom's count do not count and go", 3, numbers({1, 2, 3, 9}),
         numbers({1, 2, 3}), {"KP.Edit = *"}},
        {"explicit everywhere, mixed values", 4, numbers({1, 2, 3, 4}), numbers({2}),
         {"KP.Edit = 2"}},
        {"mixed marks and values stay as they are", 4, numbers({1, 2, 3}), numbers({2}),
         {"KP.Edit -= 1,3", "KP.Edit += 2"}},
        {"no keypanel explicit: the marks go", 4, numbers({1, 2, 3, 4}, false), numbers({1}), {}},
        {"one keypanel: trivially uniform", 1, numbers({1}), numbers({1}), {"KP.Edit = *"}},
        {"no keypanels: resource 1 decides", 0, numbers({1, 5}), CAccessSet(), {"KP.Edit -= *"}},
    };
    for (const PrepCase& c : cases) {
        CRestrictionsModel model;
        model.newFile(u"U");
        CRestrictionRecord record;
        record.setResourceMarks(u"KP.Edit", c.marks);
        record.setResources(u"KP.Edit", c.values);
        model.putRecord(EntityKind::Class, u"C", record);
        std::array<std::uint32_t, 18> counts{};
        counts[0] = c.keypanels;
        prepareForSave(model, counts);

        const std::string bytes = *restrictionsFileBytes(model);
        std::vector<std::string> lines;
        const std::size_t start = bytes.find("[CLASS \"C\"]\r\n") + 13;
        const std::size_t end = bytes.find("\r\n\r\n[USER");
        for (std::size_t at = start; at < end;) {
            const std::size_t next = bytes.find("\r\n", at);
            lines.push_back(bytes.substr(at, next - at));
            at = next + 2;
        }
        EXPECT_EQ(lines, c.lines) << c.what;
    }
}

TEST(SavePreparation, EachKeyUsesTheCountOfItsTypeInEveryKindOfRecord)
{
    CRestrictionsModel model;
    model.newFile(u"U");
    CRestrictionRecord record;
    // Party lines 1-2 allowed: uniform for 2 party lines, not for 3 keypanels.
    for (const char16_t* key : {u"PL.Assign", u"KP.Assign"}) {
        record.setResourceMarks(key, numbers({1, 2, 3}));
        record.setResources(key, numbers({1, 2}));
    }
    for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User})
        model.putRecord(kind, u"E", record);
    std::array<std::uint32_t, 18> counts{};
    counts[0] = 3;
    counts[1] = 2;
    prepareForSave(model, counts);

    for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User}) {
        const CRestrictionRecord* r = model.findRecord(kind, u"E");
        const CAccessSet* pl = r->findResources(u"PL.Assign");
        ASSERT_NE(pl, nullptr);
        EXPECT_TRUE(pl->all());
        EXPECT_EQ(pl->length(), 0u);
        EXPECT_TRUE(r->findResourceExplicit(u"PL.Assign")->all());
        EXPECT_FALSE(r->findResources(u"KP.Assign")->all());
        EXPECT_FALSE(r->resourceValue(u"KP.Assign", 3));
    }
}

}  // namespace
}  // namespace vexilor
