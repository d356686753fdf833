#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "document/EntityEdits.h"
#include "document/KestovaDoc.h"
#include "intercom/Capabilities.h"
#include "support/PromptsTestScope.h"
#include "views/CategoryBar.h"
#include "views/ContextWnd.h"
#include "views/EditWnd.h"
#include "views/KestovaTabCtrl.h"
#include "views/KestovaTreeCtrl.h"
#include "views/KestovaView.h"
#include "views/Navigation.h"

#include <QAction>
#include <QMenu>
#include <QDir>
#include <QPointer>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace vexilor;
namespace tk = vexilor::treekind;
namespace tv = vexilor::tabvalue;

namespace {

// What the view had done when it asked for a window.
struct FactoryCall {
    Place place;
    std::u16string selectedName;
    EntityKind selectedKind = EntityKind::None;
    bool previousAlive = false;
};

// A document with two studios, two classes and two users, an intercom with or without groups,
// settings in a temporary INI file, and a factory that records what it is asked for.
struct ViewFixture {
    QTemporaryDir dir;
    SettingsStore settings{std::make_unique<QSettings>(dir.filePath(QStringLiteral("settings.ini")),
                                                       QSettings::IniFormat),
                           SystemDefaults{}};
    CAppState app;
    std::unique_ptr<CKestovaDoc> doc;
    std::vector<FactoryCall> calls;
    QPointer<CPlaceWindow> lastWindow;
    std::unique_ptr<CKestovaView> view;

    explicit ViewFixture(std::uint16_t groups = 8, bool loaded = true)
    {
        app.settings = &settings;
        app.prefs = settings.loadSettings();
        app.intercom.capabilities.setRange(0, kCapabilityCount);
        app.intercom.groupCount = groups;
        doc = std::make_unique<CKestovaDoc>(app, CKestovaDoc::Services{});
        CRestrictionsModel& model = doc->model();
        if (loaded) {
            model.newFile(u"Default");
            model.putRecord(EntityKind::User, u"ann", {});
            model.putRecord(EntityKind::Class, u"Zed", {});
            model.putRecord(EntityKind::Class, u"Ops", {});
            model.putRecord(EntityKind::Studio, u"South", {});
            model.putRecord(EntityKind::Studio, u"North", {});
        }
        view = std::make_unique<CKestovaView>(*doc, app, [this](const Place& place, CKestovaDoc& d, const CAppState&,
                                                                 QWidget* parent) {
            calls.push_back({place, d.selection().selectedName(), d.selection().selectedKind(), !lastWindow.isNull()});
            auto* window = new CPlaceWindow(parent);
            window->setFocusPolicy(Qt::StrongFocus);
            lastWindow = window;
            return window;
        });
        view->resize(1000, 700);
        view->show();
    }

    CKestovaTreeCtrl* tree() const { return view->tree(); }
    CListWnd* bar() const { return view->categoryBar(); }
    CKestovaTabCtrl* tabs() const { return view->editPane()->tabs(); }
    QString title() const { return view->titleStrip()->text(); }

    QModelIndex item(const QString& text) const
    {
        const QAbstractItemModel* model = tree()->model();
        const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, text, 1,
                                                   Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchCaseSensitive);
        return found.isEmpty() ? QModelIndex() : found.first();
    }
    static bool bold(const QModelIndex& index) { return index.data(Qt::FontRole).value<QFont>().bold(); }

    // Lets the posted selection changed run and checks that it built one window; then runs the
    // focus request that the rebuild posted.
    bool settle(std::size_t before)
    {
        const bool built = QTest::qWaitFor([&] { return calls.size() > before; }) && calls.size() == before + 1;
        QCoreApplication::processEvents();
        return built;
    }

    bool rebuild()
    {
        const std::size_t before = calls.size();
        view->rebuild();
        return settle(before);
    }

    bool selectInTree(const QString& text)
    {
        const std::size_t before = calls.size();
        tree()->setCurrentIndex(item(text));
        return settle(before);
    }

    void clickCategory(int row)
    {
        QToolButton* button = bar()->buttonAt(bar()->positionOfRow(row));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void clickTab(int index) { QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(index).center()); }

