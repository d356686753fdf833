#include "restrictions/RestrictionKeywords.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vexilor {
namespace {

constexpr std::array<RestrictionKeyword, kRestrictionKeywordCount> kKeywords = {{
    {u"SF.NULL.Assign", u"Null assignment (----)"},  // 1
    {u"SF.AC.Assign", u"All Call assignment (AC)"},  // 2
    {u"SF.DIM.Assign", u"Dim table assignment (DIM)"},  // 3
    {u"SF.AF.Assign", u"Auto-follow assignment (AF)"},  // 4
    {u"SF.AL.Assign", u"Auto-listen assignment (AL)"},  // 5
    {u"SF.AR.Assign", u"Auto-reciprocal assignment (AR)"},  // 6
    {u"SF.AM.Assign", u"Auto-mute assignment (AM)"},  // 7
    {u"SF.AT.Assign", u"Auto-table assignment (AT)"},  // 8
    {u"SF.PPL.Assign", u"Panel Party Line assignment (PPL)"},  // 9
    {u"SF.PPLI.Assign", u"Panel Party Line Inhibit assignment (PPLI)"},  // 10
    {u"Port.XPT.Force.Inhibit", u"Force and inhibit crosspoints"},  // 11
    {u"Port.XPT.Gains", u"Crosspoint gains"},  // 12
    {u"Port.PL.Gains", u"Party line gains"},  // 13
    {u"Port.Analog.Gains", u"Analog gains"},  // 14
    {u"Icom.Config", u"Re-configure intercom"},  // 15
    {u"Icom.Comm", u"Change communication parameters"},  // 16
    {u"Icom.Comm.Advanced", u"Change advanced communication parameters"},  // 17
    {u"App.Prefs.Startup", u"Change startup preferences"},  // 18
    {u"App.Prefs.Alpha", u"Change alpha preferences"},  // 19
    {u"App.Prefs.Logging", u"Change logging preferences"},  // 20
    {u"App.Prefs.General", u"Change general preferences"},  // 21
    {u"App.Prefs.Advanced", u"Change advanced preferences"},  // 22
    {u"App.Firmware.Download", u"Download firmware"},  // 23
    {u"App.First.Birthday", u"Perform first birthday"},  // 24
    {u"Clear.Comm.Errors", u"Clear communication errors"},  // 25
    {u"Clear.Message.Counters", u"Clear message counters"},  // 26
    {u"Clear.Bad.Cut.Status", u"Clear \"Bad Cut\" status"},  // 27
    {u"Clear.Key.Closures", u"Clear key closures for disconnected keypanels"},  // 28
    {u"Clear.Trunk.Assigns", u"Clear trunk assigns"},  // 29
    {u"KP.Screen.Saver", u"Keypanel screen saver"},  // 30
    {u"KP.Menu.Passwords", u"Keypanel menu passwords"},  // 31
    {u"KP.Alphas", u"Alpha"},  // 32
    {u"KP.Aliases", u"Alias"},  // 33
    {u"KP.Descriptions", u"Description"},  // 34
    {u"KP.Local.Scroll", u"Local Scroll"},  // 35
    {u"KP.Trunk.Scroll", u"Trunk Scroll"},  // 36
    {u"KP.Vreledit.Scroll", u"Tovrin Scroll"},  // 37
    {u"KP.Dornet.Scroll", u"Skel/Dorn Scroll"},  // 38
    {u"KP.Latch.Disables", u"Latch disables"},  // 39
    {u"KP.Key.Restricts", u"Key restrictions"},  // 40
    {u"KP.Talk.Assigns", u"Talk assignments"},  // 41
    {u"KP.Listen.Assigns", u"Listen assignments"},  // 42
    {u"KP.Keypanel.Type", u"Keypanel type"},  // 43
    {u"KP.Setup.Page.Map", u"Setup page map"},  // 44
    {u"KP.Setup.Restrict", u"Setup restrict"},  // 45
    {u"KP.IFB.Priority", u"IFB priority"},  // 46
    {u"KP.Trunk.Priority", u"Trunk priority"},  // 47
    {u"KP.Trunk.IFB.Priority", u"Trunk IFB priority"},  // 48
    {u"KP.Poll.Delay", u"Poll delay"},  // 49
    {u"KP.IFB.Listen.Destination", u"IFB listen destination"},  // 50
    {u"KP.Tone.Enable", u"Tone enable"},  // 51
    {u"KP.Keypanel.Privacy", u"Keypanel privacy"},  // 52
    {u"KP.TIF.Dialout.Restrict", u"TIF dialout restriction"},  // 53
    {u"KP.Port.Is.TIF", u"Port is TIF flag"},  // 54
    {u"KP.Port.Is.Active.Device", u"Port is \"Active Device\" flag"},  // 55
    {u"KP.Key.States", u"Key states"},  // 56
    {u"PL.Alphas", u"Alpha"},  // 57
    {u"PL.Aliases", u"Alias"},  // 58
    {u"PL.Descriptions", u"Description"},  // 59
    {u"PL.Local.Scroll", u"Local Scroll"},  // 60
    {u"PL.Trunk.Scroll", u"Trunk Scroll"},  // 61
    {u"PL.Vreledit.Scroll", u"Tovrin Scroll"},  // 62
    {u"PL.Local.Tally", u"Local tally"},  // 63
    {u"PL.Trunk.Tally", u"Trunk tally"},  // 64
    {u"PL.Membership", u"Membership"},  // 65
    {u"IFB.Alphas", u"Alpha"},  // 66
    {u"IFB.Aliases", u"Alias"},  // 67
    {u"IFB.Descriptions", u"Description"},  // 68
    {u"IFB.Local.Scroll", u"Local Scroll"},  // 69
    {u"IFB.Trunk.Scroll", u"Trunk Scroll"},  // 70
    {u"IFB.Vreledit.Scroll", u"Tovrin Scroll"},  // 71
    {u"IFB.Input", u"Input port"},  // 72
    {u"IFB.Output", u"Output port"},  // 73
    {u"IFB.Dim", u"Dim amount"},  // 74
    {u"IFB.Listen.Source", u"Listen source"},  // 75
    {u"IFB.Tone.Override", u"Tone override input"},  // 76
    {u"IFBSL.Alphas", u"Alpha"},  // 77
    {u"IFBSL.Aliases", u"Alias"},  // 78
    {u"IFBSL.Descriptions", u"Description"},  // 79
    {u"IFBSL.Local.Scroll", u"Local Scroll"},  // 80
    {u"IFBSL.Trunk.Scroll", u"Trunk Scroll"},  // 81
    {u"IFBSL.Vreledit.Scroll", u"Tovrin Scroll"},  // 82
    {u"IFBSL.Membership", u"Membership"},  // 83
    {u"SL.Alphas", u"Alpha"},  // 84
    {u"SL.Aliases", u"Alias"},  // 85
    {u"SL.Descriptions", u"Description"},  // 86
    {u"SL.Local.Scroll", u"Local Scroll"},  // 87
    {u"SL.Trunk.Scroll", u"Trunk Scroll"},  // 88
    {u"SL.Vreledit.Scroll", u"Tovrin Scroll"},  // 89
    {u"SL.Relays", u"Relays"},  // 90
    {u"SL.Membership", u"Membership"},  // 91
    {u"RY.Alphas", u"Alpha"},  // 92
    {u"RY.Aliases", u"Alias"},  // 93
    {u"RY.Descriptions", u"Description"},  // 94
    {u"RY.Local.Scroll", u"Local Scroll"},  // 95
    {u"RY.Trunk.Scroll", u"Trunk Scroll"},  // 96
    {u"RY.Vreledit.Scroll", u"Tovrin Scroll"},  // 97
    {u"RY.Input", u"Input port"},  // 98
    {u"RY.Output", u"Output port"},  // 99
    {u"ISO.Alphas", u"Alpha"},  // 100
    {u"ISO.Aliases", u"Alias"},  // 101
    {u"ISO.Descriptions", u"Description"},  // 102
    {u"ISO.Local.Scroll", u"Local Scroll"},  // 103
    {u"ISO.Trunk.Scroll", u"Trunk Scroll"},  // 104
    {u"ISO.Vreledit.Scroll", u"Tovrin Scroll"},  // 105
    {u"ISO.Self", u"\"ISO Self\" flag"},  // 106
    {u"ISO.Output", u"Output port"},  // 107
    {u"GRP.Alphas", u"Alpha"},  // 108
    {u"GRP.Aliases", u"Alias"},  // 109
    {u"GRP.Descriptions", u"Description"},  // 110
    {u"GRP.Local.Scroll", u"Local Scroll"},  // 111
    {u"GRP.Trunk.Scroll", u"Trunk Scroll"},  // 112
    {u"GRP.Vreledit.Scroll", u"Tovrin Scroll"},  // 113
    {u"GRP.Merge.Flag", u"Merge new calls flag"},  // 114
    {u"GRP.PA.Flag", u"PA flag"},  // 115
    {u"GRP.PA.Port", u"PA port"},  // 116
    {u"GRP.2nd.Call.Flag", u"2nd call to speaker flag"},  // 117
    {u"GRP.2nd.Call.Tally", u"2nd call tally flag"},  // 118
    {u"GRP.Membership", u"Membership"},  // 119
    {u"AGRP.Alphas", u"Alpha"},  // 120
    {u"AGRP.Aliases", u"Alias"},  // 121
    {u"AGRP.Descriptions", u"Description"},  // 122
    {u"AGRP.Local.Scroll", u"Local Scroll"},  // 123
    {u"AGRP.Trunk.Scroll", u"Trunk Scroll"},  // 124
    {u"AGRP.Vreledit.Scroll", u"Tovrin Scroll"},  // 125
    {u"AGRP.Membership", u"Membership"},  // 126
    {u"AD.Alphas", u"Alpha"},  // 127
    {u"AD.Aliases", u"Alias"},  // 128
    {u"AD.Descriptions", u"Description"},  // 129
    {u"AD.Local.Scroll", u"Local Scroll"},  // 130
    {u"AD.Trunk.Scroll", u"Trunk Scroll"},  // 131
    {u"AD.Vreledit.Scroll", u"Tovrin Scroll"},  // 132
    {u"AD.Number", u"Phone number"},  // 133
    {u"UR.Alphas", u"Alpha"},  // 134
    {u"UR.Aliases", u"Alias"},  // 135
    {u"UR.Descriptions", u"Description"},  // 136
    {u"UR.Local.Scroll", u"Local Scroll"},  // 137
    {u"UR.Trunk.Scroll", u"Trunk Scroll"},  // 138
    {u"UR.Vreledit.Scroll", u"Tovrin Scroll"},  // 139
    {u"Dorn.Skel.Assigns", u"Skel mode assignments"},  // 140
    {u"Dorn.Skel.Mode.Enable", u"Skel mode enable"},  // 141
    {u"Dorn.Skel.Setup.Page", u"Skel mode setup page"},  // 142
    {u"Dorn.CDP.Assigns", u"CDP mode assignments"},  // 143
    {u"Dorn.CDP.Mode.Enable", u"CDP mode enable"},  // 144
    {u"Dorn.CDP.Setup.Page", u"CDP mode setup page"},  // 145
    {u"Dorn.Trim.Assigns", u"Analog gain mode assignments"},  // 146
    {u"Dorn.Trim.Mode.Enable", u"Analog gain mode enable"},  // 147
    {u"Dorn.Trim.Setup.Page", u"Analog gain mode setup page"},  // 148
    {u"Skel.Key.Assigns", u"Assignments"},  // 149
    {u"Skel.Key.Restricts", u"Key restrictions"},  // 150
    {u"Skel.Setup.Restricts", u"Setup restrict"},  // 151
    {u"Skel.Setup.Page.Map", u"Setup page map"},  // 152
    {u"DI.Descriptions", u"Description"},  // 153
    {u"DI.Definition", u"Definition"},  // 154
    {u"DIM.Descriptions", u"Description"},  // 155
    {u"DIM.Gain", u"Gain"},  // 156
    {u"DIM.Name", u"Name"},  // 157
    {u"DIM.Membership", u"Membership"},  // 158
    {u"Menus.All", u"All menu items"},  // 159
    {u"KP.Busy.Signal.Mode", u"Busy signal mode"},  // 160
    {u"KP.Busy.Override", u"Busy signal override"},  // 161
    {u"KP.CWW.Mode", u"CWW mode"},  // 162
    {u"KP.Headset.Transfer", u"Headset transfer"},  // 163
    {u"Trunk.Assign", u"Remote (trunked) assignments "},  // 164
    {u"UPL.Definition", u"Definition"},  // 165
    {u"Icom.Memory.View", u"View device memory"},  // 166
    {u"Icom.Comm.Stats", u"View communication statistics"},  // 167
    {u"Icom.Comm.Trace", u"View communication trace window"},  // 168
    {u"KP.Default.View", u"Default view"},  // 169
    {u"Icom.Logging.State", u"Change logging state"},  // 170
    {u"App.Context.Help", u"Context sensitive help"},  // 171
    {u"Bexo.Config.View", u"View Bexo configuration"},  // 172
    {u"Bexo.Config.Edit", u"Edit Bexo configuration"},  // 173
    {u"Bexo.Statistics.View", u"View Bexo statistics"},  // 174
    {u"Icom.Debug.Terminal", u"View debug terminal"},  // 175
    {u"App.Customize.Toolbars", u"Customize toolbars"},  // 176
    {u"KP.Key.Labels", u"Key labels"},  // 177
    {u"Clear.Trunk.Ports", u"Remove \"Trunk Port\" status"},  // 178
    {u"App.Search.And.Replace", u"Search and replace"},  // 179
    {u"KP.Do.Not.Interrupt", u"Do Not Interrupt"},  // 180
    {u"KP.Vox.Settings", u"Vox settings"},  // 181
    {u"Icom.Passwords", u"Malvet Passwords"},  // 182
    {u"App.Prefs.Restrictions", u"Change authentication preferences"},  // 183
    {u"App.Prefs.Maintenance", u"Change maintenance preferences"},  // 184
    {u"KP.Input.Alphas", u"Input Alpha"},  // 185
    {u"KP.Alphas", u"Output Alpha"},  // 186
    {u"IO.Descriptions", u"Description"},  // 187
    {u"Skel.Descriptions", u"Description"},  // 188
    {u"Fenn.Key.Assigns", u"Assignments"},  // 189
    {u"Fenn.Key.Restricts", u"Key restrictions"},  // 190
    {u"Fenn.Setup.Restricts", u"Setup restrict"},  // 191
    {u"Fenn.Setup.Page.Map", u"Setup page map"},  // 192
    {u"GPIO.Configuration", u"Edit Tessly Configuration"},  // 193
    {u"KP.PGM.Listen.Source", u"PGM listen source"},  // 194
    {u"App.Fonts.Download", u"Download keypanel fonts"},  // 195
    {u"AGRP.Self", u"\"Members Only\" flag"},  // 196
    {u"UR.Input", u"Input port"},  // 197
    {u"UR.Output", u"Output port"},  // 198
    {u"UR.Reciprocal", u"\"Reciprocal\" flag"},  // 199
    {u"Alarms.Hide", u"Hide Alarms"},  // 200
    {u"Alarms.Hide.Type", u"Hide Alarm Types"},  // 201
    {u"Alarms.Clear", u"Clear Alarms"},  // 202
    {u"Icom.KP.Assignment.Colors", u"Key assignment colors"},  // 203
    {u"Icom.KP.FnType.Colors", u"Function type colors"},  // 204
    {u"Icom.KP.System.Colors", u"Miscellaneous keypanel colors"},  // 205
    {u"KP.2Wire.Settings", u"2-Wire port configuration"},  // 206
    {u"Velk.Communications", u"Change Velk communication parameters"},  // 207
    {u"MADI.RefClock", u"Reference Clock"},  // 208
    {u"MADI.SampleRate", u"Sample Rate"},  // 209
    {u"MADI.LinkMode", u"Link Mode"},  // 210
    {u"MADI.BaudRate", u"Pass-Through Baud Rate"},  // 211
    {u"MADI.ChannelMap", u"Channel Mappings"},  // 212
    {u"MADI.NumChans", u"Number of Channels"},  // 213
    {u"MADI.ChannelMute", u"Channel Mute"},  // 214
    {u"EthernetLinks.ClrStats", u"Clear Ethernet Link Stats"},  // 215
    {u"EthernetLinks.Reset", u"Reset Etherent Links"},  // 216
    {u"Port.Allocation", u"Edit the Port Allocation Table"},  // 217
    {u"App.License.Download", u"Download license files"},  // 218
    {u"IFB.Trunk.Tally", u"Trunk tally"},  // 219
    {u"IFBSL.Trunk.Tally", u"Trunk tally"},  // 220
    {u"KP.Edit", u""},  // 221, resource type 0
    {u"PL.Edit", u""},
    {u"IFB.Edit", u""},
    {u"IFBSL.Edit", u""},
    {u"SL.Edit", u""},
    {u"RY.Edit", u""},
    {u"ISO.Edit", u""},
    {u"DI.Edit", u""},
    {u"GRP.Edit", u""},
    {u"AGRP.Edit", u""},
    {u"AD.Edit", u""},
    {u"UR.Edit", u""},
    {u"UPL.Edit", u""},
    {u"DIM.Edit", u""},
    {u"Dorn.Edit", u""},
    {u"Skel.Edit", u""},
    {u"Fenn.Edit", u""},
    {u"IO.Edit", u""},  // 238, resource type 17
    {u"KP.Assign", u""},  // 239
    {u"PL.Assign", u""},
    {u"IFB.Assign", u""},
    {u"IFBSL.Assign", u""},
    {u"SL.Assign", u""},
    {u"RY.Assign", u""},
    {u"ISO.Assign", u""},
    {u"GRP.Assign", u""},
    {u"AD.Assign", u""},
    {u"UR.Assign", u""},  // 248
}};

const RestrictionKeyword kNoKeyword{};

}  // namespace

