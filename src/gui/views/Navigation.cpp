#include "views/Navigation.h"

#include "intercom/Intercom.h"

#include <QAbstractItemModel>

#include <array>
#include <QStringList>

namespace vexilor::nav {
namespace {

using namespace treekind;

constexpr int kAll = kIntercom | kStudios | kClasses | kClass | kUsers | kUser;
constexpr int kEntities = kStudio | kClass | kUser;
constexpr int kPeople = kClass | kUser;

constexpr auto kCategories = std::to_array<Category>({
    {0, u"Configuration", u"Configuration", kNoResourceType, kAll, 0},
    {1, u"Keypanels", u"Keypanel", 0, kEntities, 1},
    {2, u"Party Lines", u"Party Line", 1, kEntities, 1},
    {3, u"IFBs", u"IFB", 2, kEntities, 1},
    {4, u"IFB Special Lists", u"IFB Special List", 3, kEntities, 1},
    {5, u"Special Lists", u"Special List", 4, kEntities, 1},
    {6, u"GPI Outputs", u"GPI Output", 5, kEntities, 1},
    {7, u"ISOs", u"ISO", 6, kEntities, 1},
    {8, u"GPI Inputs", u"GPI Input", 7, kEntities, 6},
    {9, u"Groups", u"Group", 8, kEntities, 1},
    {10, u"Assignment Groups", u"Assignment Group", 9, kEntities, 7},
    {11, u"Auto Dials", u"Auto Dial", 10, kEntities, 7},
    {12, u"UPL Resources", u"UPL Resource", 11, kEntities, 1},
    {13, u"UPL Statements", u"UPL Statement", 12, kEntities, 2},
    {14, u"Dim Tables", u"Dim Table", 13, kEntities, 6},
    {15, u"Dornets", u"Dornet", 14, kEntities, 2},
    {16, u"Skelbys", u"Skelby", 15, kEntities, 6},
    {17, u"Fennbys", u"Fennby", 16, kEntities, 2},
    {18, u"I/O Cards", u"I/O Card", 17, kEntities, 6},
    {19, u"Special", u"Special", kNoResourceType, kPeople, 3},
    {20, u"Tovrin", u"Tovrin", kNoResourceType, kPeople, 4},
    {21, u"Menus", u"Menus", kNoResourceType, kPeople, 0},
});

using namespace tabvalue;

constexpr auto kTabs = std::to_array<Tab>({
    {kIntercomResources, u"Resources", 317},
    {kResources, u"Resources", 324},
    {kAssignments, u"Assignments", 325},
    {kFeatures, u"Features", 326},
    {kCapabilities, u"Capabilities", 318},
    {kAlphas, u"Alphas", 327},
    {kScrollEnables, u"Scroll Enables", 328},
});

// Columns: intercom, studio, class and user. Folders have no tabs.
constexpr int kTabSets[8][3] = {
    {kIntercomResources | kCapabilities, 0, 0},
    {0, kResources | kAssignments, kResources | kAlphas | kAssignments | kFeatures | kScrollEnables},
    {0, kResources, kResources | kFeatures},
    {0, 0, kAssignments},
    {0, 0, kFeatures},
    {0, kResources | kAssignments, kResources | kAlphas | kAssignments | kScrollEnables},
    {0, kResources, kResources | kAlphas | kFeatures},
    {0, kResources, kResources | kAlphas | kFeatures | kScrollEnables},
};

QString Text(const char16_t* text)
{
    return QString::fromUtf16(text);
}

}  // namespace

std::span<const Category> Categories()
{
    return kCategories;
}

const Category* CategoryAt(int row)
{
    return row >= 0 && row < int(kCategories.size()) ? &kCategories[std::size_t(row)] : nullptr;
}

std::vector<int> AvailableCategoryRows(const CIntercom& intercom)
{
    std::vector<int> rows;
    for (const Category& c : kCategories)
        if (c.resourceType == kNoResourceType || intercom.IsTypeAvailable(unsigned(c.resourceType)))
            rows.push_back(c.row);
    return rows;
}

bool CategoryEnabled(int row, int treeKind)
{
    const Category* c = CategoryAt(row);
    return c && treeKind != treekind::kNone && (c->mask & treeKind) != 0;
}

std::span<const Tab> Tabs()
{
    return kTabs;
}

int TabSet(int group, int treeKind)
{
    if (group < 0 || group >= 8)
        return 0;
    switch (treeKind) {
    case kIntercom: return kTabSets[group][0];
    case kStudio: return kTabSets[group][1];
    case kClass:
    case kUser: return kTabSets[group][2];
    default: return 0;
    }
}

std::vector<int> TabsOfSet(int set)
{
    std::vector<int> values;
    for (const Tab& t : kTabs)
        if (set & t.value)
            values.push_back(t.value);
    return values;
}

QString TabLabel(int value)
{
    for (const Tab& t : kTabs)
        if (t.value == value)
            return u' ' + Text(t.label) + u' ';
    return {};
}

int TabHelpContext(int value)
{
    for (const Tab& t : kTabs)
        if (t.value == value)
            return t.helpContext;
    return 0;
}

QString TreeTitle(int treeKind, const QString& itemText)
{
    const QString sep = QStringLiteral(" : ");
    switch (treeKind) {
    case kIntercom: return itemText;
    case kStudios: return QStringLiteral("Studio");
    case kStudio: return QStringLiteral("Studio") + sep + itemText;
    case kClasses: return QStringLiteral("Class");
    case kClass: return QStringLiteral("Class") + sep + itemText;
    case kUsers: return QStringLiteral("User");
    case kUser: return QStringLiteral("User") + sep + itemText;
    default: return {};
    }
}

QString JoinTitle(const QString& treePart, const QString& categoryPart, const QString& tabPart)
{
    QStringList parts;
    for (const QString* p : {&treePart, &categoryPart, &tabPart})
        if (!p->isEmpty())
            parts << *p;
    return parts.join(QStringLiteral(" : "));
}

bool HasWindow(const Place& place)
{
    const int r = place.categoryRow;
    const int d = place.tab;
    switch (place.treeKind) {
    case kIntercom: return r == row::kConfiguration && (d == kCapabilities || d == kIntercomResources);
    case kStudios:
    case kClasses:
    case kUsers: return r == row::kConfiguration;
    case kStudio: return r >= row::kKeypanels && r <= row::kIoCards && (d == kResources || d == kAssignments);
    case kClass:
    case kUser:
        if (r == row::kConfiguration || r == row::kSpecial || r == row::kTovrin || r == row::kMenus)
            return true;
        return r >= row::kKeypanels && r <= row::kIoCards &&
               (d == kResources || d == kAssignments || d == kAlphas || d == kFeatures || d == kScrollEnables);
    default: return false;
    }
}

int HelpContextFor(const Place& place)
{
    switch (place.treeKind) {
    case kStudios: return 321;
    case kClasses: return 322;
    case kUsers: return 323;
    case kClass:
        if (place.categoryRow == row::kConfiguration)
            return 332;
        break;
    case kUser:
        if (place.categoryRow == row::kConfiguration)
            return 333;
        break;
    default: break;
    }
    return TabHelpContext(place.tab);
}

QModelIndex NextTreeNode(const QModelIndex& item)
{
    if (!item.isValid())
        return {};
    const QAbstractItemModel* model = item.model();
    if (model->rowCount(item) > 0)
        return model->index(0, 0, item);
    const QModelIndex parent = item.parent();
    if (!parent.isValid())
        return {};
    if (item.row() + 1 < model->rowCount(parent))
        return model->index(item.row() + 1, 0, parent);
    const QModelIndex grand = parent.parent();
    if (!grand.isValid())
        return {};
    return parent.row() + 1 < model->rowCount(grand) ? model->index(parent.row() + 1, 0, grand) : QModelIndex();
}

QModelIndex PreviousTreeNode(const QModelIndex& item)
{
    if (!item.isValid())
        return {};
    const QAbstractItemModel* model = item.model();
    const QModelIndex parent = item.parent();
    if (!parent.isValid())
        return {};
    if (item.row() > 0) {
        const QModelIndex sibling = model->index(item.row() - 1, 0, parent);
        const int children = model->rowCount(sibling);
        return children > 0 ? model->index(children - 1, 0, sibling) : sibling;
    }
    return parent;
}

StepPlan PlanStep(const StepState& state, bool forward, bool shift, bool ctrl)
{
    if (ctrl && shift)
        return {};
    if (ctrl)
        return {StepKind::TreeNode, -1, false, true};
    if (!shift && state.tabCount > 1) {
        const int to = forward ? state.tabIndex + 1 : state.tabIndex - 1;
        if (state.tabIndex >= 0 && to >= 0 && to < state.tabCount)
            return {StepKind::Tab, to, false, false};
    }
    if (state.buttonIndex >= 0) {
        const int to = forward ? state.buttonIndex + 1 : state.buttonIndex - 1;
        if (to >= 0 && to < int(state.buttonEnabled.size()) && state.buttonEnabled[std::size_t(to)])
            return {StepKind::Category, to, !shift, false};
    }
    return {StepKind::TreeNode, -1, true, false};
}

}  // namespace vexilor::nav