    std::vector<int> enabledRows() const
    {
        std::vector<int> rows;
        for (int i = 0; i < bar()->count(); ++i)
            if (bar()->isPositionEnabled(i))
                rows.push_back(bar()->rows()[std::size_t(i)]);
        return rows;
    }

    QStringList tabTexts() const
    {
        QStringList texts;
        for (int i = 0; i < tabs()->count(); ++i)
            texts << tabs()->tabText(i);
        return texts;
    }

    const Place& lastPlace() const { return calls.back().place; }
};

}  // namespace

class KestovaViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rootShowsIntercomResourcesAndCapabilities();
    void classesFolderEnablesOnlyConfiguration();
    void nextWalksTheTabsThenTheNextCategory();
    void previousFromConfigurationGoesToThePreviousNodesLastPlace();
    void ctrlAndShiftStepsAndTheirCommands();
    void groupsButtonOnlyWhenTheIntercomHasGroups();
    void featuresTabIsKeptAcrossCategories();
    void previousEntityIsCommittedAndTheNewOneSelectedBeforeTheWindow();
    void treeRefillKeepsExpansionAndTheSelectedFolder();
    void withoutAFileTheTreeHoldsOnlyTheFixedItems();
    void largeAndSmallButtonsAreKeptInTheSettings();
    void barSizeIsKeptForTheNextStart();
    void paneCyclingAndFocusRequests();
    void navigationActionsCarryTheirCommandsAndKeys();
    void screenshot();
};

void KestovaViewTest::rootShowsIntercomResourcesAndCapabilities()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QCOMPARE(f.tree()->currentIndex(), f.tree()->intercomIndex());
    QVERIFY(f.bold(f.tree()->intercomIndex()));
    QCOMPARE(f.enabledRows(), std::vector<int>{nav::row::kConfiguration});
    QCOMPARE(f.bar()->selectedRow(), nav::row::kConfiguration);
    QCOMPARE(f.tabTexts(), (QStringList{u" Resources "_qs, u" Capabilities "_qs}));
    QCOMPARE(f.tabs()->values(), (std::vector<int>{tv::kIntercomResources, tv::kCapabilities}));
    QCOMPARE(f.title(), u"Intercom : Configuration :  Resources "_qs);
    QCOMPARE(f.lastPlace().treeKind, tk::kIntercom);
    QCOMPARE(f.lastPlace().tab, tv::kIntercomResources);
    QCOMPARE(f.view->currentWindow(), f.lastWindow.data());
    QCOMPARE(f.view->currentHelpContext(), 317);
    // The window sits inside the edit pane at the pane's margins.
    QCOMPARE(f.lastWindow->parentWidget(), f.view->editPane());
    QCOMPARE(f.lastWindow->geometry(), f.view->editPane()->pageRect());
    QCOMPARE(f.lastWindow->geometry().topLeft(), QPoint(12, 12));
    QCOMPARE(f.view->editPane()->height() - f.lastWindow->geometry().bottom() - 1, 40);

    // The capabilities tab replaces the window.
    const std::size_t before = f.calls.size();
    f.clickTab(1);
    QCOMPARE(f.calls.size(), before + 1);
    QCOMPARE(f.lastPlace().tab, tv::kCapabilities);
    QCOMPARE(f.title(), u"Intercom : Configuration :  Capabilities "_qs);
    QCOMPARE(f.view->currentHelpContext(), 318);
}

