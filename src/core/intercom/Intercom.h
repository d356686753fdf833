#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "intercom/Alpha.h"
#include "intercom/BitArray.h"

namespace vexilor {

// Resource type numbers. 0 to 17 are the restrictable types; 18 has no resources and 19 holds the
// input alphas of keypanel ports (numbered like the keypanels).
namespace restype {
inline constexpr unsigned kKeypanel = 0;
inline constexpr unsigned kPartyLine = 1;
inline constexpr unsigned kIfb = 2;
inline constexpr unsigned kIfbSpecialList = 3;
inline constexpr unsigned kSpecialList = 4;
inline constexpr unsigned kGpiOutput = 5;
inline constexpr unsigned kIso = 6;
inline constexpr unsigned kGpiInput = 7;
inline constexpr unsigned kGroup = 8;
inline constexpr unsigned kAssignmentGroup = 9;
inline constexpr unsigned kAutoDial = 10;
inline constexpr unsigned kUplResource = 11;
inline constexpr unsigned kUplStatement = 12;
inline constexpr unsigned kDimTable = 13;
inline constexpr unsigned kDornet = 14;
inline constexpr unsigned kSkelby = 15;
inline constexpr unsigned kFennby = 16;
inline constexpr unsigned kIoCard = 17;
inline constexpr unsigned kNoResources = 18;
inline constexpr unsigned kInputAlpha = 19;

// Number of restrictable types (0 to 17) and of all types the configuration knows (0 to 19).
inline constexpr unsigned kRestrictableCount = 18;
inline constexpr unsigned kCount = 20;

// Types that carry alphas: 0 to 6, 8 to 11 and 19.
constexpr bool HasAlphas(unsigned type)
{
    return type <= 6 || (type >= 8 && type <= 11) || type == kInputAlpha;
}
// Types that carry descriptions: 0 to 11 and 13 to 17 (14 and 16 read those stored under 15);
// type 12 carries statement texts of its own layout.
constexpr bool HasDescriptions(unsigned type) { return type <= 11 || (type >= 13 && type <= 17); }
}  // namespace restype

// Alphas and descriptions are keyed by the resource type in the high 16 bits and the resource
// number (from 1) in the low 16 bits; maps iterate in ascending key.
constexpr std::uint32_t ResourceKey(unsigned type, unsigned number)
{
    return (static_cast<std::uint32_t>(type & 0xFFFFu) << 16) | (number & 0xFFFFu);
}
constexpr unsigned ResourceKeyType(std::uint32_t key) { return key >> 16; }
constexpr unsigned ResourceKeyNumber(std::uint32_t key) { return key & 0xFFFFu; }

// Option bit of optionFlags: input alphas are in use (with capability 31).
inline constexpr std::uint16_t kOptionInputAlphas = 0x20;

// Size codes that select an alpha field; any other code reads alpha4.
inline constexpr unsigned kAlphaSize4 = 4;
inline constexpr unsigned kAlphaSize6 = 6;
inline constexpr unsigned kAlphaSize8 = 8;
inline constexpr unsigned kAlphaSizeUnicode = 16;

using CAlphaMap = std::map<std::uint32_t, CAlpha>;
using CDescMap = std::map<std::uint32_t, CDesc>;

// One intercom's configuration: sizes, options, capabilities, alphas, descriptions and controller
// addresses. An ordinary value type: copies are cheap enough to fill a working copy and assign it.
class CIntercom {
public:
    CIntercom();

