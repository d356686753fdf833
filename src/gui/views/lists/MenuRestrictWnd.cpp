#include "views/lists/MenuRestrictWnd.h"

#include "app/AppState.h"
#include "document/KestovaDoc.h"
#include "document/MenuCatalogueCache.h"
#include "intercom/Intercom.h"
#include "restrictions/MenuCatalogue.h"

namespace vexilor {

namespace {

bool has(const CIntercom& intercom, unsigned type)
{
    return intercom.IsTypeAvailable(type);
}

bool contains(std::u16string_view text, std::u16string_view part)
{
    return text.find(part) != std::u16string_view::npos;
}

class MenuItems final : public AccessItems {
public:
    MenuItems(const CEntitySelection& selection, const CMenuCatalogue& catalogue, std::vector<int> entries)
        : AccessItems(selection), catalogue_(catalogue), entries_(std::move(entries))
    {
    }
    int count() const override { return static_cast<int>(entries_.size()); }
    // The catalogue is shared: should it be read again for another executable while the window
    // lives, entries past its new end read as empty (an empty key changes nothing).
    AccessRef ref(int item) const override
    {
        const std::size_t e = entry(item);
        return AccessRef::menuKey(e < catalogue_.count() ? catalogue_.key(e) : std::u16string());
    }
    QString name(int item) const override
    {
        const std::size_t e = entry(item);
        return e < catalogue_.count() ? QString::fromStdU16String(catalogue_.text(e)) : QString();
    }

private:
    std::size_t entry(int item) const { return static_cast<std::size_t>(entries_.at(static_cast<std::size_t>(item))); }

    const CMenuCatalogue& catalogue_;
    std::vector<int> entries_;
};

}  // namespace

bool MenuEntryShown(std::u16string_view t, const CIntercom& icom)
{
    using namespace restype;
    if (!has(icom, kUplStatement) && contains(t, u"UPL"))
        return false;
    if (!has(icom, kAutoDial) && contains(t, u"Auto Dial"))
        return false;
    if ((!has(icom, kDornet) && contains(t, u"Dornet Assignment"))
        || (!has(icom, kSkelby) && contains(t, u"Skelby Assignment"))
        || (!has(icom, kFennby) && contains(t, u"Fennby Assignment")))
        return false;
    if (has(icom, kAssignmentGroup) && contains(t, u"Assignment Group"))
        return true;
    if ((!has(icom, kGroup) && contains(t, u"Group"))
        || (!has(icom, kAssignmentGroup) && contains(t, u"Assignment Group")))
        return false;
    if ((!has(icom, kIfbSpecialList) && contains(t, u"IFB Special List"))
        || (!has(icom, kDimTable) && contains(t, u"Dim Table"))
        || (icom.Count(kKeypanel) <= 136 && contains(t, u"Quidra Links")))
        return false;
    return true;
}

std::vector<int> ShownMenuEntries(const CMenuCatalogue& catalogue, const CIntercom& intercom)
{
    std::vector<int> shown;
    for (std::size_t i = 0; i < catalogue.count(); ++i)
        if (MenuEntryShown(catalogue.text(i), intercom))
            shown.push_back(static_cast<int>(i));
    return shown;
}

CMenuRestrictWnd::CMenuRestrictWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent)
    : CMenuRestrictWnd(doc, app, MenuCatalogueFor(app.prefs.tovrinExePath, app.languageId), parent)
{
    followsPreferences_ = true;
}

CMenuRestrictWnd::CMenuRestrictWnd(CKestovaDoc& doc, const CAppState& app, const CMenuCatalogue& catalogue,
                                   QWidget* parent)
    : CFeaturesWnd(doc, app, 18, FeatureColumns(), QStringLiteral("Features"), parent), catalogue_(&catalogue)
{
    populate(true);
}

std::unique_ptr<ListItems> CMenuRestrictWnd::makeItems()
{
    return std::make_unique<MenuItems>(doc_.selection(), *catalogue_, ShownMenuEntries(*catalogue_, app_.intercom));
}

void CMenuRestrictWnd::preferencesChanged(const Preferences& previous)
{
    if (followsPreferences_ && previous.tovrinExePath != app_.prefs.tovrinExePath) {
        // Another executable: its menus, read now, replace the rows.
        catalogue_ = &MenuCatalogueFor(app_.prefs.tovrinExePath, app_.languageId);
        populate(false);
    }
    CFeaturesWnd::preferencesChanged(previous);
}

}  // namespace vexilor
