#include "shell/MainFrame.h"

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "document/KestovaDoc.h"
#include "shell/Commands.h"
#include "shell/FileTypeRegistration.h"
#include "shell/WindowPlacement.h"
#include "views/KestovaView.h"
#include "widgets/Icons.h"
#include "vexilor/Version.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>
#include <QWindow>

namespace vexilor {

namespace {

constexpr char kToolBarObjectName[] = "ToolBar";

QString BarKey(const char* name)
{
    return QString::fromLatin1(kToolBarsGroup) + u'/' + QString::fromLatin1(name);
}

}  // namespace

CMainFrame::CMainFrame(CAppState& app, CKestovaDoc& doc, QWidget* parent)
    : QMainWindow(parent), app_(app), doc_(doc)
{
    setWindowTitle(QString::fromLatin1(build::kProductName));
    setAcceptDrops(true);
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    restoreBarState();
    // The least size comes from the panes through the layout; the greatest is the screen's.
    fitMaximumToScreen();

    connect(&doc_, &CKestovaDoc::titleChanged, this, [this] { updateCommandUI(); });
    connect(&doc_, &CKestovaDoc::documentReset, this, [this] { updateCommandUI(); });
    connect(&doc_, &CKestovaDoc::modifiedChanged, this, [this](bool modified) {
        // "Saved NAME.res" stops being true with the next change.
        if (modified && statusBar()->currentMessage() == savedMessage_)
            statusBar()->clearMessage();
        updateCommandUI();
    });
    connect(&doc_, &CKestovaDoc::saved, this, [this](const QString& path) {
        savedMessage_ = tr("Saved %1").arg(QFileInfo(path).fileName());
        statusBar()->showMessage(savedMessage_);
    });
    updateCommandUI();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createActions()
{
    for (const CommandSpec& spec : CommandTable()) {
        auto* action = new QAction(this);
        action->setData(spec.id);
        if (spec.menuText[0] != '\0')
            action->setText(MenuText(spec));
        if (spec.keys[0] != '\0') {
            action->setShortcut(CommandKeys(spec));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        if (spec.icon[0] != '\0')
            action->setIcon(AppIcon(QString::fromLatin1(spec.icon)));
        action->setStatusTip(StatusPrompt(spec.id));
        const QString tip = ToolTipPrompt(spec.id);
        action->setToolTip(tip.isEmpty() ? action->text().remove(u'&') : tip);
        action->setWhatsThis(StatusPrompt(spec.id));
        addAction(action);  // keyboard commands work without a menu entry
        connect(action, &QAction::triggered, this, [this, id = spec.id] { runCommand(id); });
        actions_.insert(spec.id, action);
    }
    actions_[cmd::kViewToolbar]->setCheckable(true);
    actions_[cmd::kViewStatusBar]->setCheckable(true);
    actions_[cmd::kExit]->setMenuRole(QAction::QuitRole);
    actions_[cmd::kAbout]->setMenuRole(QAction::AboutRole);
    actions_[cmd::kPreferences]->setMenuRole(QAction::PreferencesRole);

    // Undo and redo come from the document's stack; their texts say what they take back or do
    // again ("&Undo Allow 12 keypanels").
    const struct {
        int id;
        QAction* action;
        QKeySequence keys;
        const char* icon;
        const char* prompt;
    } history[] = {
        {cmd::kUndo, doc_.undoStack().createUndoAction(this, tr("&Undo")), QKeySequence(Qt::CTRL | Qt::Key_Z),
         "undo", QT_TR_NOOP("Undo the last change")},
        {cmd::kRedo, doc_.undoStack().createRedoAction(this, tr("&Redo")), QKeySequence(Qt::CTRL | Qt::Key_Y),
         "redo", QT_TR_NOOP("Do the undone change again")},
    };
    for (const auto& h : history) {
        h.action->setData(h.id);
        h.action->setShortcut(h.keys);
        h.action->setShortcutContext(Qt::WindowShortcut);
        h.action->setIcon(AppIcon(QString::fromLatin1(h.icon)));
        h.action->setStatusTip(tr(h.prompt));
        h.action->setToolTip(h.action->text().remove(u'&'));
        connect(h.action, &QAction::changed, this, [a = h.action] {
            const QString tip = a->text().remove(u'&');
            if (a->toolTip() != tip)
                a->setToolTip(tip);
        });
        addAction(h.action);
        actions_.insert(h.id, h.action);
    }

    // What the frame handles itself.
    handlers_.insert(cmd::kExit, [this] { close(); });
    handlers_.insert(cmd::kViewToolbar, [this] { toolBar_->setVisible(toolBar_->isHidden()); });
    handlers_.insert(cmd::kViewStatusBar, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    handlers_.insert(cmd::kContextHelp, [] { QWhatsThis::enterWhatsThisMode(); });
    handlers_.insert(cmd::kSave, [this] { doc_.save(); });
    handlers_.insert(cmd::kExport, [this] { doc_.exportRestrictions(); });
}

void CMainFrame::createMenus()
{
    const std::pair<MenuId, const char*> menus[] = {
        {MenuId::File, QT_TR_NOOP("&File")},
        {MenuId::View, QT_TR_NOOP("&View")},
        {MenuId::Options, QT_TR_NOOP("&Options")},
        {MenuId::Help, QT_TR_NOOP("&Help")},
    };
    for (const auto& [id, title] : menus) {
        QMenu* menu = menuBar()->addMenu(tr(title));
        for (const CommandSpec& spec : CommandTable()) {
            if (spec.menu != id)
                continue;
            if (spec.id == cmd::kExit || spec.id == cmd::kReleaseNotes)
                menu->addSeparator();
            if (spec.id == cmd::kAbout)
                menu->addSeparator();
            menu->addAction(actions_.value(spec.id));
        }
        connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandUI(); });
        menus_.append(menu);
        if (id == MenuId::File) {
            QMenu* edit = menuBar()->addMenu(tr("&Edit"));
            edit->addAction(actions_.value(cmd::kUndo));
            edit->addAction(actions_.value(cmd::kRedo));
            menus_.append(edit);
        }
    }
}

QMenu* CMainFrame::menu(int index) const
{
    return menus_.value(index);
}

void CMainFrame::createToolBar()
{
    toolBar_ = new QToolBar(tr("Toolbar"), this);
    toolBar_->setObjectName(QString::fromLatin1(kToolBarObjectName));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setMovable(false);
    toolBar_->toggleViewAction()->setVisible(false);
    for (int id : ToolbarLayout()) {
        if (id == cmd::kSeparator)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(actions_.value(id));
        if (id == cmd::kSave) {
            toolBar_->addAction(actions_.value(cmd::kUndo));
            toolBar_->addAction(actions_.value(cmd::kRedo));
        }
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
    connect(toolBar_, &QToolBar::visibilityChanged, this, [this] { updateCommandUI(); });
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    readOnly_ = new QLabel(this);
    readOnly_->setObjectName(QStringLiteral("ReadOnlyIndicator"));
    readOnly_->setMinimumWidth(readOnly_->fontMetrics().horizontalAdvance(strings::Text(59144)) + 8);
    readOnly_->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(readOnly_);
    // With no menu item highlighted the message pane shows the idle prompt.
    const QString idle = strings::Text(57345);
    connect(bar, &QStatusBar::messageChanged, this, [bar, idle](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(idle);
    });
    bar->showMessage(idle);
}

void CMainFrame::setView(CKestovaView* view)
{
    view_ = view;
    setCentralWidget(view);
    if (view == nullptr)
        return;
    addActions(view->navigationActions());
    connect(view, &CKestovaView::statusMessage, this, [this](const QString& text) {
        statusBar()->showMessage(text);
    });
}

void CMainFrame::setHandler(int id, std::function<void()> handler)
{
    handlers_.insert(id, std::move(handler));
}

QString CMainFrame::DroppedIntercom(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        const QString intercom = url.isLocalFile() ? IntercomOfRestrictionsFile(url.toLocalFile()) : QString();
        if (!intercom.isEmpty())
            return intercom;
    }
    return {};
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedIntercom(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// A dropped restrictions file opens its intercom by the one road every intercom takes: "Change
// Intercom" with that name as the start name (opened at once when its configuration file exists,
// else offered in the list).
void CMainFrame::dropEvent(QDropEvent* event)
{
    const QString name = DroppedIntercom(event->mimeData());
    if (name.isEmpty())
        return;
    event->acceptProposedAction();
    app_.startIntercomName = name;
    app_.startIntercomGiven = true;
    runCommand(cmd::kChangeIntercom);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!followsScreen_ && windowHandle() != nullptr) {
        followsScreen_ = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this] { fitMaximumToScreen(); });
    }
    fitMaximumToScreen();
}

void CMainFrame::fitMaximumToScreen()
{
    const QScreen* s = screen();
    if (s == nullptr)
        return;
    // The frame's decoration is known once the window is shown; the client area gets the rest.
    const QSize decoration = frameGeometry().size() - geometry().size();
    setMaximumSize((s->availableSize() - decoration).expandedTo(minimumSizeHint()));
}

void CMainFrame::runCommand(int id)
{
    updateCommandUI();
    QAction* a = actions_.value(id);
    if (a != nullptr && !a->isEnabled())
        return;
    if (const auto it = handlers_.constFind(id); it != handlers_.cend() && *it)
        (*it)();
    updateCommandUI();
}

void CMainFrame::updateCommandUI()
{
    const bool readOnly = doc_.isReadOnly();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        if (it.key() == cmd::kUndo || it.key() == cmd::kRedo)
            continue;  // the undo stack enables these itself
        it.value()->setEnabled(IsCommandEnabled(it.key(), app_, readOnly));
    }
    actions_[cmd::kViewToolbar]->setChecked(!toolBar_->isHidden());
    actions_[cmd::kViewStatusBar]->setChecked(!statusBar()->isHidden());
    readOnly_->setText(readOnly ? strings::Text(59144) : QString());

