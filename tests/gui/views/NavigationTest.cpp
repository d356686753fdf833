#include "intercom/Capabilities.h"
#include "intercom/Intercom.h"
#include "views/Navigation.h"

#include <QTest>
#include <QStandardItemModel>

using namespace vexilor;
using namespace vexilor::nav;
namespace tk = vexilor::treekind;
namespace tv = vexilor::tabvalue;

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(vexilor::nav::StepPlan)
Q_DECLARE_METATYPE(vexilor::nav::StepState)

namespace {

CIntercom FullIntercom(std::uint16_t groups)
{
    CIntercom ic;
    ic.capabilities.setRange(0, kCapabilityCount);
    ic.groupCount = groups;
    return ic;
}

QString Label(int row)
{
    return QString::fromUtf16(CategoryAt(row)->label);
}

}  // namespace

class NavigationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void categoryRowsKeepTheirNumbersAndCommands();
    void categoryMasks_data();
    void categoryMasks();
    void buttonsOnlyForTypesTheIntercomHas();
    void tabSets_data();
    void tabSets();
    void tabLabelsArePaddedAndCarryHelpContexts();
    void titles_data();
    void titles();
    void placesWithAndWithoutWindow_data();
    void placesWithAndWithoutWindow();
    void treeWalksVisitEveryNodeInOrder();
    void stepPlans_data();
    void stepPlans();
};

void NavigationTest::categoryRowsKeepTheirNumbersAndCommands()
{
    const auto all = Categories();
    QCOMPARE(all.size(), std::size_t(22));
    for (std::size_t i = 0; i < all.size(); ++i) {
        QCOMPARE(all[i].row, int(i));
        QCOMPARE(CategoryCommand(all[i].row), 512 + int(i));
    }
    QCOMPARE(Label(row::kConfiguration), QStringLiteral("Configuration"));
    QCOMPARE(Label(row::kGroups), QStringLiteral("Groups"));
    QCOMPARE(Label(row::kIoCards), QStringLiteral("I/O Cards"));
    QCOMPARE(QString::fromUtf16(CategoryAt(row::kIoCards)->singular), QStringLiteral("I/O Card"));
    QCOMPARE(Label(row::kMenus), QStringLiteral("Menus"));
    QCOMPARE(CategoryAt(row::kUplStatements)->resourceType, 12);
    QCOMPARE(CategoryAt(row::kTovrin)->resourceType, kNoResourceType);
    QVERIFY(CategoryAt(22) == nullptr);
    QVERIFY(CategoryAt(-1) == nullptr);
}

void NavigationTest::categoryMasks_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<std::vector<int>>("enabledRows");
    std::vector<int> entityRows;
    for (int r = 0; r <= 21; ++r)
        entityRows.push_back(r);
    std::vector<int> studioRows;
    for (int r = 1; r <= 18; ++r)
        studioRows.push_back(r);
    QTest::newRow("none") << tk::kNone << std::vector<int>{};
    QTest::newRow("intercom") << tk::kIntercom << std::vector<int>{0};
    QTest::newRow("studios folder") << tk::kStudios << std::vector<int>{0};
    QTest::newRow("studio") << tk::kStudio << studioRows;
    QTest::newRow("classes folder") << tk::kClasses << std::vector<int>{0};
    QTest::newRow("class") << tk::kClass << entityRows;
    QTest::newRow("users folder") << tk::kUsers << std::vector<int>{0};
    QTest::newRow("user") << tk::kUser << entityRows;
}

void NavigationTest::categoryMasks()
{
    QFETCH(int, kind);
    QFETCH(std::vector<int>, enabledRows);
    std::vector<int> enabled;
    for (const Category& c : Categories())
        if (CategoryEnabled(c.row, kind))
            enabled.push_back(c.row);
    QCOMPARE(enabled, enabledRows);
}

