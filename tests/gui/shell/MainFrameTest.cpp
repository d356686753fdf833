#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "document/DocumentEdits.h"
#include "document/KestovaDoc.h"
#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "shell/AppPlaceWindows.h"
#include "shell/Commands.h"
#include "shell/MainFrame.h"
#include "support/PromptsTestScope.h"
#include "views/CategoryBar.h"
#include "views/ContextWnd.h"
#include "views/EditWnd.h"
#include "views/KestovaTreeCtrl.h"
#include "views/KestovaView.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QUrl>
#include <QWindow>

#include <memory>

using namespace vexilor;
using namespace Qt::StringLiterals;

namespace {

// A frame over a document with nothing open, settings in a temporary INI file.
struct FrameFixture {
    explicit FrameFixture(const QString& iniPath, CKestovaDoc::Services services = {})
        : settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat), SystemDefaults{})
    {
        app.settings = &settings;
        app.prefs = settings.loadSettings();
        doc = std::make_unique<CKestovaDoc>(app, std::move(services));
        frame = std::make_unique<CMainFrame>(app, *doc);
    }
    SettingsStore settings;
    CAppState app;
    std::unique_ptr<CKestovaDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void toolbarInOrderWithIcons();
    void menusTextsKeysAndPrompts_data();
    void menusTextsKeysAndPrompts();
    void statusBarShowsThePromptThenTheIdleText();
    void refreshAlphasNeedsAnAddress_data();
    void refreshAlphasNeedsAnAddress();
    void readOnlyDisablesSaveAndShowsTheIndicator();
    void disabledCommandsDoNotRun();
    void barsKeepTheirVisibilityAcrossRuns();
    void titleNamesTheIntercom();
    void titleMarksUnsavedChangesAndSaveSaysSo();
    void closingSavesThePlacement();
    void undoAndRedoSayWhatTheyDo();
    void droppedRestrictionsFileOpensItsIntercom();
    void cannotShrinkBelowThePanes();

private:
    QTemporaryDir dir_;
    QString ini_;
};

void MainFrameTest::init()
{
    ini_ = dir_.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u".ini"_s);
    QFile::remove(ini_);
}

void MainFrameTest::toolbarInOrderWithIcons()
{
    FrameFixture f(ini_);
    const QList<QAction*> actions = f.frame->toolBar()->actions();
    const QList<int> expected{cmd::kChangeIntercom, cmd::kRefreshAlphas, cmd::kSeparator,    cmd::kSave,
                              cmd::kUndo,           cmd::kRedo,          cmd::kSeparator,    cmd::kHelpTopics,
                              cmd::kContextHelp,    cmd::kReleaseNotes,  cmd::kAbout};
    QList<int> ids;
    for (QAction* a : actions) {
        ids.append(a->isSeparator() ? cmd::kSeparator : a->data().toInt());
        if (!a->isSeparator()) {
            QVERIFY2(!a->icon().isNull(), qPrintable(a->toolTip()));
            QCOMPARE(a, f.frame->action(a->data().toInt()));
        }
    }
    QCOMPARE(ids, expected);
    QCOMPARE(f.frame->toolBar()->iconSize(), QSize(16, 16));
}