void KestovaViewTest::classesFolderEnablesOnlyConfiguration()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QVERIFY(f.selectInTree(u"Classes"_qs));
    QCOMPARE(f.enabledRows(), std::vector<int>{nav::row::kConfiguration});
    QCOMPARE(f.tabs()->count(), 0);
    QCOMPARE(f.title(), u"Class : Configuration"_qs);
    QCOMPARE(f.lastPlace().treeKind, tk::kClasses);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kConfiguration);
    QCOMPARE(f.lastPlace().tab, tv::kNone);
    QCOMPARE(f.view->currentHelpContext(), 322);
    QVERIFY(f.bold(f.item(u"Classes"_qs)));
    QVERIFY(!f.bold(f.tree()->intercomIndex()));

    // The right button selects nothing.
    const std::size_t before = f.calls.size();
    const QRect zed = f.tree()->visualRect(f.item(u"Zed"_qs));
    QTest::mouseClick(f.tree()->viewport(), Qt::RightButton, {}, zed.center());
    QCoreApplication::processEvents();  // runs anything that was posted
    QCOMPARE(f.tree()->selectedText(), u"Classes"_qs);
    QCOMPARE(f.calls.size(), before);
    // The left button does.
    QTest::mouseClick(f.tree()->viewport(), Qt::LeftButton, {}, zed.center());
    QVERIFY(f.settle(before));
    QCOMPARE(f.lastPlace().entityName, u"Zed"_qs);
}

void KestovaViewTest::nextWalksTheTabsThenTheNextCategory()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QVERIFY(f.selectInTree(u"Ops"_qs));
    QCOMPARE(f.title(), u"Class : Ops : Configuration"_qs);
    f.clickCategory(nav::row::kKeypanels);
    QCOMPARE(f.tabTexts(), (QStringList{u" Resources "_qs, u" Assignments "_qs, u" Features "_qs, u" Alphas "_qs,
                                        u" Scroll Enables "_qs}));
    QCOMPARE(f.title(), u"Class : Ops : Keypanel :  Resources "_qs);

    const std::vector<int> walk = {tv::kAssignments, tv::kFeatures, tv::kAlphas, tv::kScrollEnables};
    for (int value : walk) {
        const std::size_t before = f.calls.size();
        f.view->runCommand(paneid::kNext);
        QCOMPARE(f.calls.size(), before + 1);
        QCOMPARE(f.lastPlace().categoryRow, nav::row::kKeypanels);
        QCOMPARE(f.lastPlace().tab, value);
        QCOMPARE(f.tabs()->selectedValue(), value);
    }
    f.view->runCommand(paneid::kNext);
    QCOMPARE(f.bar()->selectedRow(), nav::row::kPartyLines);
    QCOMPARE(f.tabs()->currentIndex(), 0);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kPartyLines);
    QCOMPARE(f.lastPlace().resourceType, 1);
    QCOMPARE(f.lastPlace().tab, tv::kResources);
    QCOMPARE(f.title(), u"Class : Ops : Party Line :  Resources "_qs);

    // And back: Previous from the first tab is the previous category with its last tab.
    f.view->runCommand(paneid::kPrevious);
    QCOMPARE(f.bar()->selectedRow(), nav::row::kKeypanels);
    QCOMPARE(f.lastPlace().tab, tv::kScrollEnables);
    // The buttons hand the keyboard to the list window.
    QTRY_COMPARE(f.view->rememberedPane(), paneid::kEditPane);
}

void KestovaViewTest::previousFromConfigurationGoesToThePreviousNodesLastPlace()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());

    struct Case {
        QString from;
        QString to;
        int kind;
        int row;
        int tab;
    };
    const Case cases[] = {
        // The previous class: its last category, Menus, has no tabs.
        {u"Zed"_qs, u"Ops"_qs, tk::kClass, nav::row::kMenus, tv::kNone},
        // The folder before the first class: only Configuration.
        {u"Ops"_qs, u"Classes"_qs, tk::kClasses, nav::row::kConfiguration, tv::kNone},
        // Before the folder: the last studio, its last category and its last (only) tab.
        {u"Classes"_qs, u"South"_qs, tk::kStudio, nav::row::kIoCards, tv::kResources},
    };
    for (const Case& c : cases) {
        if (f.tree()->selectedText() != c.from)
            QVERIFY(f.selectInTree(c.from));
        else
            f.clickCategory(nav::row::kConfiguration);
        QCOMPARE(f.bar()->selectedRow(), nav::row::kConfiguration);
        const std::size_t before = f.calls.size();
        f.view->runCommand(paneid::kPrevious);
        QVERIFY(f.settle(before));
        QCOMPARE(f.tree()->selectedText(), c.to);
        QCOMPARE(f.lastPlace().treeKind, c.kind);
        QCOMPARE(f.lastPlace().categoryRow, c.row);
        QCOMPARE(f.lastPlace().tab, c.tab);
    }
    QCOMPARE(f.title(), u"Studio : South : I/O Card :  Resources "_qs);

    // Next from the last place of a studio goes on to the next node with its first place.
    const std::size_t before = f.calls.size();
    f.view->runCommand(paneid::kNext);
    QVERIFY(f.settle(before));
    QCOMPARE(f.tree()->selectedText(), u"Classes"_qs);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kConfiguration);
}