const RestrictionKeyword& restrictionKeyword(int index)
{
    if (index < 1 || index > kRestrictionKeywordCount)
        return kNoKeyword;
    return kKeywords[static_cast<std::size_t>(index - 1)];
}

std::u16string_view featureKey(int i)
{
    return i >= 0 && i < kFeatureKeywordCount ? restrictionKeyword(i + 1).key : std::u16string_view{};
}

std::u16string_view resourceKeyName(int k)
{
    return k >= 0 && k < kResourceKeyCount ? restrictionKeyword(kFirstEditKeyword + k).key
                                           : std::u16string_view{};
}

int findRestrictionKeyword(std::u16string_view key)
{
    for (int i = 1; i <= kRestrictionKeywordCount; ++i)
        if (kKeywords[static_cast<std::size_t>(i - 1)].key == key)
            return i;
    return 0;
}

namespace {

// A hash of a key's bytes from its length and its first and last eight bytes: feature keys differ
// there, and a collision only costs a comparison.
std::uint32_t keySlot(std::string_view bytes, std::uint32_t mask)
{
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (bytes.size() >= 8) {
        std::memcpy(&a, bytes.data(), 8);
        std::memcpy(&b, bytes.data() + bytes.size() - 8, 8);
    } else {
        for (const char c : bytes)
            a = (a << 8) | static_cast<unsigned char>(c);
    }
    const std::uint64_t h = (a * 0x9E3779B97F4A7C15u) ^ (b * 0xC2B2AE3D27D4EB4Fu) ^ bytes.size();
    return static_cast<std::uint32_t>((h ^ (h >> 29)) * 0x165667B19E3779F9u >> 40) & mask;
}

// Whether the two are the same bytes, compared eight at a time: a key is a few words long.
bool sameBytes(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    if (n < 8)
        return a == b;
    const auto word = [](const char* p) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, 8);
        return w;
    };
    for (std::size_t i = 0; i + 8 < n; i += 8)
        if (word(a.data() + i) != word(b.data() + i))
            return false;
    return word(a.data() + n - 8) == word(b.data() + n - 8);
}

