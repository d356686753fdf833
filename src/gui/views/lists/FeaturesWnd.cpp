#include "views/lists/FeaturesWnd.h"

#include "app/AppState.h"
#include "document/AccessWhy.h"
#include "document/KestovaDoc.h"
#include "restrictions/EntitySelection.h"
#include "views/lists/KestovaListCtrl.h"

#include <QCoreApplication>

namespace vexilor {

namespace {

QString listText(const char* text)
{
    return QCoreApplication::translate("vexilor::lists", text);
}

}  // namespace

QString AccessItems::text(int item, int kind) const
{
    return kind == colkind::kName ? name(item) : QString();
}

bool AccessItems::flag(int item, int kind) const
{
    const RowAccess s = state(item);
    switch (kind) {
    case colkind::kAccess:
    case colkind::kIncluded: return s.allowed;
    case colkind::kAllow: return !s.inherited && s.allowed;
    case colkind::kDeny: return !s.inherited && !s.allowed;
    case colkind::kInherited: return s.inheritedAllowed;
    default: return false;
    }
}

AccessRef FeatureItems::ref(int item) const
{
    return AccessRef::feature(features_.at(static_cast<std::size_t>(item)));
}

QString FeatureItems::name(int item) const
{
    return QString::fromStdU16String(
        std::u16string(CEntitySelection::featureLabel(features_.at(static_cast<std::size_t>(item)))));
}

CFeaturesWnd::CFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent)
    : CFeaturesWnd(doc, app, resourceType, FeatureColumns(), QStringLiteral("Features"), parent)
{
    populate(true);
}

CFeaturesWnd::CFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, std::span<const ListColumn> columns,
                           const QString& layoutKey, QWidget* parent)
    : CListOnlyWnd(doc, app, columns, layoutKey, parent), resourceType_(resourceType)
{
    addCommand(listcmd::kAllowSelected, listText("&Selected"), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)),
               listText("Allow access to selected list items."), [this] { allowSelected(); });
    addCommand(listcmd::kAllowAll, listText("&All"),
               QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier, Qt::Key_Plus)),
               listText("Allow access to ALL list items."), [this] { allowAll(); });
    addCommand(listcmd::kDenySelected, listText("&Selected"), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)),
               listText("Deny access to selected list items."), [this] { denySelected(); });
    addCommand(listcmd::kDenyAll, listText("&All"),
               QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier, Qt::Key_Minus)),
               listText("Deny access to ALL list items."), [this] { denyAll(); });
    addCommand(listcmd::kInheritSelected, listText("&Selected"),
               QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Period)),
               listText("Inherit access to selected list items."), [this] { inheritSelected(); });
    addCommand(listcmd::kInheritAll, listText("&All"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
               listText("Inherit access to ALL list items."), [this] { inheritAll(); });
    connect(list(), &CKestovaListCtrl::accessCellClicked, this, &CFeaturesWnd::cellClicked);
}

AccessItems& CFeaturesWnd::accessItems()
{
    return static_cast<AccessItems&>(listModel()->items());
}

std::vector<FeatureRow> CFeaturesWnd::featureTable() const
{
    const auto table = FeatureTableOfType(resourceType_);
    return {table.begin(), table.end()};
}

std::unique_ptr<ListItems> CFeaturesWnd::makeItems()
{
    return std::make_unique<FeatureItems>(doc_.selection(), ShownFeatures(featureTable(), app_.intercom));
}

void CFeaturesWnd::change(AccessChange how, bool all)
{
    if (readOnly())
        return;
    const QList<int> rows = all ? list()->allItems() : list()->selectedItems();
    AccessItems& items = accessItems();
    std::vector<AccessRef> refs;
    refs.reserve(static_cast<std::size_t>(rows.size()));
    for (int item : rows)
        refs.push_back(items.ref(item));
    if (SetAccess(doc_, refs, how))
        listModel()->allItemsChanged();
}

void CFeaturesWnd::cellClicked(int item, int column)
{
    if (readOnly() || item < 0 || item >= listModel()->rowCount())
        return;
    const RowAccess s = accessItems().state(item);
    AccessChange how;
    switch (listModel()->columnKind(column)) {
    case colkind::kAllow:
        how = s.inherited || !s.allowed ? AccessChange::Allow : AccessChange::Inherit;
        break;
    case colkind::kDeny:
        how = s.inherited || s.allowed ? AccessChange::Deny : AccessChange::Inherit;
        break;
    case colkind::kIncluded:
        how = s.allowed ? AccessChange::Deny : AccessChange::Allow;
        break;
    default: return;
    }
    const AccessEdit edit{accessItems().ref(item), how};
    if (ApplyAccessEdits(doc_, std::span(&edit, 1)))
        listModel()->itemsChanged(item, item);
}

bool CFeaturesWnd::explainsAccess() const
{
    const EntityKind kind = doc_.selection().selectedKind();
    return kind == EntityKind::Class || kind == EntityKind::User;
}

QString CFeaturesWnd::explainItem(int item) const
{
    if (item < 0 || item >= listModel()->rowCount())
        return {};
    return WhyAccess(doc_, static_cast<const AccessItems&>(listModel()->items()).ref(item));
}

CAlphaFeaturesWnd::CAlphaFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent)
    : CFeaturesWnd(doc, app, resourceType, FeatureColumns(), QStringLiteral("Features"), parent)
{
    populate(true);
}

std::vector<FeatureRow> CAlphaFeaturesWnd::featureTable() const
{
    return AlphaFeatureTable(resourceType(), app_.intercom);
}

CScrollFeaturesWnd::CScrollFeaturesWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent)
    : CFeaturesWnd(doc, app, resourceType, FeatureColumns(), QStringLiteral("Features"), parent)
{
    populate(true);
}

std::vector<FeatureRow> CScrollFeaturesWnd::featureTable() const
{
    return ScrollFeatureTable(resourceType());
}

CVreleditFeaturesWnd::CVreleditFeaturesWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent)
    : CFeaturesWnd(doc, app, 18, FeatureColumns(), QStringLiteral("Features"), parent)
{
    populate(true);
}

std::vector<FeatureRow> CVreleditFeaturesWnd::featureTable() const
{
    const auto table = TovrinFeatureTable();
    return {table.begin(), table.end()};
}

CSpecialAssignmentsWnd::CSpecialAssignmentsWnd(CKestovaDoc& doc, const CAppState& app, QWidget* parent)
    : CFeaturesWnd(doc, app, 18, FeatureColumns(), QStringLiteral("Features"), parent)
{
    populate(true);
}

std::vector<FeatureRow> CSpecialAssignmentsWnd::featureTable() const
{
    const auto table = SpecialAssignmentTable();
    return {table.begin(), table.end()};
}

}  // namespace vexilor
