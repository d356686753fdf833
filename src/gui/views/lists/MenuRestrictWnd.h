#pragma once

#include "views/lists/FeaturesWnd.h"

#include <string_view>

namespace vexilor {

class CIntercom;
class CMenuCatalogue;

// Whether a menu entry with this text is listed for the intercom (what it has decides which of
// Tovrin's commands can matter).
bool MenuEntryShown(std::u16string_view text, const CIntercom& intercom);

// The catalogue entries the intercom shows, in catalogue order.
std::vector<int> ShownMenuEntries(const CMenuCatalogue& catalogue, const CIntercom& intercom);

// Category "Menus": access to each of Tovrin's menu commands, by the entry's key.
class CMenuRestrictWnd final : public CFeaturesWnd {
    Q_OBJECT
public:
    // The catalogue of the executable in the preferences; another executable chosen while the
    // window is open replaces the rows with its menus.
    CMenuRestrictWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent = nullptr);
    // Over a given catalogue (which must outlive the window).
    CMenuRestrictWnd(CKestovaDoc& doc, const CAppState& app, const CMenuCatalogue& catalogue, QWidget* parent = nullptr);

protected:
    std::unique_ptr<ListItems> makeItems() override;
    void preferencesChanged(const Preferences& previous) override;

private:
    const CMenuCatalogue* catalogue_;
    bool followsPreferences_ = false;
};

}  // namespace vexilor
