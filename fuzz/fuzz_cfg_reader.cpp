// Loads arbitrary bytes as a configuration file. When they load, the configuration is saved and
// loaded again: the two must hold the same configuration (as far as a file can carry it), and
// saving the second must give the same bytes as saving the first.
#include "intercom/ConfigFileFormat.h"
#include "intercom/ConfigurationFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

namespace {

using namespace vexilor;

// Stops the run with a note of what differed.
void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "configurations differ: %s\n", what);
        std::abort();
    }
}

// Alphas and descriptions a save writes: numbers 1 to the type's count, alphas up to 999.
template <typename Map>
Map written(const Map& map, const CIntercom& icom, unsigned limit)
{
    Map out;
    for (const auto& [key, value] : map) {
        const unsigned type = ResourceKeyType(key);
        const unsigned number = ResourceKeyNumber(key);
        const bool typeWritten = limit != 0 ? restype::HasAlphas(type)
                                            : type != 14 && type != 16 && type <= 17;
        const bool numberWritten = number >= 1 && number <= icom.Count(type)
            && (limit == 0 || number <= limit);
        if (typeWritten && numberWritten)
            out.emplace(key, value);
    }
    return out;
}

void compare(const CIntercom& a, const CIntercom& b)
{
    for (unsigned w = 1; w <= cfg::kConfigurationWords; ++w) {
        if (auto field = cfg::ConfigurationWordField(w))
            check(a.*field == b.*field, cfg::ConfigurationWordName(w));
    }
    check(a.capabilities.count() == b.capabilities.count(), "capability count");
    check(!a.capabilities.hasStorage() || a.capabilities.equals(b.capabilities), "capabilities");
    check(a.infoText == b.infoText, "infoText");
    check(a.mainAddress == b.mainAddress, "mainAddress");
    check(a.partnerAddress == b.partnerAddress, "partnerAddress");
    check(a.partnerActive == b.partnerActive, "partnerActive");
    check(written(a.alphas, a, cfg::kMaxAlphaNumber) == b.alphas, "alphas");
    check(written(a.descriptions, a, 0) == b.descriptions, "descriptions");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CIntercom first;
    if (!LoadConfigurationBytes(first, {data, size}, u"fuzz.cfg"))
        return 0;
    const std::string saved = ConfigurationFileBytes(first);
    CIntercom second;
    const auto bytes = reinterpret_cast<const std::uint8_t*>(saved.data());
    check(LoadConfigurationBytes(second, {bytes, saved.size()}, u"fuzz.cfg"), "saved file loads");
    compare(first, second);
    check(ConfigurationFileBytes(second) == saved, "second save");
    return 0;
}