void NavigationTest::buttonsOnlyForTypesTheIntercomHas()
{
    std::vector<int> everything;
    for (int r = 0; r <= 21; ++r)
        everything.push_back(r);
    QCOMPARE(AvailableCategoryRows(FullIntercom(8)), everything);

    // No groups: no "Groups" row, so "Assignment Groups" sits one position higher.
    std::vector<int> withoutGroups = everything;
    withoutGroups.erase(withoutGroups.begin() + row::kGroups);
    const std::vector<int> rows = AvailableCategoryRows(FullIntercom(0));
    QCOMPARE(rows, withoutGroups);
    QCOMPARE(rows[9], row::kAssignmentGroups);

    // Without the capabilities only the always-present types remain.
    CIntercom bare;
    bare.capabilities.clearAll();
    bare.groupCount = 0;
    bare.dimTableCount = 0;
    QCOMPARE(AvailableCategoryRows(bare), (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8, 19, 20, 21}));
}

void NavigationTest::tabSets_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("kind");
    QTest::addColumn<std::vector<int>>("tabs");
    const std::vector<int> none;
    QTest::newRow("configuration, intercom") << 0 << tk::kIntercom
                                             << std::vector<int>{tv::kIntercomResources, tv::kCapabilities};
    QTest::newRow("configuration, class") << 0 << tk::kClass << none;
    QTest::newRow("configuration, folder") << 0 << tk::kClasses << none;
    QTest::newRow("resources, studio") << 1 << tk::kStudio << std::vector<int>{tv::kResources, tv::kAssignments};
    QTest::newRow("resources, user")
        << 1 << tk::kUser
        << std::vector<int>{tv::kResources, tv::kAssignments, tv::kFeatures, tv::kAlphas, tv::kScrollEnables};
    QTest::newRow("resources, intercom") << 1 << tk::kIntercom << none;
    QTest::newRow("group 2, class") << 2 << tk::kClass << std::vector<int>{tv::kResources, tv::kFeatures};
    QTest::newRow("group 2, studio") << 2 << tk::kStudio << std::vector<int>{tv::kResources};
    QTest::newRow("special, user") << 3 << tk::kUser << std::vector<int>{tv::kAssignments};
    QTest::newRow("special, studio") << 3 << tk::kStudio << none;
    QTest::newRow("tovrin, class") << 4 << tk::kClass << std::vector<int>{tv::kFeatures};
    QTest::newRow("group 5, class")
        << 5 << tk::kClass << std::vector<int>{tv::kResources, tv::kAssignments, tv::kAlphas, tv::kScrollEnables};
    QTest::newRow("group 6, class") << 6 << tk::kClass
                                    << std::vector<int>{tv::kResources, tv::kFeatures, tv::kAlphas};
    QTest::newRow("group 7, user")
        << 7 << tk::kUser << std::vector<int>{tv::kResources, tv::kFeatures, tv::kAlphas, tv::kScrollEnables};
    QTest::newRow("group 7, studio") << 7 << tk::kStudio << std::vector<int>{tv::kResources};
    QTest::newRow("group 7, users folder") << 7 << tk::kUsers << none;
    QTest::newRow("group out of range") << 8 << tk::kClass << none;
}

void NavigationTest::tabSets()
{
    QFETCH(int, group);
    QFETCH(int, kind);
    QFETCH(std::vector<int>, tabs);
    QCOMPARE(TabsOfSet(TabSet(group, kind)), tabs);
}

void NavigationTest::tabLabelsArePaddedAndCarryHelpContexts()
{
    const std::vector<std::pair<int, QString>> labels = {
        {tv::kIntercomResources, QStringLiteral(" Resources ")}, {tv::kResources, QStringLiteral(" Resources ")},
        {tv::kAssignments, QStringLiteral(" Assignments ")},     {tv::kFeatures, QStringLiteral(" Features ")},
        {tv::kCapabilities, QStringLiteral(" Capabilities ")},   {tv::kAlphas, QStringLiteral(" Alphas ")},
        {tv::kScrollEnables, QStringLiteral(" Scroll Enables ")},
    };
    for (const auto& [value, label] : labels)
        QCOMPARE(TabLabel(value), label);
    const std::vector<std::pair<int, int>> help = {{64, 317}, {1, 324}, {8, 325}, {16, 326},
                                                   {2, 318},  {4, 327}, {32, 328}, {0, 0}};
    for (const auto& [value, context] : help)
        QCOMPARE(TabHelpContext(value), context);
    // Every value shows in the fixed order whatever the mask.
    QCOMPARE(TabsOfSet(127), (std::vector<int>{64, 1, 8, 16, 2, 4, 32}));
}