void MainFrameTest::menusTextsKeysAndPrompts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("menu");  // index in the menu bar, -1 keyboard only
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("tip");

    const auto row = [](int id, int menu, const char16_t* text, const char* keys, const char16_t* status,
                        const char16_t* tip) {
        QTest::addRow("%d", id) << id << menu << QString::fromUtf16(text)
                                << QKeySequence(QString::fromLatin1(keys), QKeySequence::PortableText)
                                << QString::fromUtf16(status) << QString::fromUtf16(tip);
    };
    row(57600, 0, u"Change &Intercom...", "Ctrl+N", u"Choose a different intercom", u"Change Intercom");
    row(32802, 0, u"&Refresh Alphas...", "Ctrl+R",
        u"Refresh the intercom alphas, capabilities, and configuration", u"Refresh Alphas");
    row(57603, 0, u"&Save Restrictions", "Ctrl+S", u"Save restrictions for this intercom", u"Save Restrictions");
    row(32800, 0, u"&Export Restrictions...", "Ctrl+A", u"Copy restrictions to another intercom",
        u"Export Restrictions");
    row(57665, 0, u"E&xit", "Alt+F4", u"Quit the application; prompts to save documents", u"Exit");
    row(59392, 2, u"&Toolbar", "", u"Show or hide the toolbar", u"Toggle ToolBar");
    row(59393, 2, u"&Status Bar", "", u"Show or hide the status bar", u"Toggle Status Bar");
    row(32809, 3, u"&Preferences...", "Alt+Return", u"View and/or modify the application preferences.",
        u"Preferences");
    row(32808, 3, u"Create &Shortcut", "", u"Create a desktop shortcut for the current intercom", u"Shortcut");
    row(57667, 4, u"&Help Topics", "", u"List Help topics", u"Help");
    row(57668, 4, u"&Using Help", "", u"Display instructions about how to use help", u"Help");
    row(32772, 4, u"&Release Notes...", "", u"View the release notes for this version.", u"What's New?");
    row(57664, 4, u"&About Vexilor...", "", u"Display program information, version number and copyright",
        u"About");
    row(57643, 1, u"&Undo", "Ctrl+Z", u"Undo the last change", u"Undo");
    row(57644, 1, u"&Redo", "Ctrl+Y", u"Do the undone change again", u"Redo");
    row(57670, -1, u"", "F1", u"Display help for current task or command", u"Help");
    row(57669, -1, u"", "Shift+F1", u"Display help for clicked on buttons, menus and windows", u"What's This?");
}

void MainFrameTest::menusTextsKeysAndPrompts()
{
    QFETCH(int, id);
    QFETCH(int, menu);
    FrameFixture f(ini_);
    QAction* action = f.frame->action(id);
    QVERIFY(action != nullptr);
    QTEST(action->text(), "text");
    QTEST(action->shortcut(), "keys");
    QTEST(action->statusTip(), "status");
    QTEST(action->toolTip(), "tip");
    if (menu >= 0)
        QVERIFY(f.frame->menu(menu)->actions().contains(action));
    for (int m = 0; m < 5; ++m) {
        if (m != menu)
            QVERIFY(!f.frame->menu(m)->actions().contains(action));
    }
    // Keyboard commands work without a menu: the frame itself carries every action.
    QVERIFY(f.frame->actions().contains(action));
}

void MainFrameTest::statusBarShowsThePromptThenTheIdleText()
{
    FrameFixture f(ini_);
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
    QStatusBar* bar = f.frame->statusBar();
    QCOMPARE(bar->currentMessage(), u"For Help, press F1"_s);

    f.frame->action(cmd::kRefreshAlphas)->showStatusText(f.frame.get());
    QCOMPARE(bar->currentMessage(), u"Refresh the intercom alphas, capabilities, and configuration"_s);
    bar->clearMessage();
    QCOMPARE(bar->currentMessage(), u"For Help, press F1"_s);
}

void MainFrameTest::refreshAlphasNeedsAnAddress_data()
{
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("partner");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("both empty") << u""_s << u""_s << false;
    QTest::newRow("both 0.0.0.0") << u"0.0.0.0"_s << u"0.0.0.0"_s << false;
    QTest::newRow("main 0.0.0.0, partner empty") << u"0.0.0.0"_s << u""_s << false;
    QTest::newRow("not an address") << u"intercom.local"_s << u"1.2.3"_s << false;
    QTest::newRow("main only") << u"192.168.1.10"_s << u""_s << true;
    QTest::newRow("partner only") << u"0.0.0.0"_s << u"10.0.0.2"_s << true;
    QTest::newRow("both") << u"127.0.0.2"_s << u"127.0.0.3"_s << true;
}

void MainFrameTest::refreshAlphasNeedsAnAddress()
{
    QFETCH(QString, main);
    QFETCH(QString, partner);
    QFETCH(bool, enabled);
    FrameFixture f(ini_);
    f.app.intercom.mainAddress = main.toStdU16String();
    f.app.intercom.partnerAddress = partner.toStdU16String();
    QCOMPARE(IsCommandEnabled(cmd::kRefreshAlphas, f.app, false), enabled);
    f.frame->updateCommandUI();
    QCOMPARE(f.frame->action(cmd::kRefreshAlphas)->isEnabled(), enabled);
    // Nothing else depends on the addresses.
    QVERIFY(f.frame->action(cmd::kChangeIntercom)->isEnabled());
    QVERIFY(f.frame->action(cmd::kSave)->isEnabled());
}

