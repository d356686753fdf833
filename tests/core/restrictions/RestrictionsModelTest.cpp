#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "restrictions/RestrictionsModel.h"

namespace vexilor {
namespace {

std::vector<std::u16string> namesOf(const CRestrictionsModel& m, EntityKind kind)
{
    std::vector<std::u16string> names;
    CKestovaEnumerator e(names);
    const std::size_t count = m.names(kind, e);
    EXPECT_EQ(count, names.size());
    return names;
}

// Studios S1 and S2; classes C1 (references S1) and C2; users U1 (class C1, references S1
// twice and S2) and U2 (class C1).
CRestrictionsModel fixture()
{
    CRestrictionsModel m;
    m.newFile(u"U1");
    CRestrictionRecord marked;
    marked.setExplicitFeature(u"KP.Alphas", true);
    for (const char16_t* s : {u"S1", u"S2"})
        m.putRecord(EntityKind::Studio, s, CRestrictionRecord());
    m.putRecord(EntityKind::Class, u"C1", marked);
    m.putRecord(EntityKind::Class, u"C2", CRestrictionRecord());
    m.putRecord(EntityKind::User, u"U1", marked);
    m.putRecord(EntityKind::User, u"U2", CRestrictionRecord());
    m.setClassOf(u"U1", u"C1");
    m.setClassOf(u"U2", u"C1");
    m.appendStudioRef(EntityKind::Class, u"C1", {u"S1", StudioOp::Add});
    m.setStudioRefs(EntityKind::User, u"U1",
                    {{u"S1", StudioOp::Add}, {u"S2", StudioOp::Remove}, {u"S1", StudioOp::Set}});
    return m;
}

TEST(RestrictionsModel, NewFileHoldsOneEmptyUserAndResetEmptiesEverything)
{
    CRestrictionsModel m;
    EXPECT_FALSE(m.loaded());
    const auto before = m.generation();
    m.newFile(u"Default");
    EXPECT_TRUE(m.loaded());
    EXPECT_TRUE(m.documentValid());
    EXPECT_EQ(namesOf(m, EntityKind::User), std::vector<std::u16string>{u"Default"});
    EXPECT_TRUE(m.getRecord(EntityKind::User, u"Default").empty());

    m = fixture();
    m.setDeviceName(u"ICOM");
    m.setReadOnly(true);
    m.reset();
    EXPECT_GT(m.generation(), before);
    EXPECT_FALSE(m.loaded() || m.documentValid() || m.readOnly());
    EXPECT_TRUE(m.deviceName().empty());
    for (const EntityKind k : {EntityKind::Studio, EntityKind::Class, EntityKind::User})
        EXPECT_TRUE(namesOf(m, k).empty());
    EXPECT_TRUE(m.classOfUser().empty());
    EXPECT_TRUE(m.studioRefs(EntityKind::User, u"U1").empty());
}

TEST(RestrictionsModel, KindsOutsideStudioClassAndUserHoldNothing)
{
    CRestrictionsModel m = fixture();
    for (const EntityKind bad : {EntityKind::None, static_cast<EntityKind>(4)}) {
        m.putRecord(bad, u"U1", CRestrictionRecord());
        EXPECT_FALSE(m.exists(bad, u"U1"));
        EXPECT_TRUE(m.getRecord(bad, u"U1").empty());
        EXPECT_TRUE(m.records(bad).empty());
        m.appendStudioRef(bad, u"U1", {u"S1", StudioOp::Add});
        EXPECT_TRUE(m.studioRefs(bad, u"U1").empty());
    }
    m.appendStudioRef(EntityKind::Studio, u"S1", {u"S2", StudioOp::Add});
    EXPECT_TRUE(m.studioRefs(EntityKind::Studio, u"S1").empty());
}

TEST(RestrictionsModel, NamesAreOrderedOrdinallyAndCaseSensitively)
{
    CRestrictionsModel m;
    for (const char16_t* n : {u"tom", u"Tom", u"b", u"B", u"\u00c4", u"a"})
        m.putRecord(EntityKind::User, n, CRestrictionRecord());
    EXPECT_EQ(namesOf(m, EntityKind::User),
              (std::vector<std::u16string>{u"B", u"Tom", u"a", u"b", u"tom", u"\u00c4"}));
    EXPECT_TRUE(m.exists(EntityKind::User, u"Tom"));
    EXPECT_FALSE(m.exists(EntityKind::User, u"TOM"));
}

TEST(RestrictionsModel, RenamingAUserMovesItsRecordAndLinks)
{
    CRestrictionsModel m = fixture();
    EXPECT_FALSE(m.renameUser(u"nobody", u"X"));
    EXPECT_FALSE(m.renameUser(u"U1", u"U2"));
    EXPECT_TRUE(m.renameUser(u"U1", u"Zed"));
    EXPECT_FALSE(m.exists(EntityKind::User, u"U1"));
    EXPECT_TRUE(m.getRecord(EntityKind::User, u"Zed").featureValue(u"KP.Alphas"));
    EXPECT_EQ(m.classOf(u"Zed"), u"C1");
    EXPECT_EQ(m.studioRefs(EntityKind::User, u"Zed").size(), 3u);
    EXPECT_EQ(m.classOf(u"U1"), u"");
    EXPECT_TRUE(m.studioRefs(EntityKind::User, u"U1").empty());

    EXPECT_TRUE(m.renameUser(u"Zed", u""));
    EXPECT_FALSE(m.exists(EntityKind::User, u"Zed"));
    EXPECT_EQ(m.classOf(u"Zed"), u"");
    EXPECT_TRUE(m.studioRefs(EntityKind::User, u"Zed").empty());
}

TEST(RestrictionsModel, RenamingAClassTakesItsUsersAlong)
{
    CRestrictionsModel m = fixture();
    EXPECT_FALSE(m.renameClass(u"C1", u"C2"));
    EXPECT_TRUE(m.renameClass(u"C1", u"Crew"));
    EXPECT_EQ(m.classOf(u"U1"), u"Crew");
    EXPECT_EQ(m.classOf(u"U2"), u"Crew");
    EXPECT_TRUE(m.getRecord(EntityKind::Class, u"Crew").featureValue(u"KP.Alphas"));
    EXPECT_EQ(m.studioRefs(EntityKind::Class, u"Crew"),
              (std::vector<StudioRef>{{u"S1", StudioOp::Add}}));
    EXPECT_FALSE(m.exists(EntityKind::Class, u"C1"));
    EXPECT_TRUE(m.studioRefs(EntityKind::Class, u"C1").empty());
}

TEST(RestrictionsModel, AClassWithUsersCannotBeDeletedButCanBeRenamedAway)
{
    CRestrictionsModel m = fixture();
    EXPECT_FALSE(m.deleteClass(u"C1"));
    EXPECT_TRUE(m.exists(EntityKind::Class, u"C1"));
    EXPECT_TRUE(m.deleteClass(u"C2"));
    EXPECT_FALSE(m.deleteClass(u"C2"));

    EXPECT_TRUE(m.renameClass(u"C1", u""));
    EXPECT_FALSE(m.exists(EntityKind::Class, u"C1"));
    EXPECT_EQ(m.classOf(u"U1"), u"");
    EXPECT_EQ(m.classOf(u"U2"), u"");
    EXPECT_TRUE(m.classOfUser().empty());
    EXPECT_TRUE(m.studioRefs(EntityKind::Class, u"C1").empty());
}

TEST(RestrictionsModel, RenamingAStudioRenamesOnlyTheFirstReferenceOfEachList)
{
    CRestrictionsModel m = fixture();
    EXPECT_FALSE(m.renameStudio(u"S1", u"S2"));
    EXPECT_TRUE(m.renameStudio(u"S1", u"Stage"));
    EXPECT_EQ(m.studioRefs(EntityKind::User, u"U1"),
              (std::vector<StudioRef>{
                  {u"Stage", StudioOp::Add}, {u"S2", StudioOp::Remove}, {u"S1", StudioOp::Set}}));
    EXPECT_EQ(m.studioRefs(EntityKind::Class, u"C1"),
              (std::vector<StudioRef>{{u"Stage", StudioOp::Add}}));
    EXPECT_TRUE(m.exists(EntityKind::Studio, u"Stage"));
    EXPECT_FALSE(m.exists(EntityKind::Studio, u"S1"));
}

TEST(RestrictionsModel, AReferencedStudioCannotBeDeletedButRenamingAwayDropsReferences)
{
    CRestrictionsModel m = fixture();
    EXPECT_FALSE(m.deleteStudio(u"S2"));
    EXPECT_FALSE(m.deleteStudio(u"nothing"));
    EXPECT_TRUE(m.renameStudio(u"S2", u""));
    EXPECT_FALSE(m.exists(EntityKind::Studio, u"S2"));
    EXPECT_EQ(m.studioRefs(EntityKind::User, u"U1"),
              (std::vector<StudioRef>{{u"S1", StudioOp::Add}, {u"S1", StudioOp::Set}}));

    m.setStudioRefs(EntityKind::User, u"U1", {});
    m.setStudioRefs(EntityKind::Class, u"C1", {});
    EXPECT_TRUE(m.deleteStudio(u"S1"));
    EXPECT_FALSE(m.exists(EntityKind::Studio, u"S1"));
}

TEST(RestrictionsModel, GetRecordIsACopyAndPutRecordReplaces)
{
    CRestrictionsModel m = fixture();
    CRestrictionRecord r = m.getRecord(EntityKind::User, u"U1");
    r.setExplicitFeature(u"KP.Alphas", false);
    EXPECT_TRUE(m.getRecord(EntityKind::User, u"U1").featureValue(u"KP.Alphas"));
    m.putRecord(EntityKind::User, u"U1", r);
    EXPECT_FALSE(m.getRecord(EntityKind::User, u"U1").featureValue(u"KP.Alphas"));
    m.editRecord(EntityKind::User, u"U1")->setFeature(u"KP.Alphas", true);
    EXPECT_TRUE(m.findRecord(EntityKind::User, u"U1")->featureValue(u"KP.Alphas"));
    EXPECT_EQ(m.editRecord(EntityKind::User, u"nobody"), nullptr);
}

}  // namespace
}  // namespace vexilor