void NavigationTest::titles_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("title");
    QTest::newRow("root") << tk::kIntercom << u"Intercom"_qs << u"Configuration"_qs << u" Resources "_qs
                          << u"Intercom : Configuration :  Resources "_qs;
    QTest::newRow("classes folder") << tk::kClasses << u"Classes"_qs << u"Configuration"_qs << QString()
                                    << u"Class : Configuration"_qs;
    QTest::newRow("studios folder") << tk::kStudios << u"Studios"_qs << u"Configuration"_qs << QString()
                                    << u"Studio : Configuration"_qs;
    QTest::newRow("users folder") << tk::kUsers << u"Users"_qs << QString() << QString() << u"User"_qs;
    QTest::newRow("studio") << tk::kStudio << u"North"_qs << u"Keypanel"_qs << u" Assignments "_qs
                            << u"Studio : North : Keypanel :  Assignments "_qs;
    QTest::newRow("class") << tk::kClass << u"Ops"_qs << u"Menus"_qs << QString() << u"Class : Ops : Menus"_qs;
    QTest::newRow("user") << tk::kUser << u"ann"_qs << u"ISO"_qs << u" Alphas "_qs
                          << u"User : ann : ISO :  Alphas "_qs;
    QTest::newRow("nothing selected") << tk::kNone << QString() << QString() << QString() << QString();
}

void NavigationTest::titles()
{
    QFETCH(int, kind);
    QFETCH(QString, itemText);
    QFETCH(QString, category);
    QFETCH(QString, tab);
    QFETCH(QString, title);
    QCOMPARE(JoinTitle(TreeTitle(kind, itemText), category, tab), title);
}

void NavigationTest::placesWithAndWithoutWindow_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("hasWindow");
    QTest::addColumn<int>("helpContext");
    QTest::newRow("intercom resources") << tk::kIntercom << 0 << tv::kIntercomResources << true << 317;
    QTest::newRow("intercom capabilities") << tk::kIntercom << 0 << tv::kCapabilities << true << 318;
    QTest::newRow("intercom without tab") << tk::kIntercom << 0 << tv::kNone << false << 0;
    QTest::newRow("studios folder") << tk::kStudios << 0 << tv::kResources << true << 321;
    QTest::newRow("classes folder") << tk::kClasses << 0 << tv::kNone << true << 322;
    QTest::newRow("users folder") << tk::kUsers << 0 << tv::kNone << true << 323;
    QTest::newRow("studio resources") << tk::kStudio << 1 << tv::kResources << true << 324;
    QTest::newRow("studio assignments") << tk::kStudio << 18 << tv::kAssignments << true << 325;
    QTest::newRow("studio features") << tk::kStudio << 1 << tv::kFeatures << false << 326;
    QTest::newRow("class configuration") << tk::kClass << 0 << tv::kNone << true << 332;
    QTest::newRow("user configuration") << tk::kUser << 0 << tv::kNone << true << 333;
    QTest::newRow("user special") << tk::kUser << 19 << tv::kAssignments << true << 325;
    QTest::newRow("class tovrin") << tk::kClass << 20 << tv::kFeatures << true << 326;
    QTest::newRow("class menus") << tk::kClass << 21 << tv::kNone << true << 0;
    QTest::newRow("user scroll enables") << tk::kUser << 2 << tv::kScrollEnables << true << 328;
    QTest::newRow("user alphas") << tk::kUser << 7 << tv::kAlphas << true << 327;
    QTest::newRow("class capabilities") << tk::kClass << 3 << tv::kCapabilities << false << 318;
    QTest::newRow("nothing selected") << tk::kNone << 0 << tv::kNone << false << 0;
}

void NavigationTest::placesWithAndWithoutWindow()
{
    QFETCH(int, kind);
    QFETCH(int, row);
    QFETCH(int, tab);
    QFETCH(bool, hasWindow);
    QFETCH(int, helpContext);
    Place place;
    place.treeKind = kind;
    place.categoryRow = row;
    place.tab = tab;
    QCOMPARE(HasWindow(place), hasWindow);
    QCOMPARE(HelpContextFor(place), helpContext);
}

