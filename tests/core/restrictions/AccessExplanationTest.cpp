#include "restrictions/AccessExplanation.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsParser.h"
#include "text/Windows1252.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <string>

using namespace vexilor;

namespace {

constexpr int kKpEdit = 0;

CRestrictionsModel modelOf(const std::string& lines)
{
    CRestrictionsModel model;
    std::string text;
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = lines.find('\n', start);
        text += lines.substr(start, end - start) + "\r\n";
        start = end == std::string::npos ? lines.size() : end + 1;
    }
    const RestrictionsParseResult result = parseRestrictions(model, text);
    EXPECT_TRUE(result.ok) << result.errorText;
    return model;
}

const std::string kStudios =
    "[STUDIO \"News\"]\nKP.Edit = 1-4\n"
    "[STUDIO \"Sport\"]\nKP.Edit = 2\n";

// Studios that overlap: the class removes Sports first, then adds News.
const std::string kOverlap =
    "[STUDIO \"News\"]\nKP.Edit = 1-5\n"
    "[STUDIO \"Sports\"]\nKP.Edit = 4-8\n"
    "[CLASS \"K\"]\nstudio-=\"Sports\"\nstudio+=\"News\"\n"
    "[USER \"u\"]\nclass=\"K\"\n";

struct Case {
    const char* what;
    std::string file;
    EntityKind kind;
    const char* name;
    std::uint32_t keypanel;  // 0: the feature Icom.Config instead
    const char* expected;    // explanationText
    void (*adjust)(CRestrictionsModel&) = nullptr;  // what a file cannot say
};

}  // namespace