void MainFrameTest::readOnlyDisablesSaveAndShowsTheIndicator()
{
    FrameFixture f(ini_);
    QVERIFY(f.frame->action(cmd::kSave)->isEnabled());
    QCOMPARE(f.frame->readOnlyIndicator()->text(), QString());

    f.doc->model().setReadOnly(true);
    f.frame->updateCommandUI();
    QVERIFY(!f.frame->action(cmd::kSave)->isEnabled());
    QCOMPARE(f.frame->readOnlyIndicator()->text(), u"Read-only"_s);
    for (const CommandSpec& spec : CommandTable()) {
        if (spec.id != cmd::kSave && spec.id != cmd::kRefreshAlphas)
            QVERIFY2(f.frame->action(spec.id)->isEnabled(), qPrintable(QString::number(spec.id)));
    }

    f.doc->model().setReadOnly(false);
    f.frame->updateCommandUI();
    QVERIFY(f.frame->action(cmd::kSave)->isEnabled());
    QCOMPARE(f.frame->readOnlyIndicator()->text(), QString());
}

void MainFrameTest::disabledCommandsDoNotRun()
{
    FrameFixture f(ini_);
    int runs = 0;
    f.frame->setHandler(cmd::kRefreshAlphas, [&runs] { ++runs; });
    f.frame->runCommand(cmd::kRefreshAlphas);  // no address
    QTest::keyClick(f.frame.get(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(runs, 0);

    f.app.intercom.mainAddress = u"127.0.0.2";
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
    f.frame->updateCommandUI();
    QTest::keyClick(f.frame.get(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(runs, 1);
    f.frame->action(cmd::kRefreshAlphas)->trigger();
    QCOMPARE(runs, 2);
}

void MainFrameTest::barsKeepTheirVisibilityAcrossRuns()
{
    {
        FrameFixture f(ini_);
        f.frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
        QVERIFY(f.frame->action(cmd::kViewToolbar)->isChecked());
        QVERIFY(f.frame->action(cmd::kViewStatusBar)->isChecked());
        f.frame->runCommand(cmd::kViewToolbar);
        QVERIFY(f.frame->toolBar()->isHidden());
        QVERIFY(!f.frame->action(cmd::kViewToolbar)->isChecked());
        QVERIFY(f.frame->close());
    }
    {
        FrameFixture f(ini_);
        QVERIFY(f.frame->toolBar()->isHidden());
        QVERIFY(!f.frame->action(cmd::kViewToolbar)->isChecked());
        QVERIFY(!f.frame->statusBar()->isHidden());
        f.frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
        f.frame->runCommand(cmd::kViewToolbar);
        f.frame->runCommand(cmd::kViewStatusBar);
        QVERIFY(!f.frame->toolBar()->isHidden());
        QVERIFY(f.frame->statusBar()->isHidden());
        QVERIFY(!f.frame->action(cmd::kViewStatusBar)->isChecked());
        QVERIFY(f.frame->close());
    }
    FrameFixture f(ini_);
    QVERIFY(!f.frame->toolBar()->isHidden());
    QVERIFY(f.frame->statusBar()->isHidden());
    // Kept under the toolbars group of the settings.
    QSettings raw(ini_, QSettings::IniFormat);
    raw.beginGroup(QString::fromLatin1(kToolBarsGroup));
    QVERIFY(!raw.childKeys().isEmpty());
}

// The title as the window system shows it (with the modified marker resolved).
QString ShownTitle(CMainFrame& frame)
{
    frame.winId();
    return frame.windowHandle()->title();
}

void MainFrameTest::titleNamesTheIntercom()
{
    FrameFixture f(ini_);
    QCOMPARE(ShownTitle(*f.frame), u"Vexilor"_s);
    f.app.intercomName = u"NY1"_s;
    f.frame->updateCommandUI();
    QCOMPARE(ShownTitle(*f.frame), u"NY1 - Vexilor"_s);
}

void MainFrameTest::titleMarksUnsavedChangesAndSaveSaysSo()
{
    test::PromptsTestScope prompts;
    QDir root(dir_.path());
    QVERIFY(root.mkpath(u"cfg"_s) && root.mkpath(u"res"_s));
    CKestovaDoc::Services services;
    services.selectIntercom = [](const QString&) -> std::optional<QString> { return u"NY1"_s; };
    services.refreshAlphas = [](CIntercom&) {};
    FrameFixture f(ini_, std::move(services));
    f.app.prefs.cfgFilesDirectory = root.filePath(u"cfg"_s) + u'/';
    f.app.prefs.resFilesDirectory = root.filePath(u"res"_s) + u'/';
    std::u16string error;
    QVERIFY(SaveConfigurationFile(root.filePath(u"cfg/NY1.cfg"_s).toStdU16String(), CIntercom{}, error));
    QVERIFY(f.doc->newDocument());
    QStatusBar* bar = f.frame->statusBar();
    QCOMPARE(ShownTitle(*f.frame), u"NY1 - Vexilor"_s);

    QVERIFY(f.doc->selection().select(u"Default", EntityKind::User));
    const AccessRef keypanel = AccessRef::resource(0, 1);
    QVERIFY(SetAccess(*f.doc, {&keypanel, 1}, AccessChange::Allow));
    QCOMPARE(ShownTitle(*f.frame), u"NY1* - Vexilor"_s);
    f.frame->action(cmd::kUndo)->trigger();
    QCOMPARE(ShownTitle(*f.frame), u"NY1 - Vexilor"_s);
    f.frame->action(cmd::kRedo)->trigger();
    QCOMPARE(ShownTitle(*f.frame), u"NY1* - Vexilor"_s);

    f.frame->runCommand(cmd::kSave);
    QVERIFY(!f.doc->isModified());
    QCOMPARE(ShownTitle(*f.frame), u"NY1 - Vexilor"_s);
    QCOMPARE(bar->currentMessage(), u"Saved NY1.res"_s);
    // Undoing past the save is a change again, and the message no longer holds.
    f.frame->action(cmd::kUndo)->trigger();
    QCOMPARE(ShownTitle(*f.frame), u"NY1* - Vexilor"_s);
    QCOMPARE(bar->currentMessage(), u"For Help, press F1"_s);

    // A save that fails says nothing of the kind and keeps the marker.
    QVERIFY(root.rename(u"cfg"_s, u"cfg-moved"_s));
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    f.frame->runCommand(cmd::kSave);
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(ShownTitle(*f.frame), u"NY1* - Vexilor"_s);
    QCOMPARE(bar->currentMessage(), u"For Help, press F1"_s);
}

void MainFrameTest::closingSavesThePlacement()
{
    test::PromptsTestScope prompts;
    FrameFixture f(ini_);
    f.frame->setGeometry(40, 50, 640, 480);
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
    QVERIFY(f.frame->close());

    FrameFixture again(ini_);
    const std::optional<int> state = again.frame->restoreLayout();
    QVERIFY(state);
    QCOMPARE(*state, 1);
    QCOMPARE(again.frame->geometry().size(), QSize(640, 480));
}

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"

void MainFrameTest::undoAndRedoSayWhatTheyDo()
{
    FrameFixture f(ini_);
    f.doc->model().newFile(u"Default");
    f.doc->model().setDocumentValid(true);
    QVERIFY(f.doc->selection().select(u"Default", EntityKind::User));
    QAction* undo = f.frame->action(cmd::kUndo);
    QAction* redo = f.frame->action(cmd::kRedo);
    QVERIFY(!undo->isEnabled());

    std::vector<AccessRef> rows;
    for (std::uint32_t n = 1; n <= 12; ++n)
        rows.push_back(AccessRef::resource(0, n));
    QVERIFY(SetAccess(*f.doc, rows, AccessChange::Allow));
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), u"&Undo Allow 12 keypanels for user Default"_s);
    QCOMPARE(undo->toolTip(), u"Undo Allow 12 keypanels for user Default"_s);
    QVERIFY(f.doc->isModified());

    undo->trigger();
    QVERIFY(!f.doc->isModified());
    QCOMPARE(f.doc->selection().isRestricted(0, 5), 1);
    QVERIFY(redo->isEnabled());
    QCOMPARE(redo->text(), u"&Redo Allow 12 keypanels for user Default"_s);
    redo->trigger();
    QCOMPARE(f.doc->selection().isRestricted(0, 5), 0);
    QVERIFY(f.doc->isModified());
}

void MainFrameTest::droppedRestrictionsFileOpensItsIntercom()
{
    FrameFixture f(ini_);
    int changes = 0;
    f.frame->setHandler(cmd::kChangeIntercom, [&] { ++changes; });
    QVERIFY(f.frame->acceptDrops());

    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(u"/tmp/notes.txt"_s)});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(f.frame.get(), &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData res;
    res.setUrls({QUrl::fromLocalFile(u"/tmp/notes.txt"_s), QUrl::fromLocalFile(u"/data/res/demo.res"_s)});
    QCOMPARE(CMainFrame::DroppedIntercom(&res), u"DEMO"_s);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &res, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(f.frame.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &res, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.frame.get(), &drop);
    QCOMPARE(changes, 1);
    QCOMPARE(f.app.startIntercomName, u"DEMO"_s);
    QVERIFY(f.app.startIntercomGiven);
}

// Dragged to its least size the window still shows every pane whole: the tree, the category bar,
// the title strip with Previous and Next, and the edit pane with room for its list and tabs.
void MainFrameTest::cannotShrinkBelowThePanes()
{
    FrameFixture f(ini_);
    auto* view = new CKestovaView(*f.doc, f.app, &CreateAppPlaceWindow, f.frame.get());
    f.frame->setView(view);
    f.frame->resize(700, 500);
    f.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));

    const QSize least = f.frame->minimumSize();
    QVERIFY(least.width() > 0 && least.height() > 0);
    f.frame->resize(10, 10);
    QTRY_COMPARE(f.frame->size(), least);
    QTRY_VERIFY(view->titleStrip()->width() > 0 && view->editPane()->height() > 0);

    QWidget* previous = view->findChild<QWidget*>(u"previousButton"_s);
    QWidget* next = view->findChild<QWidget*>(u"nextButton"_s);
    QVERIFY(previous != nullptr && next != nullptr);
    const QList<QWidget*> panes{view->tree(), view->categoryBar(), view->titleStrip(), previous, next,
                                view->editPane()};
    const QRect client(view->mapTo(f.frame.get(), QPoint(0, 0)), view->size());
    for (QWidget* pane : panes) {
        const QRect r(pane->mapTo(f.frame.get(), QPoint(0, 0)), pane->size());
        QVERIFY2(pane->isVisible() && !r.isEmpty(), qPrintable(pane->objectName()));
        QVERIFY2(client.contains(r), qPrintable(pane->objectName()));
        // No pane below the least room it asks for.
        const QSize own = pane->minimumSize().expandedTo(pane->minimumSizeHint());
        QVERIFY2(pane->width() >= own.width() && pane->height() >= own.height(), qPrintable(pane->objectName()));
    }
    QCOMPARE(previous->size(), QSize(46, 46));
    QCOMPARE(next->size(), QSize(46, 46));
    QVERIFY(!previous->geometry().intersects(view->titleStrip()->geometry()));
    QVERIFY(!next->geometry().intersects(previous->geometry()));
    // The edit pane keeps a list above the tabs along its bottom edge.
    QVERIFY(view->editPane()->pageRect().height() > 0 && view->editPane()->pageRect().width() > 0);

    // Nor can a splitter squeeze a pane away inside the window.
    QVERIFY(!view->findChildren<QSplitter*>().isEmpty());
    for (QSplitter* splitter : view->findChildren<QSplitter*>()) {
        splitter->setSizes({0, 100000});
        for (int i = 0; i < splitter->count(); ++i)
            QVERIFY(splitter->widget(i)->width() > 0 && splitter->widget(i)->height() > 0);
    }

    // No larger than the screen.
    const QSize screen = f.frame->screen()->availableSize();
    QVERIFY(f.frame->maximumWidth() <= screen.width() && f.frame->maximumHeight() <= screen.height());
    f.frame->resize(screen.width() * 2, screen.height() * 2);
    QTRY_VERIFY(f.frame->width() <= screen.width() && f.frame->height() <= screen.height());
}