void NavigationTest::treeWalksVisitEveryNodeInOrder()
{
    QStandardItemModel tree;
    auto* root = new QStandardItem(u"Intercom"_qs);
    tree.appendRow(root);
    auto* studios = new QStandardItem(u"Studios"_qs);
    root->appendRow(studios);
    studios->appendRow(new QStandardItem(u"s1"_qs));
    studios->appendRow(new QStandardItem(u"s2"_qs));
    root->appendRow(new QStandardItem(u"Classes"_qs));  // empty folder
    auto* users = new QStandardItem(u"Users"_qs);
    root->appendRow(users);
    users->appendRow(new QStandardItem(u"u1"_qs));
    users->appendRow(new QStandardItem(u"u2"_qs));

    QStringList forward;
    for (QModelIndex item = root->index(); item.isValid(); item = NextTreeNode(item))
        forward << item.data().toString();
    QCOMPARE(forward, (QStringList{u"Intercom"_qs, u"Studios"_qs, u"s1"_qs, u"s2"_qs, u"Classes"_qs, u"Users"_qs,
                                   u"u1"_qs, u"u2"_qs}));

    QStringList backward;
    for (QModelIndex item = users->child(1)->index(); item.isValid(); item = PreviousTreeNode(item))
        backward << item.data().toString();
    QCOMPARE(backward, (QStringList{u"u2"_qs, u"u1"_qs, u"Users"_qs, u"Classes"_qs, u"s2"_qs, u"s1"_qs,
                                    u"Studios"_qs, u"Intercom"_qs}));
    QVERIFY(!NextTreeNode({}).isValid());
    QVERIFY(!PreviousTreeNode({}).isValid());
}

void NavigationTest::stepPlans_data()
{
    QTest::addColumn<StepState>("state");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<StepPlan>("plan");
    // Five tabs on the second of four buttons, the last of which is disabled.
    const StepState mid{5, 2, {true, true, true, false}, 1};
    const StepState lastTab{5, 4, {true, true, true, false}, 1};
    const StepState firstTab{5, 0, {true, true, true, false}, 1};
    const StepState beforeDisabled{1, 0, {true, true, true, false}, 2};
    const StepState firstButton{0, -1, {true, true, true, false}, 0};
    using K = StepKind;
    QTest::newRow("next tab") << mid << true << false << false << StepPlan{K::Tab, 3, false, false};
    QTest::newRow("previous tab") << mid << false << false << false << StepPlan{K::Tab, 1, false, false};
    QTest::newRow("after the last tab the next category, first tab")
        << lastTab << true << false << false << StepPlan{K::Category, 2, true, false};
    QTest::newRow("before the first tab the previous category, last tab")
        << firstTab << false << false << false << StepPlan{K::Category, 0, true, false};
    QTest::newRow("shift skips the tabs and keeps the tab")
        << mid << true << true << false << StepPlan{K::Category, 2, false, false};
    QTest::newRow("a disabled next category moves to the next node")
        << beforeDisabled << true << false << false << StepPlan{K::TreeNode, -1, true, false};
    QTest::newRow("before the first category the previous node")
        << firstButton << false << false << false << StepPlan{K::TreeNode, -1, true, false};
    QTest::newRow("ctrl: only the node") << mid << true << false << true << StepPlan{K::TreeNode, -1, false, true};
    QTest::newRow("ctrl and shift: nothing") << mid << false << true << true << StepPlan{};
    QTest::newRow("one tab counts as no tabs")
        << StepState{1, 0, {true, true}, 0} << true << false << false << StepPlan{K::Category, 1, true, false};
    QTest::newRow("no category selected") << StepState{0, -1, {true}, -1} << true << false << false
                                          << StepPlan{K::TreeNode, -1, true, false};
}

void NavigationTest::stepPlans()
{
    QFETCH(StepState, state);
    QFETCH(bool, forward);
    QFETCH(bool, shift);
    QFETCH(bool, ctrl);
    QFETCH(StepPlan, plan);
    const StepPlan got = PlanStep(state, forward, shift, ctrl);
    QCOMPARE(int(got.kind), int(plan.kind));
    QCOMPARE(got.target, plan.target);
    QCOMPARE(got.resetTab, plan.resetTab);
    QCOMPARE(got.onlyNode, plan.onlyNode);
}

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