void KestovaViewTest::ctrlAndShiftStepsAndTheirCommands()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QVERIFY(f.selectInTree(u"ann"_qs));
    f.clickCategory(nav::row::kKeypanels);
    f.clickTab(2);  // Features
    QCOMPARE(f.tabs()->selectedValue(), tv::kFeatures);

    // Shift: the next category, keeping the tab.
    f.view->runCommand(paneid::kNext, Qt::ShiftModifier);
    QCOMPARE(f.bar()->selectedRow(), nav::row::kPartyLines);
    QCOMPARE(f.lastPlace().tab, tv::kFeatures);
    f.view->runCommand(viewcmd::kNextCategoryOrNode);
    QCOMPARE(f.bar()->selectedRow(), 3);
    QCOMPARE(f.lastPlace().tab, tv::kFeatures);
    f.view->runCommand(viewcmd::kPreviousCategoryOrNode);
    QCOMPARE(f.bar()->selectedRow(), nav::row::kPartyLines);

    // Ctrl and Shift together: nothing.
    std::size_t before = f.calls.size();
    f.view->runCommand(paneid::kNext, Qt::ShiftModifier | Qt::ControlModifier);
    QCoreApplication::processEvents();  // runs anything that was posted
    QCOMPARE(f.calls.size(), before);
    QCOMPARE(f.tree()->selectedText(), u"ann"_qs);

    // Ctrl alone and Ctrl+Page Up/Down: only the tree node; the place follows from the new node.
    f.view->runCommand(paneid::kPrevious, Qt::ControlModifier);
    QVERIFY(f.settle(before));
    QCOMPARE(f.tree()->selectedText(), u"Default"_qs);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kPartyLines);
    QCOMPARE(f.lastPlace().tab, tv::kFeatures);
    before = f.calls.size();
    f.view->runCommand(viewcmd::kNextNode);
    QVERIFY(f.settle(before));
    QCOMPARE(f.tree()->selectedText(), u"ann"_qs);
    // No node after the last user: nothing happens.
    before = f.calls.size();
    f.view->runCommand(viewcmd::kNextNode);
    QCoreApplication::processEvents();  // runs anything that was posted
    QCOMPARE(f.calls.size(), before);

    // Ctrl+Tab walks the tabs like Next.
    f.view->runCommand(viewcmd::kNextStep);
    QCOMPARE(f.lastPlace().tab, tv::kAlphas);
    f.view->runCommand(viewcmd::kPreviousStep);
    QCOMPARE(f.lastPlace().tab, tv::kFeatures);
}

void KestovaViewTest::groupsButtonOnlyWhenTheIntercomHasGroups()
{
    test::PromptsTestScope prompts;
    ViewFixture f(0);
    QVERIFY(f.rebuild());
    QCOMPARE(f.bar()->positionOfRow(nav::row::kGroups), -1);
    QVERIFY(!f.bar()->findChild<QToolButton*>(u"category9"_qs));
    QToolButton* assignmentGroups = f.bar()->buttonAt(nav::row::kGroups);
    QCOMPARE(assignmentGroups->text(), u"Assignment Groups"_qs);
    QCOMPARE(assignmentGroups->property("commandId").toInt(), 512 + nav::row::kAssignmentGroups);
    QCOMPARE(f.bar()->buttonAt(0)->y(), 0);
    QCOMPARE(assignmentGroups->y(), nav::row::kGroups * f.bar()->buttonHeight());

    // Choosing it from a user gives the window of row 10, whatever its position.
    QVERIFY(f.selectInTree(u"ann"_qs));
    f.clickCategory(nav::row::kAssignmentGroups);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kAssignmentGroups);
    QCOMPARE(f.lastPlace().resourceType, 9);

    // After Refresh Alphas found groups, the bar gains the button and keeps the selected row.
    f.app.intercom.groupCount = 4;
    const std::size_t before = f.calls.size();
    f.view->selectionChanged(paneid::kEditPane);
    QCOMPARE(f.calls.size(), before + 1);
    QCOMPARE(f.bar()->positionOfRow(nav::row::kGroups), 9);
    QCOMPARE(f.bar()->selectedRow(), nav::row::kAssignmentGroups);
    QCOMPARE(f.bar()->buttonAt(9)->property("commandId").toInt(), 512 + nav::row::kGroups);
}