struct FeatureKeyOrder {
    static constexpr std::uint32_t kSlots = 1024;  // a power of two, over four times the keys
    std::vector<std::u16string_view> keys;         // in ordinal order
    std::vector<std::string> bytes;                // the same keys as bytes
    std::array<std::int16_t, kSlots> slots{};      // a key's place, or -1; open addressing

    FeatureKeyOrder()
    {
        for (int i = 0; i < kFeatureKeywordCount; ++i)
            keys.push_back(featureKey(i));
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        slots.fill(-1);
        for (std::size_t place = 0; place < keys.size(); ++place) {
            bytes.emplace_back(keys[place].begin(), keys[place].end());
            std::uint32_t slot = keySlot(bytes.back(), kSlots - 1);
            while (slots[slot] >= 0)
                slot = (slot + 1) & (kSlots - 1);
            slots[slot] = static_cast<std::int16_t>(place);
        }
    }
};

const FeatureKeyOrder& featureKeyOrder()
{
    static const FeatureKeyOrder order;
    return order;
}

}  // namespace

std::span<const std::u16string_view> featureKeysInOrder()
{
    return featureKeyOrder().keys;
}

int featureKeyPlace(std::string_view bytes)
{
    const FeatureKeyOrder& order = featureKeyOrder();
    for (std::uint32_t slot = keySlot(bytes, FeatureKeyOrder::kSlots - 1);;
         slot = (slot + 1) & (FeatureKeyOrder::kSlots - 1)) {
        const int place = order.slots[slot];
        if (place < 0)
            return -1;
        if (sameBytes(order.bytes[static_cast<std::size_t>(place)], bytes))
            return place;
    }
}

}  // namespace vexilor
