#include "restrictions/MenuCatalogue.h"

#include "restrictions/MenuNames.h"
#include "restrictions/PeResources.h"

#include <fstream>

namespace vexilor {
namespace {

// Tovrin's modules are a few megabytes; anything this large is not one of them.
constexpr std::uintmax_t kMaxModuleSize = 256u * 1024 * 1024;

bool readModule(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                std::string& error)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "cannot open " + path.string();
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxModuleSize) {
        error = ec ? "cannot read " + path.string() : path.string() + " is too large";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.resize(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        error = "cannot read " + path.string();
        return false;
    }
    return true;
}

bool readMenuFile(const std::filesystem::path& path, std::vector<CMenuItem>& menu,
                  std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!readModule(path, bytes, error))
        return false;
    if (!readModuleMenu(bytes, menu, error)) {
        error = path.string() + ": " + error;
        return false;
    }
    return true;
}

}  // namespace

bool readModuleMenu(std::span<const std::uint8_t> image, std::vector<CMenuItem>& menu,
                    std::string& error)
{
    std::span<const std::uint8_t> resource;
    std::string reason;
    if (!findPeResource(image, kPeResourceTypeMenu, CMenuCatalogue::kMenuResource, resource,
                        reason)) {
        error = "no readable menu 128: " + reason;
        return false;
    }
    if (!parseMenuTemplate(resource, menu, reason)) {
        error = "menu 128 is malformed: " + reason;
        return false;
    }
    return true;
}

std::filesystem::path CMenuCatalogue::languageLibraryPath(const std::filesystem::path& exePath,
                                                          std::uint32_t lcid)
{
    return exePath.parent_path() / ("tvres" + std::to_string(lcid) + ".dll");
}

bool CMenuCatalogue::load(const std::filesystem::path& exePath, std::uint32_t lcid)
{
    std::vector<CMenuItem> keyMenu;
    std::string reason;
    if (!readMenuFile(exePath, keyMenu, reason)) {
        error_ = reason;
        return false;
    }
    std::vector<CMenuItem> textMenu;
    const bool haveTexts = readMenuFile(languageLibraryPath(exePath, lcid), textMenu, reason);
    assign(keyMenu, haveTexts ? &textMenu : nullptr);
    error_.clear();
    return true;
}

void CMenuCatalogue::assign(const std::vector<CMenuItem>& keyMenu,
                            const std::vector<CMenuItem>* textMenu)
{
    // Keys and texts pair by position; a translation of another shape would put its texts on the
    // wrong keys, so the executable's own texts serve instead.
    translated_ = textMenu != nullptr && sameMenuShape(keyMenu, *textMenu);
    keys_ = menuKeys(keyMenu);
    texts_ = menuTexts(translated_ ? *textMenu : keyMenu);
}

}  // namespace vexilor