void KestovaViewTest::featuresTabIsKeptAcrossCategories()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QVERIFY(f.selectInTree(u"Ops"_qs));
    f.clickCategory(nav::row::kKeypanels);
    f.clickTab(2);
    QCOMPARE(f.lastPlace().tab, tv::kFeatures);
    f.clickCategory(nav::row::kUplStatements);
    QCOMPARE(f.tabTexts(), (QStringList{u" Resources "_qs, u" Features "_qs}));
    QCOMPARE(f.tabs()->selectedValue(), tv::kFeatures);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kUplStatements);
    QCOMPARE(f.lastPlace().tab, tv::kFeatures);
    QCOMPARE(f.title(), u"Class : Ops : UPL Statement :  Features "_qs);

    // A set without the remembered tab falls back to its first tab; a studio has no Features.
    QVERIFY(f.selectInTree(u"North"_qs));
    QCOMPARE(f.bar()->selectedRow(), nav::row::kUplStatements);
    QCOMPARE(f.tabTexts(), QStringList{u" Resources "_qs});
    QCOMPARE(f.lastPlace().treeKind, tk::kStudio);
    QCOMPARE(f.lastPlace().tab, tv::kResources);
}

void KestovaViewTest::previousEntityIsCommittedAndTheNewOneSelectedBeforeTheWindow()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QVERIFY(f.selectInTree(u"Zed"_qs));
    QCOMPARE(f.calls.back().selectedName, u"Zed");
    QCOMPARE(f.calls.back().selectedKind, EntityKind::Class);
    QVERIFY(!f.calls.back().previousAlive);
    QCOMPARE(f.lastPlace().entityName, u"Zed"_qs);

    // The list window edits the selection; moving on stores it in the model.
    QPointer<CPlaceWindow> first = f.lastWindow;
    f.doc->selection().setFeatureDenied(0, true);
    f.doc->selection().setFeatureInherit(0, false);
    CEntitySelection probe(f.doc->model());
    QVERIFY(probe.select(u"Zed", EntityKind::Class));
    QVERIFY(probe.featureIsInherited(0) != 0);

    QVERIFY(f.selectInTree(u"South"_qs));
    QVERIFY(first.isNull());
    QVERIFY(!f.calls.back().previousAlive);
    QCOMPARE(f.calls.back().selectedName, u"South");
    QCOMPARE(f.calls.back().selectedKind, EntityKind::Studio);
    QVERIFY(probe.select(u"Zed", EntityKind::Class));
    QCOMPARE(probe.featureIsInherited(0), 0);
    QVERIFY(probe.featureDenied(0) != 0);

    QVERIFY(f.selectInTree(u"ann"_qs));
    QCOMPARE(f.calls.back().selectedName, u"ann");
    QCOMPARE(f.calls.back().selectedKind, EntityKind::User);
    QCOMPARE(f.view->currentHelpContext(), 324);  // the category stayed: Keypanels, Resources
    f.clickCategory(nav::row::kConfiguration);
    QCOMPARE(f.view->currentHelpContext(), 333);

    // A window's status text reaches the frame through the view.
    QString status;
    connect(f.view.get(), &CKestovaView::statusMessage, this, [&](const QString& s) { status = s; });
    Q_EMIT f.lastWindow->statusMessage(u"Allow all"_qs);
    QCOMPARE(status, u"Allow all"_qs);
}

