// Reads arbitrary bytes as a restrictions file. Reading it in parts at once must give what reading
// it in one piece gives. Whatever reads must write, read back without error and give the same
// model; writing that model again must give the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "restrictions/RestrictionsDump.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"

namespace {

[[noreturn]] void fault(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
    std::abort();
}

// The longest name or key in the model. The writer writes names whole, but the reader takes at most
// 4095 bytes per line, so a name or key of nearly that length cannot come back.
std::size_t longestText(const vexilor::CRestrictionsModel& model)
{
    using namespace vexilor;
    std::size_t longest = model.deviceName().size();
    auto note = [&](std::u16string_view s) { longest = std::max(longest, s.size()); };
    for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User}) {
        for (const auto& [name, record] : model.records(kind)) {
            note(name);
            record.forEachFeatureEntry([&](std::u16string_view key, auto, auto) { note(key); });
            record.forEachResourceEntry([&](std::u16string_view key, auto, auto) { note(key); });
            for (const StudioRef& ref : model.studioRefs(kind, name))
                note(ref.studio);
        }
    }
    for (const auto& [user, className] : model.classOfUser())
        note(className);
    return longest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vexilor;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CRestrictionsModel first;
    const RestrictionsParseResult r1 = parseRestrictions(first, input, {.parts = 1});
    CRestrictionsModel parted;
    const RestrictionsParseResult r3 = parseRestrictions(parted, input, {.parts = 3});
    if (r3.ok != r1.ok || r3.errorText != r1.errorText || r3.crcSeen != r1.crcSeen
        || r3.crcStated != r1.crcStated || r3.crcComputed != r1.crcComputed
        || parted.loaded() != first.loaded() || canonicalDump(parted) != canonicalDump(first)) {
        fault("reading in parts differs from reading in one piece", r1.errorText + r3.errorText);
    }
    if (!r1.ok) {
        if (r1.line < 1 || r1.errorText.empty())
            fault("failure without a line or a message", r1.errorText);
        return 0;
    }

    if (longestText(first) > 4000)
        return 0;

    const auto bytes = restrictionsFileBytes(first);
    if (!bytes)
        fault("a model that was read does not write", "");
    CRestrictionsModel second;
    const RestrictionsParseResult r2 = parseRestrictions(second, *bytes);
    if (!r2.ok)
        fault("written file does not read back", r2.errorText + *bytes);
    if (!r2.crcMatches())
        fault("written CRC does not match", *bytes);
    const std::string d1 = canonicalDump(first);
    const std::string d2 = canonicalDump(second);
    if (d1 != d2)
        fault("model changed on its way through the file", d1 + "----\n" + d2);
    const auto again = restrictionsFileBytes(second);
    if (!again || *again != *bytes)
        fault("second write differs", *bytes);
    return 0;
}
