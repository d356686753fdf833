#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "restrictions/ResourceTypes.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsDump.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"

namespace vexilor {
namespace {

// Writes model, reads the bytes back and checks that the same model came back and that writing it
// again gives the same bytes.
void expectRoundTrip(const CRestrictionsModel& model, const std::string& what)
{
    const auto bytes = restrictionsFileBytes(model);
    ASSERT_TRUE(bytes.has_value()) << what;
    CRestrictionsModel back;
    const RestrictionsParseResult r = parseRestrictions(back, *bytes);
    ASSERT_TRUE(r.ok) << what << "\n" << r.errorText << *bytes;
    EXPECT_TRUE(r.crcMatches()) << what;
    EXPECT_EQ(canonicalDump(back), canonicalDump(model)) << what << "\n" << *bytes;
    EXPECT_EQ(restrictionsFileBytes(back), bytes) << what;
    // Written in parts at once, the bytes are the same.
    EXPECT_EQ(restrictionsFileBytes(model, {.parts = 3}), bytes) << what;
}

// A set from a picture: one character per resource number from 0, 'Y' specified allowed, 'N'
// specified denied, '.' not specified; then the all flag.
CAccessSet make(const std::string& bits, bool all)
{
    CAccessSet s = CAccessSet::uniform(all);
    for (std::uint32_t n = 0; n < bits.size(); ++n)
        if (bits[n] != '.')
            s.set(n, bits[n] == 'Y');
    return s;
}

TEST(RoundTrip, EveryShapeOfAccessSetReadsBackTheSameInEveryKindOfRecord)
{
    struct Shape {
        const char* what;
        CAccessSet marks;
        CAccessSet values;
    };
    const std::vector<Shape> shapes = {
        {"nothing explicit", make("", false), make("", false)},
        {"some explicit, values shorter", make(".YY.Y.....Y", false), make(".Y..Y", false)},
        {"some explicit, values longer", make(".Y", false), make(".YNYNYNY", true)},
        {"some explicit among unspecified values allowing all", make("..YYY", false),
         make("", true)},
        {"all explicit, all allowed", make("", true), make("", true)},
        {"all explicit, all denied", make("", true), make("", false)},
        {"all explicit, allowed with exceptions", make("", true), make("...NN.N", true)},
        {"all explicit, a list allowed", make("", true), make(".YY..Y", false)},
        {"all explicit but some inherit, all allowed", make("..N..N", true), make("", true)},
        {"all explicit but some inherit, a list allowed", make(".N.N", true), make(".YYYY", false)},
        {"all explicit but some inherit, nothing allowed", make("..NNN", true), make("..YYY", false)},
        {"explicit marks with inherit bits but not all", make("YNYNY", false), make("YYYYY", false)},
        {"bit 0 only", make("Y", true), make("N", true)},
        {"the highest number", make(std::string(65535, '.') + "Y", false),
         make(std::string(65535, '.') + "Y", false)},
        {"long alternating list", make(std::string(6000, '.') + std::string(9000, 'Y'), false),
         [] {
             CAccessSet s;
             for (std::uint32_t n = 1; n < 15000; n += 2)
                 s.set(n, true);
             return s;
         }()},
    };
    for (const Shape& shape : shapes) {
        for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User}) {
            CRestrictionsModel model;
            model.newFile(u"Default");
            CRestrictionRecord record;
            record.setResourceMarks(u"KP.Edit", shape.marks);
            record.setResources(u"KP.Edit", shape.values);
            // A key with values only is not written; it must not disturb the others.
            record.setResources(u"IFB.Edit", shape.values);
            model.putRecord(kind, u"E", record);
            expectRoundTrip(model, std::string(shape.what) + " in kind " +
                                       std::to_string(static_cast<int>(kind)));
        }
    }
}

TEST(RoundTrip, TheWorkedExampleFileWritesBackByteForByte)
{
    const std::string file =
        "// Tovrin restrictions file\r\n// ------------------------\r\n\r\n[DEVICE \"ICOM1\"]\r\n"
        "\r\n\r\n[STUDIO \"Studio A\"]\r\nKP.Edit = 1-4,9\r\nPL.Assign = *\r\n\r\n"
        "[CLASS \"Operators\"]\r\nstudio+=\"Studio A\"\r\nApp.Prefs.General = N\r\n"
        "KP.Edit -= 3\r\nKP.Edit += 5-6\r\n\r\n[USER \"Default\"]\r\n//Inheritance\r\n"
        "class=\"Operators\"\r\nstudio-=\"Studio A\"\r\n\r\n// -- End of Data --\r\n\r\n"
        "[CRC 4a42]";
    CRestrictionsModel model;
    const RestrictionsParseResult r = parseRestrictions(model, file);
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(r.crcMatches());
    EXPECT_EQ(r.crcComputed, 0x4a42);
    EXPECT_EQ(restrictionsFileBytes(model), file);
}