void KestovaViewTest::treeRefillKeepsExpansionAndTheSelectedFolder()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    for (int i = 0; i < 4; ++i)
        QVERIFY(f.tree()->isExpanded(f.tree()->fixedIndex(i)));
    f.tree()->collapse(f.item(u"Studios"_qs));
    QVERIFY(f.selectInTree(u"Classes"_qs));
    QPointer<CPlaceWindow> window = f.lastWindow;

    // The folder's window added a class: the document's change inserts the row.
    const std::size_t before = f.calls.size();
    QVERIFY(AddEntity(*f.doc, EntityKind::Class, u"Alpha"_qs));
    QCoreApplication::processEvents();  // runs anything that was posted
    QCOMPARE(f.calls.size(), before);  // no notification: the window stays
    QVERIFY(!window.isNull());
    QCOMPARE(f.tree()->selectedText(), u"Classes"_qs);
    QVERIFY(f.bold(f.item(u"Classes"_qs)));
    QVERIFY(!f.tree()->isExpanded(f.item(u"Studios"_qs)));
    QVERIFY(f.tree()->isExpanded(f.item(u"Users"_qs)));
    const QModelIndex classes = f.item(u"Classes"_qs);
    const QAbstractItemModel* model = f.tree()->model();
    QCOMPARE(model->rowCount(classes), 3);
    QCOMPARE(model->index(0, 0, classes).data().toString(), u"Alpha"_qs);
    const auto data = [](const QModelIndex& i) { return i.data(CKestovaTreeCtrl::kDataRole).toUInt(); };
    QCOMPARE(data(model->index(2, 0, classes)), (std::uint32_t(tk::kClass) << 16) | 2u);
    QCOMPARE(data(f.item(u"ann"_qs)), (std::uint32_t(tk::kUser) << 16) | 1u);
    QCOMPARE(data(f.item(u"Studios"_qs)), std::uint32_t(tk::kStudios) << 16);
}

void KestovaViewTest::withoutAFileTheTreeHoldsOnlyTheFixedItems()
{
    test::PromptsTestScope prompts;
    ViewFixture f(8, false);
    QVERIFY(f.rebuild());
    const QAbstractItemModel* model = f.tree()->model();
    QCOMPARE(model->rowCount(), 1);
    const QModelIndex root = f.tree()->intercomIndex();
    QCOMPARE(root.data().toString(), u"Intercom"_qs);
    QCOMPARE(model->rowCount(root), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(model->rowCount(model->index(i, 0, root)), 0);
    QCOMPARE(model->index(0, 0, root).data().toString(), u"Studios"_qs);
    QCOMPARE(model->index(1, 0, root).data().toString(), u"Classes"_qs);
    QCOMPARE(model->index(2, 0, root).data().toString(), u"Users"_qs);
    QCOMPARE(f.lastPlace().treeKind, tk::kIntercom);
}

void KestovaViewTest::largeAndSmallButtonsAreKeptInTheSettings()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QVERIFY(f.selectInTree(u"Ops"_qs));
    constexpr int kIsos = 7;
    f.clickCategory(kIsos);
    QCOMPARE(f.bar()->buttonHeight(), 30);
    QCOMPARE(f.bar()->buttonAt(1)->height(), 30);
    QCOMPARE(f.bar()->buttonAt(1)->iconSize(), QSize(16, 16));

    std::unique_ptr<QMenu> menu(f.bar()->createContextMenu(nullptr));
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().first()->text(), u"Large buttons"_qs);
    menu->actions().first()->trigger();
    QCOMPARE(f.settings.readInt(SettingKey::RadiosLargeIcons), 1);
    QCOMPARE(f.bar()->buttonAt(1)->height(), 46);
    QCOMPARE(f.bar()->buttonAt(1)->iconSize(), QSize(32, 32));
    QCOMPARE(f.bar()->selectedRow(), kIsos);
    QVERIFY(f.bar()->buttonAt(f.bar()->positionOfRow(kIsos))->isChecked());
    QVERIFY(f.bar()->buttonAt(1)->isEnabled());  // still enabled for the class

    menu.reset(f.bar()->createContextMenu(nullptr));
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().first()->text(), u"Small buttons"_qs);
    QVERIFY(CListWnd(&f.settings).largeButtons());

    // A short bar scrolls: the range is the buttons plus 4 against the pane plus 4; a line is 7
    // pixels, a page one button.
    f.bar()->resize(f.bar()->width(), 200);
    QScrollBar* scroll = f.bar()->verticalScrollBar();
    QCOMPARE(scroll->maximum(), 22 * 46 + 4 - (f.bar()->viewport()->height() + 4));
    QCOMPARE(scroll->singleStep(), 7);
    scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(scroll->value(), 46);
    QCOMPARE(f.bar()->buttonAt(1)->y(), 0);
    scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(f.bar()->buttonAt(1)->y(), -7);
    scroll->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(f.bar()->buttonAt(21)->geometry().bottom() + 1, f.bar()->viewport()->height());
}

