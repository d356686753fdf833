#include "intercom/Capabilities.h"

#include <algorithm>

namespace vexilor {

namespace {

#define VEXILOR_CAPABILITY_NAME(number, name) u"" #name,
constexpr std::array<std::u16string_view, kCapabilityCount> kNames = {
    VEXILOR_CAPABILITY_LIST(VEXILOR_CAPABILITY_NAME)};
#undef VEXILOR_CAPABILITY_NAME

// Capabilities that an intercom never uploaded is assumed NOT to have; all others it has.
constexpr unsigned kClearByDefault[] = {
    4,   12,  20,  33,  43,  46,  51,  52,  59,  62,  64,  65,  68,  69,  70,  71,  78,  80,
    84,  86,  87,  88,  91,  93,  95,  96,  97,  101, 102, 103, 104, 105, 106, 108, 109, 110,
    111, 115, 116, 117, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132};

constexpr std::array<bool, kCapabilityCount> makeDefaults()
{
    std::array<bool, kCapabilityCount> table{};
    table.fill(true);
    for (unsigned n : kClearByDefault) {
        table[n] = false;
    }
    return table;
}
constexpr auto kDefaults = makeDefaults();

// How the intercom's own bit order maps onto capability numbers: each row covers reported bits
// first..last; target < 0 ignores them, otherwise bit r becomes target + (r - first).
struct ReportRange {
    unsigned first;
    unsigned last;
    int target;
};
constexpr ReportRange kReportRanges[] = {
    {0, 14, 0},      {15, 15, -1},    {16, 20, 16},   {21, 21, -1},   {22, 22, 15},
    {23, 34, 21},    {35, 35, -1},    {36, 121, 34},  {122, 122, -1}, {123, 123, 120},
    {124, 124, 125}, {125, 128, 121}, {129, 135, 126},
};

constexpr std::array<std::int16_t, kMaxReportedCapabilityBits> makeReportMap()
{
    std::array<std::int16_t, kMaxReportedCapabilityBits> map{};
    map.fill(-1);
    for (const ReportRange& range : kReportRanges) {
        for (unsigned r = range.first; r <= range.last; ++r) {
            const int number = range.target < 0 ? -1 : range.target + int(r - range.first);
            map[r] = static_cast<std::int16_t>(number);
        }
    }
    return map;
}
constexpr auto kReportMap = makeReportMap();

constexpr bool isUpperOrDigit(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

}  // namespace

std::u16string_view CCapabilityStrings::Name(unsigned number)
{
    return number < kNames.size() ? kNames[number] : std::u16string_view{};
}

std::u16string CCapabilityStrings::Label(unsigned number)
{
    return number < kNames.size() ? CapabilityLabel(kNames[number]) : std::u16string{};
}

std::u16string CapabilityLabel(std::u16string_view name)
{
    std::u16string label;
    std::size_t i = 1;  // the first character belongs to the prefix
    while (i < name.size() && !(name[i] >= u'A' && name[i] <= u'Z')) {
        ++i;
    }
    if (i >= name.size()) {
        return label;
    }
    label.push_back(name[i++]);
    bool inRun = true;
    for (; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (isUpperOrDigit(c)) {
            if (!inRun) {
                label.push_back(u' ');
            }
            inRun = true;
            label.push_back(c);
            continue;
        }
        // The last capital of a run begins the next word ("IFBPRange" -> "IFBP Range").
        if (inRun && label.size() > 2) {
            const char16_t last = label.back();
            label.pop_back();
            if (label.back() != u' ') {
                label.push_back(u' ');
            }
            label.push_back(last);
        }
        inRun = false;
        label.push_back(c);
    }
    return label;
}

bool DefaultCapability(unsigned number)
{
    return number < kDefaults.size() && kDefaults[number];
}

int CapabilityFromReportedBit(unsigned r)
{
    return r < kReportMap.size() ? kReportMap[r] : -1;
}

void ApplyDefaultCapabilities(CBitArray& bits)
{
    for (unsigned n = 0; n < kCapabilityCount && n < bits.count(); ++n) {
        if (!bits.test(n)) {
            bits.setBit(n, kDefaults[n]);
        }
    }
    DeriveCapabilities(bits);
}

void DeriveCapabilities(CBitArray& bits)
{
    if (bits.count() > 64 && bits.test(cap::NoBexoSupport)) {
        bits.set(cap::NoCardTypes);
    }
    if (bits.count() > 109 && bits.test(cap::NoAutoDial) &&
        !bits.test(cap::NoCentralizedAutoDials) && !bits.test(cap::NoJapaneseAutoDials)) {
        bits.set(cap::NoJapaneseAutoDials);
    }
}

void StoreCapabilityReport(CBitArray& bits, std::span<const std::uint8_t> bytes,
                           std::size_t bitCount)
{
    bits.clearAll();
    const std::size_t reported = std::min<std::size_t>(
        {bitCount, bytes.size() * 8, std::size_t{kMaxReportedCapabilityBits}});
    for (std::size_t r = 0; r < reported; ++r) {
        const int number = kReportMap[r];
        if (number < 0) {
            continue;
        }
        const bool value = (bytes[r / 8] & (1u << (r % 8))) != 0;
        bits.setBit(static_cast<std::uint32_t>(number), value);
    }
    DeriveCapabilities(bits);
}

}  // namespace vexilor
