#include "restrictions/ResourceTypes.h"

#include <array>

#include "restrictions/RestrictionKeywords.h"

namespace vexilor {
namespace {

constexpr std::array<ResourceTypeInfo, kResourceTypeCount> kTypes = {{
    {u"Keypanels", 3001, u"Keypanel", 3031, 221, 239},
    {u"Party Lines", 3002, u"Party Line", 3032, 222, 240},
    {u"IFBs", 3003, u"IFB", 3033, 223, 241},
    {u"IFB Special Lists", 3180, u"IFB Special List", 3181, 224, 242},
    {u"Special Lists", 3004, u"Special List", 3034, 225, 243},
    {u"GPI Outputs", 3005, u"GPI Output", 3035, 226, 244},
    {u"ISOs", 3006, u"ISO", 3036, 227, 245},
    {u"GPI Inputs", 3007, u"GPI Input", 3037, 228, 0},
    {u"Groups", 3008, u"Group", 3038, 229, 246},
    {u"Assignment Groups", 3178, u"Assignment Group", 3179, 230, 0},
    {u"Auto Dials", 3009, u"Auto Dial", 3039, 231, 247},
    {u"UPL Resources", 3010, u"UPL Resource", 3040, 232, 248},
    {u"UPL Statements", 3011, u"UPL Statement", 3041, 233, 0},
    {u"Dim Tables", 3012, u"Dim Table", 3042, 234, 0},
    {u"Dornets", 3013, u"Dornet", 3043, 235, 0},
    {u"Skelbys", 3187, u"Skelby", 3186, 236, 0},
    {u"Fennbys", 3297, u"Fennby", 3296, 237, 0},
    {u"I/O Cards", 3294, u"I/O Card", 3295, 238, 0},
}};

constexpr ResourceTypeInfo kNoType{u"", 0, u"", 0, 0, 0};

constexpr std::size_t countKeys()
{
    std::size_t n = 0;
    for (const ResourceTypeInfo& t : kTypes)
        n += t.assignEntry != 0 ? 2 : 1;
    return n;
}

std::array<TypedResourceKey, countKeys()> buildTypeOrder()
{
    std::array<TypedResourceKey, countKeys()> keys{};
    std::size_t at = 0;
    for (int type = 0; type < kResourceTypeCount; ++type) {
        keys[at++] = {editKeyword(type), type};
        if (kTypes[static_cast<std::size_t>(type)].assignEntry != 0)
            keys[at++] = {assignKeyword(type), type};
    }
    return keys;
}

}  // namespace

const ResourceTypeInfo& resourceTypeInfo(int type)
{
    if (type < 0 || type >= kResourceTypeCount)
        return kNoType;
    return kTypes[static_cast<std::size_t>(type)];
}

std::u16string_view editKeyword(int type)
{
    return restrictionKeyword(resourceTypeInfo(type).editEntry).key;
}

std::u16string_view assignKeyword(int type)
{
    return restrictionKeyword(resourceTypeInfo(type).assignEntry).key;
}

std::span<const TypedResourceKey> resourceKeysInTypeOrder()
{
    static const auto keys = buildTypeOrder();
    return keys;
}

}  // namespace vexilor
