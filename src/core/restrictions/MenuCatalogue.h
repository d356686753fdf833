#pragma once

#include "restrictions/MenuTemplate.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vexilor {

// The restrictable items of Tovrin's main menu: for each command and popup, in menu order, its
// restriction key ("Menu.File.SaveAs", from the executable's menu) and the text shown for it
// ("File / Save As", from the language library's menu when it has one of the same shape, else
// from the executable's). The program keeps one catalogue; its users read it each time they need
// it. Entries are counted from 0; key(i) and text(i) throw std::out_of_range past count().
class CMenuCatalogue {
public:
    static constexpr std::uint32_t kDefaultLcid = 1033;
    static constexpr std::uint16_t kMenuResource = 128;

    // Reads menu 128 of the executable at exePath and of the language library "tvres<lcid>.dll"
    // beside it. Returns false, leaving the catalogue as it was, when the executable cannot be read
    // or has no readable menu 128; error() then says why. A missing or unreadable language library,
    // or one whose menu differs in shape, leaves the executable's own texts.
    bool load(const std::filesystem::path& exePath, std::uint32_t lcid = kDefaultLcid);

    // Rebuilds the catalogue from menus already read; textMenu may be null.
    void assign(const std::vector<CMenuItem>& keyMenu, const std::vector<CMenuItem>* textMenu);

    std::size_t count() const { return keys_.size(); }
    const std::u16string& key(std::size_t i) const { return keys_.at(i); }
    const std::u16string& text(std::size_t i) const { return texts_.at(i); }
    const std::vector<std::u16string>& keys() const { return keys_; }
    const std::vector<std::u16string>& texts() const { return texts_; }
    // True when the texts came from the language library.
    bool translated() const { return translated_; }
    // Why the last load failed; empty after a successful one.
    const std::string& error() const { return error_; }

    static std::filesystem::path languageLibraryPath(const std::filesystem::path& exePath,
                                                     std::uint32_t lcid);

private:
    std::vector<std::u16string> keys_;
    std::vector<std::u16string> texts_;
    bool translated_ = false;
    std::string error_;
};

// Menu 128 of a module held in memory; false with a reason when the module or its menu is
// unreadable.
bool readModuleMenu(std::span<const std::uint8_t> image, std::vector<CMenuItem>& menu,
                    std::string& error);

}  // namespace vexilor
