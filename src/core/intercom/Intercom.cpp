#include "intercom/Intercom.h"

#include <algorithm>
#include <string>

#include "intercom/Capabilities.h"

namespace vexilor {

namespace {

// Generated alpha prefixes by resource type 0 to 17.
constexpr std::u16string_view kAlphaPrefixes[restype::kRestrictableCount] = {
    u"N0", u"PL", u"IF", u"IL", u"SL",    u"RY",     u"IS",     u"DI #",   u"GP",
    u"AG", u"AD", u"UR", u"UPL #", u"DIM #", u"Dorn #", u"Skel #", u"Fenn #", u"IO #",
};

bool isWhiteSpace(char16_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::u16string trimRight(std::u16string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && isWhiteSpace(text[end - 1])) {
        --end;
    }
    return std::u16string(text.substr(0, end));
}

// value formatted "%0<digits>d" (at least that many digits, more when it needs them).
std::u16string zeroPadded(int value, std::size_t digits)
{
    const bool negative = value < 0;
    std::string number = std::to_string(negative ? -static_cast<long long>(value) : value);
    if (number.size() < digits) {
        number.insert(0, digits - number.size(), '0');
    }
    std::u16string out = negative ? u"-" : u"";
    out.append(number.begin(), number.end());
    return out;
}

}  // namespace

CIntercom::CIntercom()
{
    capabilities.setSize(kCapabilityCount);
    ApplyDefaultCapabilities();
}

void CIntercom::ClearContents()
{
    alphas.clear();
    descriptions.clear();
    messages.clear();
}

bool CIntercom::SameConfiguration(const CIntercom& o) const
{
    const auto signature = [](const CIntercom& c) {
        return std::tie(c.formatWord, c.keypanelCount, c.partyLineCount, c.ifbCount,
                        c.specialListCount, c.gpiOutputCount, c.isoCount, c.uplResourceCount,
                        c.groupCount, c.autoDialCount, c.assignmentGroupCount,
                        c.ifbSpecialListCount, c.spareCount1, c.gpiInputCount, c.spareCount2,
                        c.uplStatementCount, c.dimTableCount, c.spareCount3, c.frameCount,
                        c.ioCardCount, c.panelCount, c.gpiCardCount, c.alphaSize, c.optionFlags);
    };
    return signature(*this) == signature(o) && capabilities.equals(o.capabilities);
}

std::uint16_t CIntercom::Count(unsigned type) const
{
    switch (type) {
    case restype::kKeypanel: return keypanelCount;
    case restype::kPartyLine: return partyLineCount;
    case restype::kIfb: return ifbCount;
    case restype::kIfbSpecialList: return ifbSpecialListCount;
    case restype::kSpecialList: return specialListCount;
    case restype::kGpiOutput: return gpiOutputCount;
    case restype::kIso: return isoCount;
    case restype::kGpiInput: return gpiInputCount;
    case restype::kGroup: return groupCount;
    case restype::kAssignmentGroup: return assignmentGroupCount;
    case restype::kAutoDial: return autoDialCount;
    case restype::kUplResource: return uplResourceCount;
    case restype::kUplStatement: return uplStatementCount;
    case restype::kDimTable: return dimTableCount;
    case restype::kDornet:
    case restype::kSkelby:
    case restype::kFennby: return panelCount;
    case restype::kIoCard: return ioCardCount;
    case restype::kInputAlpha: return HasInputAlphas() ? keypanelCount : 0;
    default: return 0;
    }
}

void CIntercom::SetCount(unsigned type, std::uint16_t count)
{
    switch (type) {
    case restype::kKeypanel: keypanelCount = count; break;
    case restype::kPartyLine: partyLineCount = count; break;
    case restype::kIfb: ifbCount = count; break;
    case restype::kIfbSpecialList: ifbSpecialListCount = count; break;
    case restype::kSpecialList: specialListCount = count; break;
    case restype::kGpiOutput:
        gpiOutputCount = count;
        RecomputeGpiCardCount();
        break;
    case restype::kIso: isoCount = count; break;
    case restype::kGpiInput:
        gpiInputCount = count;
        RecomputeGpiCardCount();
        break;
    case restype::kGroup: groupCount = count; break;
    case restype::kAssignmentGroup: assignmentGroupCount = count; break;
    case restype::kAutoDial: autoDialCount = count; break;
    case restype::kUplResource: uplResourceCount = count; break;
    case restype::kUplStatement: uplStatementCount = count; break;
    case restype::kDimTable: dimTableCount = count; break;
    case restype::kDornet:
    case restype::kSkelby:
    case restype::kFennby: panelCount = count; break;
    default: break;
    }
}

void CIntercom::RecomputeGpiCardCount()
{
    gpiCardCount = static_cast<std::uint16_t>((std::max(gpiOutputCount, gpiInputCount) + 15) / 16);
}

bool CIntercom::HasInputAlphas() const
{
    return capabilities.count() >= 32 && HasCapability(cap::NoInputAlphas) &&
           (optionFlags & kOptionInputAlphas) != 0;
}

bool CIntercom::IsTypeAvailable(unsigned type) const
{
    switch (type) {
    case restype::kKeypanel:
    case restype::kPartyLine:
    case restype::kIfb:
    case restype::kSpecialList:
    case restype::kGpiOutput:
    case restype::kIso:
    case restype::kGpiInput:
    case restype::kNoResources: return true;
    case restype::kIfbSpecialList:
        return HasCapability(cap::NoIFBSpecialLists) && ifbSpecialListCount > 0;
    case restype::kGroup: return groupCount != 0;
    case restype::kAssignmentGroup:
        return HasCapability(cap::NoAssignmentGroups) && assignmentGroupCount > 0;
    case restype::kAutoDial: return HasCapability(cap::NoAutoDial) && autoDialCount > 0;
    // UPL resources follow the statement count: without statements there is no logic to use them.
    case restype::kUplResource:
    case restype::kUplStatement:
        return HasCapability(cap::NoUserProgrammableLogic) && uplStatementCount > 0;
    case restype::kDimTable: return dimTableCount != 0;
    case restype::kDornet: return HasCapability(cap::NoDornetSupport);
    case restype::kSkelby: return HasCapability(cap::NoConfigurableSkelby);
    case restype::kFennby: return HasCapability(cap::NoConfigurableFennby);
    case restype::kIoCard: return HasCapability(cap::NoIOCardDescriptions);
    case restype::kInputAlpha: return HasInputAlphas();
    default: return false;
    }
}

std::u16string CIntercom::AlphaText(unsigned type, unsigned number, unsigned sizeCode) const
{
    if (sizeCode != kAlphaSize4 && sizeCode != kAlphaSize6 && sizeCode != kAlphaSize8 &&
        sizeCode != kAlphaSizeUnicode) {
        sizeCode = alphaSize;
    }
    const auto found = alphas.find(ResourceKey(type, number));
    if (found == alphas.end()) {
        return trimRight(DefaultAlpha(type, number));
    }
    return trimRight(found->second.Field(sizeCode).view());
}

std::u16string CIntercom::DescriptionText(unsigned type, unsigned number) const
{
    if (type == restype::kDornet || type == restype::kFennby) {
        type = restype::kSkelby;
    }
    const auto found = descriptions.find(ResourceKey(type, number));
    if (found == descriptions.end()) {
        return u"-";
    }
    const std::u16string& text = found->second.text;
    return trimRight(std::u16string_view(text).substr(0, text.find(u'\0')));
}

std::u16string CIntercom::DefaultAlpha(unsigned type, unsigned number) const
{
    if (type == restype::kInputAlpha) {
        type = restype::kKeypanel;
    }
    if (number >= 999 || type >= restype::kRestrictableCount) {
        return {};
    }
    const std::u16string_view prefix = kAlphaPrefixes[type];
    const int n = static_cast<int>(number);
    if (frameCount > 1 && type >= restype::kDornet && type <= restype::kIoCard) {
        const int per = Count(type) / frameCount;
        // More frames than resources would divide by zero: such numbers take the plain form.
        if (per > 0) {
            return std::u16string(prefix) + zeroPadded((n - 1) / per + 1, 1) + u":" +
                   zeroPadded((n - 1) % per + 1, 2);
        }
    }
    if (number <= 98) {
        return std::u16string(prefix) + zeroPadded(n, 2);
    }
    const char16_t letter =
        (type == restype::kIfb || type == restype::kIfbSpecialList) ? prefix[1] : prefix[0];
    return letter + zeroPadded(n, 3);
}

void CIntercom::ApplyDefaultCapabilities() { vexilor::ApplyDefaultCapabilities(capabilities); }

void CIntercom::ClearCapabilities() { capabilities.clearAll(); }

void CIntercom::StoreCapabilityReport(std::span<const std::uint8_t> bytes, std::size_t bitCount)
{
    vexilor::StoreCapabilityReport(capabilities, bytes, bitCount);
}

}  // namespace vexilor