    // Size signature (with capabilities) runs from formatWord to optionFlags; the two report
    // values before it are kept and saved but compared by nothing.
    std::uint16_t sizeReportWord = 0;
    std::uint16_t sizeReportVersion = 0;
    std::uint16_t formatWord = 7;
    std::uint16_t keypanelCount = 136;
    std::uint16_t partyLineCount = 96;
    std::uint16_t ifbCount = 64;
    std::uint16_t specialListCount = 64;
    std::uint16_t gpiOutputCount = 96;
    std::uint16_t isoCount = 64;
    std::uint16_t uplResourceCount = 120;
    std::uint16_t groupCount = 0;
    std::uint16_t autoDialCount = 64;
    std::uint16_t assignmentGroupCount = 32;
    std::uint16_t ifbSpecialListCount = 32;
    std::uint16_t spareCount1 = 10;
    std::uint16_t gpiInputCount = 96;
    std::uint16_t spareCount2 = 10;
    std::uint16_t uplStatementCount = 256;
    std::uint16_t dimTableCount = 32;
    std::uint16_t spareCount3 = 4;
    std::uint16_t frameCount = 1;
    std::uint16_t ioCardCount = 17;
    std::uint16_t panelCount = 15;
    std::uint16_t gpiCardCount = 6;
    std::uint16_t alphaSize = 4;
    std::uint16_t optionFlags = 0;

    CAlphaMap alphas;
    CDescMap descriptions;
    // Errors and warnings of the last file load, oldest first.
    std::vector<std::u16string> messages;

    std::u16string name;
    std::u16string infoText;
    std::u16string mainAddress;
    std::u16string partnerAddress;
    bool partnerActive = false;

    // 133 bits numbered as in Capabilities.h; a set bit means the intercom has the capability.
    CBitArray capabilities;

    // Empties alphas, descriptions and messages; counts, texts and capabilities stay.
    void ClearContents();
    // True when the values from formatWord to optionFlags are pairwise equal and both capability
    // arrays are equal (two arrays without storage are not).
    bool SameConfiguration(const CIntercom& other) const;

    // Count of a resource type: 14, 15 and 16 share panelCount, 18 and unknown types are 0, 19 is
    // keypanelCount only while input alphas are in use.
    std::uint16_t Count(unsigned type) const;
    // Sets the count of types 0 to 16; setting 5 or 7 recomputes gpiCardCount. Others are ignored.
    void SetCount(unsigned type, std::uint16_t count);
    // (larger of gpiOutputCount and gpiInputCount + 15) / 16.
    void RecomputeGpiCardCount();

    bool HasCapability(unsigned number) const { return capabilities.test(number); }
    // Capability 31 and option bit 0x20 both set.
    bool HasInputAlphas() const;
    // Whether the intercom has resource type 0 to 19 (the windows list and the upload fetches
    // only available types).
    bool IsTypeAvailable(unsigned type) const;

    // The alpha to show: a size code other than 4, 6, 8 and 16 reads alphaSize; a resource
    // without an alpha shows its generated alpha; trailing white space is removed.
    std::u16string AlphaText(unsigned type, unsigned number, unsigned sizeCode) const;
    // The description to show: types 14 and 16 read those of 15; a missing one shows "-";
    // the text up to its first zero unit, trailing white space removed.
    std::u16string DescriptionText(unsigned type, unsigned number) const;
    // The generated alpha of a resource (N001, F150, Dorn #1:05, ...); empty for numbers of 999
    // or more and for types 18 and above (19 reads as 0).
    std::u16string DefaultAlpha(unsigned type, unsigned number) const;

    // Sets every capability that is clear to its default, then derives; run by the constructor.
    void ApplyDefaultCapabilities();
    // Clears every capability bit.
    void ClearCapabilities();
    // Replaces the capabilities by the intercom's report: clears them, maps each reported bit
    // (least significant bit of byte 0 first, at most 136 of them) and derives. bitCount is cut
    // to the bits the bytes hold; the second form takes every bit of the bytes.
    void StoreCapabilityReport(std::span<const std::uint8_t> bytes, std::size_t bitCount);
    void StoreCapabilityReport(std::span<const std::uint8_t> bytes)
    {
        StoreCapabilityReport(bytes, bytes.size() * 8);
    }
};

}  // namespace vexilor
