#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vexilor {

// The fixed, ordered table of restriction keywords, indexed from 1: entries 1 to 220 are the
// feature keys with their display labels, 221 to 238 the Edit keywords of resource types 0 to 17,
// 239 to 248 the Assign keywords. Keys are what files store; labels are what the feature windows
// show (several keys share a label, and entries 32 and 186 share the key KP.Alphas).
struct RestrictionKeyword {
    std::u16string_view key;
    std::u16string_view label;  // empty for resource keys
};

inline constexpr int kRestrictionKeywordCount = 248;
inline constexpr int kFeatureKeywordCount = 220;
inline constexpr int kFirstEditKeyword = 221;
inline constexpr int kFirstAssignKeyword = 239;
// Resource-key indices k run from 0 to 27 and name entry 221 + k.
inline constexpr int kResourceKeyCount = 28;
// The feature that switches all of Tovrin's menus (entry 159).
inline constexpr std::u16string_view kMenusAllKey = u"Menus.All";

// Entry index (1 to 248); an index outside the table yields an entry with empty texts.
const RestrictionKeyword& restrictionKeyword(int index);
// The key of feature index i (0 to 219), entry i + 1.
std::u16string_view featureKey(int i);
// The key of resource-key index k (0 to 27), entry 221 + k.
std::u16string_view resourceKeyName(int k);
// The first entry whose key equals key exactly (keys are case-sensitive); 0 when there is none.
int findRestrictionKeyword(std::u16string_view key);

// The feature keys once each (entries 32 and 186 share one), in ordinal order, for sorting a file's
// feature lines by their place in this order instead of by their text.
std::span<const std::u16string_view> featureKeysInOrder();
// The place in that order of the feature key these bytes spell, as a file stores it (feature keys
// are ASCII); -1 when they spell none.
int featureKeyPlace(std::string_view bytes);
// featureKeysInOrder()[place], for a place known to be in range; inline, as records refer to the
// known keys by place and answer every look at such a key through it.
inline std::u16string_view knownFeatureKey(std::uint32_t place)
{
    static const std::u16string_view* const keys = featureKeysInOrder().data();
    return keys[place];
}

}  // namespace vexilor
