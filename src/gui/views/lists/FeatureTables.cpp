#include "views/lists/FeatureTables.h"

#include "intercom/Intercom.h"
#include "restrictions/RestrictionKeywords.h"

#include <array>
#include <string_view>

namespace vexilor {

namespace {

struct Named {
    std::u16string_view key;
    int capability = -1;
};

// Feature index of a key; the keyword table is fixed, so a key missing from it is a typing error
// here that the tests catch (index -1 shows no row).
int featureOf(std::u16string_view key)
{
    return findRestrictionKeyword(key) - 1;
}

std::vector<FeatureRow> build(std::initializer_list<Named> names)
{
    std::vector<FeatureRow> rows;
    rows.reserve(names.size());
    for (const Named& n : names)
        rows.push_back({featureOf(n.key), n.capability});
    return rows;
}

const std::array<std::vector<FeatureRow>, 18>& typeTables()
{
    static const std::array<std::vector<FeatureRow>, 18> tables{
        build({{u"KP.Latch.Disables", 29}, {u"KP.Key.Restricts"}, {u"KP.Talk.Assigns"}, {u"KP.Listen.Assigns"},
               {u"KP.Key.Labels", 77}, {u"KP.Key.States", 9}, {u"KP.Keypanel.Type", 39},
               {u"KP.Default.View", 39}, {u"KP.Setup.Page.Map"}, {u"KP.Setup.Restrict"}, {u"KP.IFB.Priority"},
               {u"KP.Trunk.Priority"}, {u"KP.Trunk.IFB.Priority"}, {u"KP.IFB.Listen.Destination", 44},
               {u"KP.PGM.Listen.Source", 100}, {u"KP.Poll.Delay", 15}, {u"KP.Tone.Enable"},
               {u"KP.Keypanel.Privacy", 28}, {u"KP.TIF.Dialout.Restrict", 14}, {u"KP.Port.Is.TIF", 19},
               {u"KP.Do.Not.Interrupt", 82}, {u"KP.Vox.Settings", 83}, {u"KP.Port.Is.Active.Device", 19},
               {u"KP.Screen.Saver", 50}, {u"KP.Menu.Passwords", 55}, {u"Port.XPT.Force.Inhibit"},
               {u"Port.XPT.Gains"}, {u"Port.PL.Gains"}, {u"Port.Analog.Gains"}}),
        build({{u"PL.Local.Tally", 17}, {u"PL.Trunk.Tally", 17}, {u"PL.Membership"}}),
        build({{u"IFB.Input"}, {u"IFB.Output"}, {u"IFB.Dim", 21}, {u"IFB.Listen.Source", 44},
               {u"IFB.Trunk.Tally", 128}}),
        build({{u"IFBSL.Membership"}, {u"IFBSL.Trunk.Tally", 130}}),
        build({{u"SL.Relays"}, {u"SL.Membership"}}),
        build({{u"RY.Input"}, {u"RY.Output"}}),
        build({{u"ISO.Self"}, {u"ISO.Output"}}),
        build({{u"DI.Definition"}}),
        build({{u"GRP.Merge.Flag", 51}, {u"GRP.PA.Flag"}, {u"GRP.PA.Port"}, {u"GRP.2nd.Call.Flag"},
               {u"GRP.2nd.Call.Tally"}, {u"GRP.Membership"}}),
        build({{u"AGRP.Membership"}, {u"AGRP.Self", 107}}),
        build({{u"AD.Number"}}),
        build({{u"UR.Input", 110}, {u"UR.Output", 110}, {u"UR.Reciprocal", 110}}),
        build({{u"UPL.Definition"}}),
        build({{u"DIM.Gain"}, {u"DIM.Membership"}}),
        build({{u"Dorn.Skel.Assigns"}, {u"Dorn.Skel.Mode.Enable"}, {u"Dorn.Skel.Setup.Page"},
               {u"Dorn.CDP.Assigns"}, {u"Dorn.CDP.Mode.Enable"}, {u"Dorn.CDP.Setup.Page"},
               {u"Dorn.Trim.Assigns"}, {u"Dorn.Trim.Mode.Enable"}, {u"Dorn.Trim.Setup.Page"}}),
        build({{u"Skel.Key.Assigns"}, {u"Skel.Key.Restricts"}, {u"Skel.Setup.Restricts"}, {u"Skel.Setup.Page.Map"}}),
        build({{u"Fenn.Key.Assigns"}, {u"Fenn.Key.Restricts"}, {u"Fenn.Setup.Restricts"}, {u"Fenn.Setup.Page.Map"}}),
        build({{u"MADI.RefClock", 118}, {u"MADI.SampleRate", 118}, {u"MADI.LinkMode", 118},
               {u"MADI.BaudRate", 118}, {u"MADI.NumChans", 118}, {u"MADI.ChannelMap", 118},
               {u"MADI.ChannelMute", 118}}),
    };
    return tables;
}

// The key prefix of the types whose alphas, aliases, descriptions and scroll features exist.
std::u16string_view prefixOf(int type)
{
    static constexpr std::array<std::u16string_view, 12> prefixes{
        u"KP", u"PL", u"IFB", u"IFBSL", u"SL", u"RY", u"ISO", u"", u"GRP", u"AGRP", u"AD", u"UR"};
    return type >= 0 && type < static_cast<int>(prefixes.size()) ? prefixes[static_cast<std::size_t>(type)]
                                                                 : std::u16string_view{};
}

int featureOf(std::u16string_view prefix, std::u16string_view suffix)
{
    std::u16string key(prefix);
    key += suffix;
    return featureOf(key);
}

// Entries 32 and 186 share the key KP.Alphas; the split table shows the one labelled "Output Alpha".
int outputAlphaFeature()
{
    for (int entry = 1; entry <= kFeatureKeywordCount; ++entry) {
        const RestrictionKeyword& k = restrictionKeyword(entry);
        if (k.key == u"KP.Alphas" && k.label == u"Output Alpha")
            return entry - 1;
    }
    return -1;
}

constexpr int kDescriptionsCapability = 13;

}  // namespace

std::span<const FeatureRow> FeatureTableOfType(int type)
{
    if (type < 0 || type >= 18)
        return {};
    return typeTables()[static_cast<std::size_t>(type)];
}

std::span<const FeatureRow> TovrinFeatureTable()
{
    static const std::vector<FeatureRow> table = build({
        {u"App.Prefs.Startup"}, {u"App.Prefs.Alpha"}, {u"App.Prefs.Logging"}, {u"App.Prefs.General"},
        {u"App.Prefs.Advanced"}, {u"App.Prefs.Restrictions"}, {u"App.Prefs.Maintenance"},
        {u"App.Firmware.Download", 0}, {u"App.Fonts.Download", 0}, {u"App.First.Birthday"}, {u"Icom.Config"},
        {u"Icom.Comm"}, {u"Icom.Comm.Advanced", 24}, {u"Icom.Comm.Stats"}, {u"Icom.Comm.Trace"},
        {u"Icom.Memory.View"}, {u"Icom.Logging.State"}, {u"Clear.Comm.Errors"}, {u"Clear.Message.Counters"},
        {u"Clear.Bad.Cut.Status", 32}, {u"Clear.Key.Closures", 48}, {u"Clear.Trunk.Ports", 80},
        {u"Clear.Trunk.Assigns"}, {u"App.Context.Help"}, {u"Bexo.Config.View", 63}, {u"Bexo.Config.Edit", 63},
        {u"Bexo.Statistics.View", 63}, {u"Icom.Debug.Terminal", 66}, {u"App.Customize.Toolbars"},
        {u"App.Search.And.Replace", 76}, {u"Icom.Passwords", 84}, {u"GPIO.Configuration", 99},
        {u"Alarms.Hide", 104}, {u"Alarms.Hide.Type", 104}, {u"Alarms.Clear", 104},
        {u"Icom.KP.Assignment.Colors", 112}, {u"Icom.KP.FnType.Colors", 112}, {u"Icom.KP.System.Colors", 114},
        {u"KP.2Wire.Settings", 113}, {u"Velk.Communications", 117}, {u"EthernetLinks.ClrStats", 119},
        {u"EthernetLinks.Reset", 119}, {u"Port.Allocation", 121}, {u"App.License.Download", 118},
    });
    return table;
}

std::span<const FeatureRow> SpecialAssignmentTable()
{
    static const std::vector<FeatureRow> table = build({
        {u"SF.NULL.Assign"}, {u"SF.AF.Assign"}, {u"SF.AT.Assign", 44}, {u"SF.AL.Assign"}, {u"SF.AR.Assign"},
        {u"SF.AM.Assign"}, {u"SF.AC.Assign"}, {u"SF.DIM.Assign"}, {u"SF.PPL.Assign", 78},
        {u"SF.PPLI.Assign", 78}, {u"Trunk.Assign"},
    });
    return table;
}

std::vector<FeatureRow> AlphaFeatureTable(int type, const CIntercom& intercom)
{
    if (type == 0 && intercom.HasInputAlphas())
        return {{outputAlphaFeature(), -1}, {featureOf(u"KP.Input.Alphas"), -1}, {featureOf(u"KP.Aliases"), -1},
                {featureOf(u"KP.Descriptions"), kDescriptionsCapability}};
    const std::u16string_view prefix = prefixOf(type);
    if (!prefix.empty())
        return {{featureOf(prefix, u".Alphas"), -1}, {featureOf(prefix, u".Aliases"), -1},
                {featureOf(prefix, u".Descriptions"), kDescriptionsCapability}};
    switch (type) {
    case 7: return {{featureOf(u"DI.Descriptions"), kDescriptionsCapability}};
    case 13: return {{featureOf(u"DIM.Descriptions"), kDescriptionsCapability}};
    case 15: return {{featureOf(u"Skel.Descriptions"), kDescriptionsCapability}};
    case 17: return {{featureOf(u"IO.Descriptions"), kDescriptionsCapability}};
    default: return {};
    }
}

std::vector<FeatureRow> ScrollFeatureTable(int type)
{
    const std::u16string_view prefix = prefixOf(type);
    if (prefix.empty())
        return {};
    std::vector<FeatureRow> rows{{featureOf(prefix, u".Local.Scroll"), -1},
                                 {featureOf(prefix, u".Trunk.Scroll"), -1},
                                 {featureOf(prefix, u".Vreledit.Scroll"), -1}};
    if (type == 0)
        rows.push_back({featureOf(u"KP.Dornet.Scroll"), 40});
    return rows;
}

std::vector<int> ShownFeatures(std::span<const FeatureRow> table, const CIntercom& intercom)
{
    std::vector<int> shown;
    shown.reserve(table.size());
    for (const FeatureRow& row : table) {
        if (row.feature < 0)
            continue;
        if (row.capability < 0 || intercom.HasCapability(static_cast<unsigned>(row.capability)))
            shown.push_back(row.feature);
    }
    return shown;
}

}  // namespace vexilor