void KestovaViewTest::barSizeIsKeptForTheNextStart()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    f.view.reset();
    f.settings.writeInt(SettingKey::RadiosWidth, 250);
    f.settings.writeInt(SettingKey::RadiosHeight, 300);

    // Created at Width + 4 by Height; written back so that the next start is the same size.
    auto view = std::make_unique<CKestovaView>(*f.doc, f.app, PlaceWindowFactory{});
    view->resize(1000, 700);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    QCOMPARE(view->categoryBar()->width(), 254);
    QCOMPARE(view->categoryBar()->height(), 300);
    view.reset();
    QCOMPARE(f.settings.readInt(SettingKey::RadiosWidth), 250);
    QCOMPARE(f.settings.readInt(SettingKey::RadiosHeight), 300);

    // A view that never showed leaves the sizes alone.
    f.settings.writeInt(SettingKey::RadiosWidth, 260);
    std::make_unique<CKestovaView>(*f.doc, f.app, PlaceWindowFactory{}).reset();
    QCOMPARE(f.settings.readInt(SettingKey::RadiosWidth), 260);
    QCOMPARE(f.settings.readInt(SettingKey::RadiosHeight), 300);
}

void KestovaViewTest::paneCyclingAndFocusRequests()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    f.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
    QVERIFY(f.rebuild());
    QTRY_VERIFY(f.tree()->hasFocus());
    QCOMPARE(f.view->rememberedPane(), paneid::kTree);

    f.view->runCommand(viewcmd::kNextPane);
    QVERIFY(f.bar()->hasFocus());
    QCOMPARE(f.view->rememberedPane(), paneid::kCategoryBar);
    QToolButton* configuration = f.bar()->buttonAt(0);
    QVERIFY(configuration->font().bold());  // the bar shows its focus on the selected button
    // The arrows choose among the enabled buttons; the root has only Configuration.
    std::size_t before = f.calls.size();
    QTest::keyClick(f.bar(), Qt::Key_Down);
    QCOMPARE(f.calls.size(), before);
    f.view->runCommand(viewcmd::kNextPane);
    QVERIFY(f.lastWindow->hasFocus());
    QVERIFY(!configuration->font().bold());
    QCOMPARE(f.view->rememberedPane(), paneid::kEditPane);
    f.view->runCommand(viewcmd::kNextPane);
    QVERIFY(f.tree()->hasFocus());
    f.view->runCommand(viewcmd::kPreviousPane);
    QVERIFY(f.lastWindow->hasFocus());

    // Mode 2 only remembers; mode 0 acts only for another pane; mode 1 always.
    f.view->requestFocus(paneid::kTree, 2);
    QVERIFY(f.lastWindow->hasFocus());
    QCOMPARE(f.view->rememberedPane(), paneid::kTree);
    f.view->requestFocus(paneid::kTree, 0);
    QVERIFY(f.lastWindow->hasFocus());
    f.view->requestFocus(paneid::kCategoryBar, 0);
    QVERIFY(f.bar()->hasFocus());
    f.view->requestFocus(paneid::kListWindow, 1);
    QVERIFY(f.lastWindow->hasFocus());

    // With the list window focused, a new place keeps the keyboard in the edit pane.
    before = f.calls.size();
    f.view->runCommand(viewcmd::kNextNode);
    QVERIFY(f.settle(before));
    QTRY_VERIFY(f.lastWindow->hasFocus());

    // On a user the arrows move through the categories as clicks would.
    QVERIFY(f.selectInTree(u"ann"_qs));
    f.view->requestFocus(paneid::kCategoryBar, 1);
    QTest::keyClick(f.bar(), Qt::Key_Down);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kKeypanels);
    QTest::keyClick(f.bar(), Qt::Key_End);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kMenus);
    QTest::keyClick(f.bar(), Qt::Key_Up);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kTovrin);
    QVERIFY(f.bar()->hasFocus());
}