// Random models built through the record operations, with names and keys that stress quoting,
// ordering and the code page.
class ModelGenerator {
public:
    explicit ModelGenerator(std::uint32_t seed) : rng_(seed) {}

    CRestrictionsModel next()
    {
        CRestrictionsModel model;
        model.newFile(name());
        if (chance(2))
            model.setDeviceName(name());
        std::vector<std::u16string> studios;
        std::vector<std::u16string> classes;
        for (int i = pick(4); i > 0; --i) {
            studios.push_back(name());
            model.putRecord(EntityKind::Studio, studios.back(), record());
        }
        for (int i = pick(4); i > 0; --i) {
            classes.push_back(name());
            model.putRecord(EntityKind::Class, classes.back(), record());
            model.setStudioRefs(EntityKind::Class, classes.back(), refs(studios));
        }
        for (int i = pick(5); i > 0; --i) {
            const std::u16string user = name();
            model.putRecord(EntityKind::User, user, record());
            if (!classes.empty() && chance(2))
                model.setClassOf(user, classes[static_cast<std::size_t>(pick(static_cast<int>(classes.size())))]);
            model.setStudioRefs(EntityKind::User, user, refs(studios));
        }
        return model;
    }

private:
    int pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
    bool chance(int n) { return pick(n) == 0; }

    std::u16string name()
    {
        static const std::u16string alphabet =
            u"abcXYZ019 _.-+=,[]*@/\\'\u00e9\u00c4\u20ac\u0160\u00a0\t";
        std::u16string s;
        for (int i = pick(8) + 1; i > 0; --i)
            s.push_back(alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))]);
        return s;
    }

    std::vector<StudioRef> refs(const std::vector<std::u16string>& studios)
    {
        std::vector<StudioRef> out;
        if (studios.empty())
            return out;
        for (int i = pick(4); i > 0; --i)
            out.push_back({studios[static_cast<std::size_t>(pick(static_cast<int>(studios.size())))],
                           static_cast<StudioOp>(pick(3))});
        return out;
    }

    CAccessSet set()
    {
        CAccessSet s = CAccessSet::uniform(chance(3));
        const std::uint32_t span = chance(4) ? 3000 : 40;
        for (int i = pick(12); i > 0; --i) {
            const std::uint32_t a = static_cast<std::uint32_t>(pick(static_cast<int>(span)));
            if (chance(3))
                s.setRange(a, a + static_cast<std::uint32_t>(pick(50)));
            else
                s.set(a, chance(2));
        }
        return s;
    }

    CRestrictionRecord record()
    {
        CRestrictionRecord r;
        for (int i = pick(30); i > 0; --i) {
            std::u16string key;
            switch (pick(4)) {
            case 0:
                key = name();  // needs quotes more often than not
                break;
            case 1:
                key = u"Menu.File." + std::u16string(1, static_cast<char16_t>(u'A' + pick(26)));
                break;
            default:
                key = featureKey(pick(kFeatureKeywordCount));
            }
            switch (pick(4)) {
            case 0:
                r.setFeature(key, chance(2));
                break;
            case 1:
                r.setFeatureExplicit(key, chance(2));
                break;
            default:
                r.setExplicitFeature(key, chance(2));
            }
        }
        for (int i = pick(10); i > 0; --i) {
            const std::u16string_view key = resourceKeyName(pick(kResourceKeyCount));
            switch (pick(7)) {
            case 0:
                r.setResources(key, set());
                break;
            case 1:
                r.addResources(key, set());
                break;
            case 2:
                r.removeResources(key, set());
                break;
            case 3:
                r.markAllExplicit(key);
                break;
            case 4:
                r.markExplicit(key, set());
                break;
            case 5:
                r.markInherited(key, set());
                break;
            default:
                r.setResourceExplicit(key, static_cast<std::uint32_t>(pick(60)), chance(2));
            }
        }
        return r;
    }

    std::mt19937 rng_;
};

TEST(RoundTrip, GeneratedModelsReadBackTheSame)
{
    ModelGenerator generator(20240611);
    for (int i = 0; i < 300; ++i)
        expectRoundTrip(generator.next(), "model " + std::to_string(i));
}

}  // namespace
}  // namespace vexilor