    const QString product = QString::fromLatin1(build::kProductName);
    const QString title = doc_.title().isEmpty() ? app_.intercomName : doc_.title();
    // The marker of unsaved changes goes after the intercom name ("NY1* - Vexilor").
    setWindowTitle(title.isEmpty() ? product : QStringLiteral("%1[*] - %2").arg(title, product));
    setWindowModified(doc_.isModified() && !title.isEmpty());
}

std::optional<int> CMainFrame::restoreLayout()
{
    restoreBarState();
    return RestorePlacement(*this, *app_.settings);
}

void CMainFrame::saveLayout()
{
    SavePlacement(*app_.settings, CapturePlacement(*this));
    saveBarState();
}

void CMainFrame::restoreBarState()
{
    QSettings& s = app_.settings->settings();
    const QByteArray state = s.value(BarKey("State")).toByteArray();
    if (!state.isEmpty())
        restoreState(state);
    toolBar_->setVisible(s.value(BarKey("ToolBarVisible"), true).toBool());
    statusBar()->setVisible(s.value(BarKey("StatusBarVisible"), true).toBool());
    updateCommandUI();
}

void CMainFrame::saveBarState()
{
    QSettings& s = app_.settings->settings();
    s.setValue(BarKey("State"), saveState());
    s.setValue(BarKey("ToolBarVisible"), !toolBar_->isHidden());
    s.setValue(BarKey("StatusBarVisible"), !statusBar()->isHidden());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!doc_.saveModified()) {
        event->ignore();
        return;
    }
    saveLayout();
    event->accept();
    Q_EMIT closing();
}

}  // namespace vexilor