void KestovaViewTest::navigationActionsCarryTheirCommandsAndKeys()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    const std::vector<std::pair<int, QKeySequence>> expected = {
        {32773, QKeySequence(u"Shift+PgDown"_qs)}, {32774, QKeySequence(u"Shift+PgUp"_qs)},
        {32775, QKeySequence(u"Ctrl+PgDown"_qs)},  {32776, QKeySequence(u"Ctrl+PgUp"_qs)},
        {32795, QKeySequence(u"F6"_qs)},           {32796, QKeySequence(u"Shift+F6"_qs)},
        {32797, QKeySequence(u"Ctrl+Tab"_qs)},     {32798, QKeySequence(u"Ctrl+Shift+Tab"_qs)},
    };
    const QList<QAction*> actions = f.view->navigationActions();
    QCOMPARE(actions.size(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(actions[qsizetype(i)]->data().toInt(), expected[i].first);
        QCOMPARE(actions[qsizetype(i)]->shortcut(), expected[i].second);
    }

    // The keys reach the commands from the panes (the frame adds the actions to its window).
    f.view->addActions(actions);
    f.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
    QVERIFY(f.rebuild());
    QTRY_VERIFY(f.tree()->hasFocus());
    std::size_t before = f.calls.size();
    QTest::keyClick(f.tree(), Qt::Key_PageDown, Qt::ControlModifier);
    QVERIFY(f.settle(before));
    QCOMPARE(f.tree()->selectedText(), u"Studios"_qs);
    QVERIFY(f.selectInTree(u"ann"_qs));
    f.clickCategory(nav::row::kKeypanels);
    QVERIFY(f.bar()->hasFocus());  // a click on a category gives the bar the keyboard
    QTest::keyClick(f.bar(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(f.lastPlace().tab, tv::kAssignments);
    QTest::keyClick(f.bar(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(f.lastPlace().tab, tv::kFeatures);
    // Shift+Tab comes as Backtab on some platforms; both forms step back.
    QTest::keyClick(f.bar(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.lastPlace().tab, tv::kAssignments);
    QTest::keyClick(f.bar(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.lastPlace().tab, tv::kResources);
    QTest::keyClick(f.bar(), Qt::Key_F6);
    QCOMPARE(f.view->rememberedPane(), paneid::kEditPane);
    QVERIFY(f.lastWindow->hasFocus());
    QTest::keyClick(f.lastWindow, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(f.lastPlace().categoryRow, nav::row::kPartyLines);
    before = f.calls.size();
    QTest::keyClick(f.lastWindow, Qt::Key_PageUp, Qt::ControlModifier);
    QVERIFY(f.settle(before));
    QCOMPARE(f.tree()->selectedText(), u"Default"_qs);
}

void KestovaViewTest::screenshot()
{
    test::PromptsTestScope prompts;
    ViewFixture f;
    QVERIFY(f.rebuild());
    QVERIFY(f.selectInTree(u"Ops"_qs));
    f.clickCategory(nav::row::kKeypanels);
    f.clickTab(2);
    const QImage image = f.view->grab().toImage();
    QVERIFY(!image.isNull());
    image.save(QDir::temp().filePath(u"h15-view.png"_qs));
    // The title strip is drawn on the button shadow.
    const QImage strip = f.view->titleStrip()->grab().toImage();
    QCOMPARE(strip.pixel(2, 2), f.view->titleStrip()->palette().color(QPalette::Dark).rgb());
}

QTEST_MAIN(KestovaViewTest)
#include "KestovaViewTest.moc"