TEST(AccessExplanation, NamesTheLayerAndStepThatDecided)
{
    const Case cases[] = {
        {"user's own setting", kStudios + "[USER \"u\"]\nKP.Edit -= 3\n", EntityKind::User, "u", 3,
         "Denied by the user's own setting."},
        {"class setting reaches the user", "[CLASS \"C\"]\nKP.Edit += 3\n[USER \"u\"]\nclass=\"C\"\n",
         EntityKind::User, "u", 3, "Allowed by the own setting of class \"C\"."},
        {"class setting overridden by the user",
         "[CLASS \"C\"]\nKP.Edit += 3\n[USER \"u\"]\nclass=\"C\"\nKP.Edit -= 3\n", EntityKind::User, "u", 3,
         "Denied by the user's own setting."},
        {"studio added by the user", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio-=\"Sport\"\n",
         EntityKind::User, "u", 3, "Allowed through studio \"News\" added at position 1 of the studios of user \"u\"."},
        {"studio removed by the user", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio-=\"Sport\"\n",
         EntityKind::User, "u", 2, "Denied through studio \"Sport\" removed at position 2 of the studios of user \"u\"."},
        {"studio added to the user's class",
         kStudios + "[CLASS \"C\"]\nstudio+=\"News\"\n[USER \"u\"]\nclass=\"C\"\n", EntityKind::User, "u", 4,
         "Allowed through studio \"News\" added at position 1 of the studios of class \"C\"."},
        {"studio added to the class itself", kStudios + "[CLASS \"C\"]\nstudio+=\"Sport\"\nstudio+=\"News\"\n",
         EntityKind::Class, "C", 2, "Allowed through studio \"Sport\" added at position 1 of the studios of class \"C\"."},
        {"removal marks what a later studio does not hold", kOverlap, EntityKind::Class, "K", 7,
         "Denied through studio \"Sports\" removed at position 1 of the studios of class \"K\"."},
        {"removal reaches the class's users", kOverlap, EntityKind::User, "u", 8,
         "Denied through studio \"Sports\" removed at position 1 of the studios of class \"K\"."},
        {"a later studio gives back what a removal took", kOverlap, EntityKind::Class, "K", 4,
         "Allowed through studio \"News\" added at position 2 of the studios of class \"K\"."},
        {"a studio that only excludes does not take an earlier allow",
         kStudios + "[CLASS \"C\"]\nstudio+=\"News\"\nstudio+=\"Sport\"\n", EntityKind::Class, "C", 3,
         "Allowed through studio \"News\" added at position 1 of the studios of class \"C\".",
         [](CRestrictionsModel& m) {
             CRestrictionRecord sport = m.getRecord(EntityKind::Studio, u"Sport");
             sport.setResource(u"KP.Edit", 3, false);
             sport.setResourceExplicit(u"KP.Edit", 3, true);
             m.putRecord(EntityKind::Studio, u"Sport", sport);
         }},
        {"a removal by the user marks it against the class's studios",
         kStudios + "[CLASS \"C\"]\nstudio+=\"News\"\n[USER \"u\"]\nclass=\"C\"\nstudio-=\"Sport\"\n",
         EntityKind::User, "u", 2, "Denied through studio \"Sport\" removed at position 1 of the studios of user \"u\"."},
        {"class setting beats the studios of the user's class",
         kStudios + "[CLASS \"C\"]\nstudio+=\"News\"\nKP.Edit -= 1\n[USER \"u\"]\nclass=\"C\"\n",
         EntityKind::User, "u", 1, "Denied by the own setting of class \"C\"."},
        {"a set reference replaces what came before", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio=\"Sport\"\n",
         EntityKind::User, "u", 2, "Allowed through studio \"Sport\" set at position 2 of the studios of user \"u\"."},
        {"a set reference throws away an earlier allow", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio=\"Sport\"\n",
         EntityKind::User, "u", 3, "Denied through studio \"Sport\" set at position 2 of the studios of user \"u\"."},
        {"a set reference throws away the class's own allow",
         kStudios + "[CLASS \"C\"]\nKP.Edit += 3\n[USER \"u\"]\nclass=\"C\"\nstudio=\"Sport\"\n", EntityKind::User, "u",
         3, "Denied through studio \"Sport\" set at position 1 of the studios of user \"u\"."},
        {"set reference to a studio that does not exist", kStudios + "[CLASS \"C\"]\n", EntityKind::Class, "C", 1,
         "Denied through studio \"Gone\" set at position 2 of the studios of class \"C\" (there is no such studio).",
         [](CRestrictionsModel& m) {
             m.setStudioRefs(EntityKind::Class, u"C", {{u"News", StudioOp::Add}, {u"Gone", StudioOp::Set}});
         }},
        {"adding a studio that does not exist changes nothing", kStudios + "[CLASS \"C\"]\n", EntityKind::Class, "C",
         1, "Allowed through studio \"News\" added at position 1 of the studios of class \"C\".",
         [](CRestrictionsModel& m) {
             m.setStudioRefs(EntityKind::Class, u"C", {{u"News", StudioOp::Add}, {u"Gone", StudioOp::Add}});
         }},
        {"every keypanel of one studio, the marks of another",
         kStudios + "[STUDIO \"All\"]\nKP.Edit = *\n[CLASS \"C\"]\nstudio+=\"All\"\nstudio+=\"Sport\"\n",
         EntityKind::Class, "C", 7,
         "Allowed by an unmarked value that came through studio \"All\" added at position 1 of the studios of class \"C\"."},
        {"nothing at all", "[USER \"u\"]\n", EntityKind::User, "u", 7, "Denied by default: nothing allows it."},
        {"beyond the studio's range", kStudios + "[USER \"u\"]\nstudio+=\"News\"\n", EntityKind::User, "u", 5,
         "Denied by default: nothing allows it."},
        {"feature of the class", "[CLASS \"C\"]\nIcom.Config = Y\n[USER \"u\"]\nclass=\"C\"\n", EntityKind::User,
         "u", 0, "Allowed by the own setting of class \"C\"."},
        {"feature nobody sets", "[CLASS \"C\"]\n[USER \"u\"]\nclass=\"C\"\n", EntityKind::User, "u", 0,
         "Denied by default: nothing allows it."},
        {"feature of a studio, and a later studio without it",
         kStudios + "[CLASS \"C\"]\nstudio+=\"Sport\"\nstudio+=\"News\"\n", EntityKind::Class, "C", 0,
         "Allowed through studio \"Sport\" added at position 1 of the studios of class \"C\".",
         [](CRestrictionsModel& m) {
             CRestrictionRecord sport = m.getRecord(EntityKind::Studio, u"Sport");
             sport.setExplicitFeature(u"Icom.Config", true);
             m.putRecord(EntityKind::Studio, u"Sport", sport);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRestrictionsModel model = modelOf(c.file);
        if (c.adjust)
            c.adjust(model);
        CEntitySelection selection(model);
        ASSERT_TRUE(selection.select(text::fromUtf8(c.name), c.kind));
        const AccessExplanation why = c.keypanel ? explainResource(model, selection, kKpEdit, c.keypanel)
                                                 : explainFeature(model, selection, u"Icom.Config");
        EXPECT_EQ(text::toUtf8(explanationText(why, c.kind)), c.expected);
        const int denied = c.keypanel ? selection.isRestricted(kKpEdit, c.keypanel) : selection.featureDenied(u"Icom.Config");
        EXPECT_EQ(why.denied, denied != 0);
    }
}

TEST(AccessExplanation, FollowsUnsavedChangesOfTheSelectedEntity)
{
    CRestrictionsModel model = modelOf(kStudios + "[USER \"u\"]\nstudio+=\"News\"\n");
    CEntitySelection selection(model);
    ASSERT_TRUE(selection.select(u"u", EntityKind::User));
    selection.setRestricted(kKpEdit, 1, true);
    selection.setInherit(kKpEdit, 1, false);
    const AccessExplanation why = explainResource(model, selection, kKpEdit, 1);
    EXPECT_EQ(why.source, AccessSource::Own);
    EXPECT_TRUE(why.denied);
}

TEST(AccessExplanation, NothingSelectedOrOutsideTheTablesIsTheDefaultDeny)
{
    CRestrictionsModel model = modelOf("[USER \"u\"]\nKP.Edit += 1\n");
    CEntitySelection selection(model);
    EXPECT_EQ(explainResource(model, selection, kKpEdit, 1).source, AccessSource::Default);
    ASSERT_TRUE(selection.select(u"u", EntityKind::User));
    EXPECT_EQ(explainResource(model, selection, -1, 1).source, AccessSource::Default);
    EXPECT_EQ(explainResource(model, selection, kResourceKeyCount, 1).source, AccessSource::Default);
    EXPECT_EQ(explainResource(model, selection, kKpEdit, 0).source, AccessSource::Default);
    EXPECT_EQ(explainFeature(model, selection, u"").source, AccessSource::Default);
}

namespace {

// A plain model for the brute-force explainer: per entity, the value and explicit mark of each of
// a few keypanels and of one feature, kept as plain flags.
constexpr std::uint32_t kNumbers = 6;
constexpr std::size_t kFeatureSlot = 0;  // slot 0 is the feature, slots 1 to kNumbers the keypanels

struct Flags {
    bool has = false;  // a value is stored (only a stored feature value is copied by a reference)
    bool value = false;
    bool mark = false;
};
using Entity = std::array<Flags, kNumbers + 1>;

struct PlainModel {
    std::map<std::u16string, Entity> studios, classes;
    Entity user{};
    std::vector<StudioRef> classRefs, userRefs;
    std::u16string classOfUser;
};

struct Replay {
    Flags item;
    std::size_t step = 0;  // 1-based position of the last reference that decided it
};

// Replays a base one reference at a time for one slot and notes the last reference that changed
// the value, marked it explicit, or (a set) replaced everything.
Replay replay(const PlainModel& m, Flags start, const std::vector<StudioRef>& refs, std::size_t slot)
{
    Replay r{start, 0};
    for (std::size_t i = 0; i < refs.size(); ++i) {
        const auto studio = m.studios.find(refs[i].studio);
        const Flags s = studio == m.studios.end() ? Flags{} : studio->second[slot];
        Flags next = r.item;
        if (refs[i].op == StudioOp::Set) {
            next = s;
        } else {
            next.mark = r.item.mark || s.mark;
            if (slot == kFeatureSlot) {
                if (s.has)
                    next.value = s.value, next.has = true;
            } else if (refs[i].op == StudioOp::Add) {
                next.value = r.item.value || s.value;
            } else {
                next.value = r.item.value && !s.value;
            }
        }
        if (refs[i].op == StudioOp::Set || next.value != r.item.value || (next.mark && !r.item.mark))
            r.step = i + 1;
        r.item = next;
    }
    return r;
}

// The brute-force explanation of one slot for the selected entity.
AccessExplanation bruteForce(const PlainModel& m, EntityKind kind, std::size_t slot)
{
    AccessExplanation why;
    const auto cls = m.classes.find(kind == EntityKind::User ? m.classOfUser : u"K");
    const bool hasClass = cls != m.classes.end();
    const Flags own = kind == EntityKind::User ? m.user[slot] : cls->second[slot];
    if (own.mark) {
        why.denied = !own.value;
        why.source = AccessSource::Own;
        return why;
    }
    const std::vector<StudioRef> none;
    const Replay classBase = replay(m, Flags{}, hasClass ? m.classRefs : none, slot);
    const Replay userBase = replay(m, hasClass ? cls->second[slot] : Flags{}, m.userRefs, slot);
    const bool userAnswers = kind == EntityKind::User && userBase.item.mark;
    Replay answer = userAnswers ? userBase : classBase;
    why.denied = !answer.item.value;
    bool byUser = userAnswers;
    if (!userAnswers && kind == EntityKind::User && answer.step == 0 && userBase.step != 0 && !userBase.item.value) {
        answer.step = userBase.step;  // the user's set reference threw away what it had
        byUser = true;
    }
    if (answer.step != 0) {
        const StudioRef& ref = (byUser ? m.userRefs : m.classRefs)[answer.step - 1];
        why.source = answer.item.value && !answer.item.mark ? AccessSource::Unmarked : AccessSource::StudioRef;
        why.studio = ref.studio;
        why.studioExists = m.studios.count(ref.studio) != 0;
        why.op = ref.op;
        why.position = answer.step;
        why.listOwnerKind = byUser ? EntityKind::User : EntityKind::Class;
        why.listOwner = byUser ? u"u" : cls->first;
    } else if (userAnswers) {
        why.source = AccessSource::ClassOwn;
        why.className = cls->first;
    } else {
        why.source = AccessSource::Default;
    }
    return why;
}

// Writes the plain model into a real one through the record operations.
CRestrictionsModel realModel(const PlainModel& m)
{
    const auto record = [](const Entity& e) {
        CRestrictionRecord r;
        if (e[kFeatureSlot].has)
            r.setFeature(u"Icom.Config", e[kFeatureSlot].value);
        if (e[kFeatureSlot].mark)
            r.setFeatureExplicit(u"Icom.Config", true);
        for (std::uint32_t n = 1; n <= kNumbers; ++n) {
            if (e[n].has)
                r.setResource(u"KP.Edit", n, e[n].value);
            if (e[n].mark)
                r.setResourceExplicit(u"KP.Edit", n, true);
        }
        return r;
    };
    CRestrictionsModel model;
    model.newFile(u"u");
    for (const auto& [name, e] : m.studios)
        model.putRecord(EntityKind::Studio, name, record(e));
    for (const auto& [name, e] : m.classes)
        model.putRecord(EntityKind::Class, name, record(e));
    model.putRecord(EntityKind::User, u"u", record(m.user));
    if (!m.classes.empty())
        model.setStudioRefs(EntityKind::Class, u"K", m.classRefs);
    model.setStudioRefs(EntityKind::User, u"u", m.userRefs);
    if (!m.classOfUser.empty())
        model.setClassOf(u"u", m.classOfUser);
    return model;
}

std::string describe(const PlainModel& m)
{
    const auto flags = [](const Entity& e) {
        std::string out;
        for (const Flags& f : e)
            out += f.mark ? (f.value ? 'A' : 'D') : f.has ? (f.value ? 'a' : 'd') : '.';
        return out;
    };
    const auto refs = [](const std::vector<StudioRef>& list) {
        std::string out;
        for (const StudioRef& r : list)
            out += " studio" + std::string(r.op == StudioOp::Add ? "+=" : r.op == StudioOp::Remove ? "-=" : "=")
                + text::toUtf8(r.studio);
        return out;
    };
    std::string out = "feature, keypanels 1-6 (A/D explicit, a/d unmarked value)\n";
    for (const auto& [name, e] : m.studios)
        out += "studio " + text::toUtf8(name) + ": " + flags(e) + "\n";
    for (const auto& [name, e] : m.classes)
        out += "class " + text::toUtf8(name) + ": " + flags(e) + refs(m.classRefs) + "\n";
    out += "user u (class " + text::toUtf8(m.classOfUser) + "): " + flags(m.user) + refs(m.userRefs) + "\n";
    return out;
}

}  // namespace

// Over generated models, the explanation names what a brute-force replay of the references, one
// at a time over plain flags, finds decided each keypanel and the feature, and its verdict is the
// queries'.
TEST(AccessExplanation, AgreesWithABruteForceReplayOnGeneratedModels)
{
    std::mt19937 rng(20261211);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // Allowed or denied explicitly, a mark without a value, an unmarked value (as Inherit leaves
    // it), or nothing.
    const auto entity = [&](int emptyWeight) {
        static const Flags kinds[] = {{true, true, true}, {true, false, true}, {false, false, true},
                                      {true, true, false}, {true, false, false}};
        Entity e{};
        for (Flags& f : e) {
            const int k = pick(emptyWeight + 5);
            f = k < 5 ? kinds[k] : Flags{};
        }
        return e;
    };
    const auto refs = [&] {
        std::vector<StudioRef> out;
        static const char16_t* const names[] = {u"A", u"B", u"C", u"Gone"};
        static const StudioOp ops[] = {StudioOp::Add, StudioOp::Add, StudioOp::Remove, StudioOp::Remove, StudioOp::Set};
        for (int i = pick(5); i > 0; --i)
            out.push_back({names[pick(4)], ops[pick(5)]});
        return out;
    };
    for (int round = 0; round < 400; ++round) {
        PlainModel m;
        for (const char16_t* s : {u"A", u"B", u"C"})
            m.studios[s] = entity(3);
        if (pick(5)) {
            m.classes[u"K"] = entity(5);
            m.classRefs = refs();
        }
        m.user = entity(12);
        m.userRefs = refs();
        const int classChoice = pick(5);
        m.classOfUser = classChoice == 0 ? u"" : classChoice == 1 ? u"Nowhere" : u"K";
        SCOPED_TRACE(describe(m));

        CRestrictionsModel model = realModel(m);
        CEntitySelection selection(model);
        for (const EntityKind kind : {EntityKind::User, EntityKind::Class}) {
            if (kind == EntityKind::Class && m.classes.empty())
                continue;
            ASSERT_TRUE(selection.select(kind == EntityKind::User ? u"u" : u"K", kind));
            for (std::size_t slot = 0; slot <= kNumbers; ++slot) {
                SCOPED_TRACE((kind == EntityKind::User ? "user, " : "class, ")
                             + (slot == kFeatureSlot ? std::string("feature") : "keypanel " + std::to_string(slot)));
                const AccessExplanation expected = bruteForce(m, kind, slot);
                const AccessExplanation why = slot == kFeatureSlot
                    ? explainFeature(model, selection, u"Icom.Config")
                    : explainResource(model, selection, kKpEdit, static_cast<std::uint32_t>(slot));
                const int denied = slot == kFeatureSlot ? selection.featureDenied(u"Icom.Config")
                                                        : selection.isRestricted(kKpEdit, static_cast<std::uint32_t>(slot));
                ASSERT_EQ(expected.denied, denied != 0) << "the brute force disagrees with the queries";
                EXPECT_EQ(text::toUtf8(explanationText(why, kind)), text::toUtf8(explanationText(expected, kind)));
                EXPECT_EQ(accessSourceName(why.source), accessSourceName(expected.source));
            }
        }
    }
}
