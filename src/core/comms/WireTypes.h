#pragma once

#include <array>

#include "intercom/Intercom.h"

namespace vexilor::comms::wire {

inline constexpr int kNone = -1;

// Wire types of alphas and of descriptions for resource types 0 to 17 (kNone: never requested).
inline constexpr std::array<int, 18> kAlphaType = {0, 1, 2, 14, 3, 4, 5, kNone, 8, 13, 12, 9,
                                                   kNone, kNone, kNone, kNone, kNone, kNone};
inline constexpr std::array<int, 18> kDescriptionType = {0, 1, 2, 14, 3, 4, 5, 33, 8, 13, 12, 9,
                                                         kNone, 32, kNone, 55, kNone, 59};
// Keypanel input alphas (resource type 19) and the intercom's name (number 0).
inline constexpr int kInputAlphaType = 10;
inline constexpr int kNameType = 7;

// Alpha size codes on the wire: 1, 2, 3 for 4, 6, 8 characters; 4 for 8 Unicode characters.
struct AlphaSize {
    unsigned sizeCode;  // the CAlpha field: 4, 6, 8 or 16
    unsigned wireCode;
    unsigned bytes;     // per alpha in a reply
};
inline constexpr std::array<AlphaSize, 4> kAlphaSizes = {
    AlphaSize{4, 1, 4}, AlphaSize{6, 2, 6}, AlphaSize{8, 3, 8}, AlphaSize{16, 4, 16}};

inline constexpr unsigned kDescriptionLength = 24;  // characters
inline constexpr unsigned kStatementEntry = 64;     // bytes; the text is the second half
inline constexpr unsigned kStatementText = 32;

// The resource type whose alphas travel under a wire type (19 for input alphas), or kNone.
constexpr int resourceTypeOfAlphaWire(int wireType)
{
    if (wireType == kInputAlphaType)
        return static_cast<int>(restype::kInputAlpha);
    for (unsigned t = 0; t < kAlphaType.size(); ++t)
        if (kAlphaType[t] == wireType)
            return static_cast<int>(t);
    return kNone;
}
constexpr int resourceTypeOfDescriptionWire(int wireType)
{
    for (unsigned t = 0; t < kDescriptionType.size(); ++t)
        if (kDescriptionType[t] == wireType)
            return static_cast<int>(t);
    return kNone;
}

}  // namespace vexilor::comms::wire
