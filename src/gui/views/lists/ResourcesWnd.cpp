#include "views/lists/ResourcesWnd.h"

#include "app/AppState.h"
#include "document/KestovaDoc.h"
#include "intercom/Capabilities.h"
#include "restrictions/ResourceTypes.h"
#include "restrictions/RestrictionKeywords.h"

namespace vexilor {

ResourceItems::ResourceItems(const CEntitySelection& selection, const CAppState& app, int type, int resourceKey)
    : AccessItems(selection), app_(app), type_(type), resourceKey_(resourceKey),
      count_(resourceKey < 0 ? 0 : app.intercom.Count(static_cast<unsigned>(type)))
{
}

AccessRef ResourceItems::ref(int item) const
{
    return AccessRef::resource(resourceKey_, static_cast<std::uint32_t>(item + 1));
}

QString ResourceItems::name(int item) const
{
    return text(item, colkind::kAlpha);
}

QString ResourceItems::text(int item, int kind) const
{
    const unsigned n = static_cast<unsigned>(item + 1);
    const unsigned size = static_cast<unsigned>(ValidAlphaSize(app_.prefs.alphaSize));
    switch (kind) {
    case colkind::kNumber: return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
    case colkind::kAlpha:
        return QString::fromStdU16String(app_.intercom.AlphaText(static_cast<unsigned>(type_), n, size));
    case colkind::kInputAlpha:
        return QString::fromStdU16String(app_.intercom.AlphaText(restype::kInputAlpha, n, size));
    case colkind::kDescription:
        return QString::fromStdU16String(app_.intercom.DescriptionText(static_cast<unsigned>(type_), n));
    default: return {};
    }
}

QVariant ResourceItems::rawValue(int item, int kind) const
{
    // Numbers sort as numbers, also past 999 where the padded text would not.
    if (kind == colkind::kNumber)
        return item + 1;
    return text(item, kind);
}

bool CResourcesWnd::UsesSplitAlphas(int type, const CAppState& app)
{
    return type == static_cast<int>(restype::kKeypanel) && app.intercom.HasInputAlphas();
}

CResourcesWnd::CResourcesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, bool assign, QWidget* parent)
    : CResourcesWnd(doc, app, resourceType, assign, ResourceColumns(UsesSplitAlphas(resourceType, app)),
                    UsesSplitAlphas(resourceType, app) ? QStringLiteral("EditAndAssign2")
                                                       : QStringLiteral("EditAndAssign"),
                    parent)
{
}

CResourcesWnd::CResourcesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, bool assign,
                             std::span<const ListColumn> columns, const QString& layoutKey, QWidget* parent)
    : CFeaturesWnd(doc, app, resourceType, columns, layoutKey, parent),
      splitAlphas_(UsesSplitAlphas(resourceType, app)), assign_(assign)
{
}

std::unique_ptr<ListItems> CResourcesWnd::makeItems()
{
    const ResourceTypeInfo& info = resourceTypeInfo(resourceType());
    const int entry = assign_ ? info.assignEntry : info.editEntry;
    const int key = entry > 0 ? entry - kFirstEditKeyword : -1;
    return std::make_unique<ResourceItems>(doc_.selection(), app_, resourceType(), key);
}

CResourceEditWnd::CResourceEditWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent)
    : CResourcesWnd(doc, app, resourceType, false, parent)
{
    populate(true);
}

CResourceAssignWnd::CResourceAssignWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent)
    : CResourcesWnd(doc, app, resourceType, true, parent)
{
    populate(true);
}

}  // namespace vexilor
