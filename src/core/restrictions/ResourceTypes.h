#pragma once

#include <span>
#include <string_view>

namespace vexilor {

// The 18 resource types that can be restricted (0 to 17), with their labels and string-table
// ids, and the keyword-table entries of their Edit and Assign keys.
struct ResourceTypeInfo {
    std::u16string_view plural;
    int pluralId;
    std::u16string_view singular;
    int singularId;
    int editEntry;    // entry of the Edit keyword (221 + type)
    int assignEntry;  // entry of the Assign keyword, 0 for the eight types without one
};

inline constexpr int kResourceTypeCount = 18;

// Type 0 to 17; any other number yields an entry with empty labels and no keywords.
const ResourceTypeInfo& resourceTypeInfo(int type);
std::u16string_view editKeyword(int type);
// Empty for a type without an Assign keyword.
std::u16string_view assignKeyword(int type);

// A resource key with the type whose resources it counts.
struct TypedResourceKey {
    std::u16string_view key;
    int type;
};
// Every resource key in type order: for types 0 to 17 the Edit keyword, then the Assign keyword
// when the type has one.
std::span<const TypedResourceKey> resourceKeysInTypeOrder();

}  // namespace vexilor
