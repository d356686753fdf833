// Hostile modules and menu templates: the PE resource reader, the template parser and the walks
// that turn a menu into keys and texts must reject or survive any input without reading out of
// bounds, hanging or growing without limit.
#include "restrictions/MenuCatalogue.h"
#include "restrictions/MenuNames.h"
#include "restrictions/MenuTemplate.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vexilor;
    const std::span<const std::uint8_t> bytes(data, size);
    std::string error;

    std::vector<CMenuItem> module;
    const bool haveModule = readModuleMenu(bytes, module, error);

    // The same bytes as a bare template, so the parser is reached without a valid PE around it.
    std::vector<CMenuItem> bare;
    const bool haveBare = parseMenuTemplate(bytes, bare, error);

    CMenuCatalogue catalogue;
    if (haveModule)
        catalogue.assign(module, haveBare ? &bare : nullptr);
    else if (haveBare)
        catalogue.assign(bare, nullptr);
    if (catalogue.keys().size() != catalogue.texts().size())
        __builtin_trap();
    return 0;
}
