#include "views/KestovaView.h"

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "document/KestovaDoc.h"
#include "views/CategoryBar.h"
#include "views/ContextWnd.h"
#include "views/EditWnd.h"
#include "views/KestovaTabCtrl.h"
#include "views/KestovaTreeCtrl.h"
#include "views/Navigation.h"
#include "widgets/Icons.h"
#include "widgets/KestovaButton.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QSplitter>

namespace vexilor {
namespace {

constexpr int kSplitterWidth = 4;
constexpr int kButtonSide = 46;

// The least room each pane keeps, so that neither a splitter nor the main window's minimum size
// squeezes one away: a few tree rows, one category button, a title next to Previous and Next, and
// a few list rows above the tabs.
constexpr QSize kMinTree{120, 80};
constexpr QSize kMinCategoryBar{120, CListWnd::kLargeHeight};
constexpr int kMinTitleWidth = 120;
constexpr QSize kMinEditPane{CEditWnd::kMargin * 2 + 180, CEditWnd::kMargin + CEditWnd::kBottomMargin + 80};

// Shows the wait cursor for the life of the scope.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool Contains(const QWidget* ancestor, const QWidget* widget)
{
    return widget && ancestor && (widget == ancestor || ancestor->isAncestorOf(widget));
}

int NormalPane(int pane)
{
    switch (pane) {
    case paneid::kTree:
    case paneid::kCategoryBar: return pane;
    default: return paneid::kEditPane;  // 502, 503, 558 and 560 all mean the edit pane
    }
}

EntityKind EntityOfTreeKind(int kind)
{
    switch (kind) {
    case treekind::kStudio: return EntityKind::Studio;
    case treekind::kClass: return EntityKind::Class;
    case treekind::kUser: return EntityKind::User;
    default: return EntityKind::None;
    }
}

// The fixed row (0 root, 1 "Studios", 2 "Classes", 3 "Users") that holds a row of this kind.
int FolderOfTreeKind(int kind)
{
    switch (kind) {
    case treekind::kStudios:
    case treekind::kStudio: return 1;
    case treekind::kClasses:
    case treekind::kClass: return 2;
    case treekind::kUsers:
    case treekind::kUser: return 3;
    default: return 0;
    }
}

QSplitter* MakeSplitter(Qt::Orientation orientation, QWidget* parent)
{
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setHandleWidth(kSplitterWidth);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

}  // namespace

CKestovaView::CKestovaView(CKestovaDoc& doc, CAppState& app, PlaceWindowFactory factory, QWidget* parent)
    : QWidget(parent), doc_(doc), app_(app), factory_(std::move(factory))
{
    int barWidth = 216;
    int barHeight = 244;
    if (app_.settings) {
        barWidth = app_.settings->readInt(SettingKey::RadiosWidth);
        barHeight = app_.settings->readInt(SettingKey::RadiosHeight);
    }

    tree_ = new CKestovaTreeCtrl(doc_, this);
    tree_->setObjectName(QStringLiteral("navigationTree"));
    bar_ = new CListWnd(app_.settings, this);
    bar_->setObjectName(QStringLiteral("categoryBar"));
    edit_ = new CEditWnd(this);
    title_ = new CContextWnd(app_.prefs.largeIcons ? 54 : 38, this);
    title_->setObjectName(QStringLiteral("titleStrip"));
    previous_ = new CKestovaButton(QStringLiteral("Previous"), AppIcon(QStringLiteral("previous")), kButtonSide, this);
    previous_->setObjectName(QStringLiteral("previousButton"));
    next_ = new CKestovaButton(QStringLiteral("Next"), AppIcon(QStringLiteral("next")), kButtonSide, this);
    next_->setObjectName(QStringLiteral("nextButton"));

    tree_->setMinimumSize(kMinTree);
    bar_->setMinimumSize(kMinCategoryBar);
    title_->setMinimumWidth(kMinTitleWidth);
    edit_->setMinimumSize(kMinEditPane);

    left_ = MakeSplitter(Qt::Vertical, this);
    left_->addWidget(tree_);
    left_->addWidget(bar_);
    left_->setStretchFactor(0, 1);
    left_->setStretchFactor(1, 0);
    left_->setSizes({400, barHeight});

    auto* titleRow = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(titleRow);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    rowLayout->addWidget(title_, 1);
    rowLayout->addWidget(previous_);
    rowLayout->addWidget(next_);
    titleRow->setMinimumHeight(std::max(title_->sizeHint().height(), kButtonSide));

    right_ = MakeSplitter(Qt::Vertical, this);
    right_->addWidget(titleRow);
    right_->addWidget(edit_);
    right_->setStretchFactor(0, 0);
    right_->setStretchFactor(1, 1);
    right_->setSizes({titleRow->minimumHeight(), 600});

    columns_ = MakeSplitter(Qt::Horizontal, this);
    columns_->addWidget(left_);
    columns_->addWidget(right_);
    columns_->setStretchFactor(0, 0);
    columns_->setStretchFactor(1, 1);
    columns_->setSizes({barWidth + 4, 800});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(columns_);

    edit_->tabs()->applyTabSet(tabvalue::kResources | tabvalue::kFeatures);

    connect(tree_, &CKestovaTreeCtrl::selectionChanging, this, [this](std::uint32_t) {
        selectionChanging(paneid::kTree);
        QMetaObject::invokeMethod(this, [this] { selectionChanged(paneid::kTree); }, Qt::QueuedConnection);
    });
    connect(bar_, &CListWnd::selectionChanging, this, [this](int) { selectionChanging(paneid::kCategoryBar); });
    connect(bar_, &CListWnd::clicked, this, [this](int) { selectionChanged(paneid::kCategoryBar); });
    connect(bar_, &CListWnd::activated, this, [this] { requestFocus(paneid::kCategoryBar, 2); });
    connect(bar_, &CListWnd::rebuildRequested, this, [this] { rebuildCategories(); });
    connect(edit_->tabs(), &CKestovaTabCtrl::tabChosen, this, [this](int) { selectionChanged(paneid::kTabs); });
    // Undo and redo change the model under the open window: values repaint; studios, classes and
    // users rebuild the tree and the window.
    connect(&doc_, &CKestovaDoc::accessChanged, this, [this] {
        if (window_)
            window_->update();
    });
    connect(&doc_, &CKestovaDoc::structureChanged, this, [this] { rebuildAfterStructureChange(); });
    connect(previous_, &CKestovaButton::clickedWith, this,
            [this](Qt::KeyboardModifiers m) { runCommand(paneid::kPrevious, m); });
    connect(next_, &CKestovaButton::clickedWith, this,
            [this](Qt::KeyboardModifiers m) { runCommand(paneid::kNext, m); });
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget*, QWidget* now) { rememberFocusOwner(now); });

    createActions();
}

CKestovaView::~CKestovaView()
{
    // The children go after this destructor: nothing they or the application signal on the way
    // may reach the half-destroyed view.
    disconnect(focusConnection_);
    for (QObject* sender : std::initializer_list<QObject*>{tree_, bar_, edit_->tabs(), previous_, next_})
        sender->disconnect(this);
    if (window_)
        window_->disconnect(this);
    // Kept so that the next start shows the bar at the same size: the creation adds the 4 back.
    // A view that was never shown has no layout worth keeping.
    if (app_.settings && shown_) {
        app_.settings->writeInt(SettingKey::RadiosWidth, std::max(0, bar_->width() - 4));
        app_.settings->writeInt(SettingKey::RadiosHeight, bar_->height());
    }
    delete window_.data();
}

void CKestovaView::createActions()
{
    struct Command {
        int id;
        const char* text;
        QList<QKeySequence> keys;
    };
    const Command commands[] = {
        {viewcmd::kNextCategoryOrNode, "Next Category", {QKeySequence(Qt::SHIFT | Qt::Key_PageDown)}},
        {viewcmd::kPreviousCategoryOrNode, "Previous Category", {QKeySequence(Qt::SHIFT | Qt::Key_PageUp)}},
        {viewcmd::kNextNode, "Next Item", {QKeySequence(Qt::CTRL | Qt::Key_PageDown)}},
        {viewcmd::kPreviousNode, "Previous Item", {QKeySequence(Qt::CTRL | Qt::Key_PageUp)}},
        {viewcmd::kNextPane, "Next Pane", {QKeySequence(Qt::Key_F6)}},
        {viewcmd::kPreviousPane, "Previous Pane", {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
        {viewcmd::kNextStep, "Next", {QKeySequence(Qt::CTRL | Qt::Key_Tab)}},
        // Shift+Tab arrives as Backtab on some platforms.
        {viewcmd::kPreviousStep,
         "Previous",
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)}},
    };
    for (const Command& c : commands) {
        auto* action = new QAction(QString::fromLatin1(c.text), this);
        action->setData(c.id);
        action->setShortcuts(c.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = c.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        actions_.append(action);
    }
}

void CKestovaView::rebuild()
{
    edit_->setPage(nullptr);
    delete window_.data();
    tree_->fill();
    rebuildCategories();
    tree_->selectIndex(tree_->intercomIndex());
    postFocusRequest(paneid::kTree, 1);
}

void CKestovaView::rebuildAfterStructureChange()
{
    // The tree's rows followed the change: the row that was shown is still current when it exists
    // (renamed or moved), otherwise its folder takes over. The window is built anew from the
    // model, whatever it showed before.
    QModelIndex target = shownIndex_;
    if (!target.isValid())
        target = tree_->fixedIndex(FolderOfTreeKind(shownKind_));
    tree_->selectQuietly(target);
    selectionChanged(focusPane_);
}

void CKestovaView::rebuildCategories()
{
    bar_->rebuild(nav::AvailableCategoryRows(app_.intercom));
    bar_->enableForKind(tree_->selectedKind());
}

void CKestovaView::selectionChanging(int source)
{
    const int kind = tree_->selectedKind();
    const QPointer<QWidget> hadFocus = QApplication::focusWidget();
    if (bar_->enableForKind(kind)) {
        // Selecting from code notifies again, which applies the tab set of the new category.
        if (const int first = bar_->firstEnabledPosition(); first >= 0)
            bar_->selectPosition(first);
    }
    if (source != paneid::kTabs) {
        if (const nav::Category* category = nav::CategoryAt(bar_->selectedRow()))
            applyTabSet(nav::TabSet(category->group, kind));
    }
    if (hadFocus && hadFocus != QApplication::focusWidget() && hadFocus->isVisible() && hadFocus->isEnabled())
        hadFocus->setFocus(Qt::OtherFocusReason);
}

void CKestovaView::applyTabSet(int set)
{
    edit_->tabs()->applyTabSet(set);
    edit_->relayout();
}

void CKestovaView::selectionChanged(int source)
{
    if (source == paneid::kEditPane)
        rebuildCategories();  // the configuration may have gained or lost resource types
    selectionChanging(source);
    shownIndex_ = tree_->currentIndex();
    shownKind_ = tree_->selectedKind();
    updateTitle();
    if (bar_->selectedRow() >= 0)
        replaceWindow(source);
}

void CKestovaView::updateTitle()
{
    const QModelIndex item = tree_->currentIndex();
    const QString treePart = item.isValid() ? nav::TreeTitle(tree_->selectedKind(), tree_->selectedText()) : QString();
    const nav::Category* category = nav::CategoryAt(bar_->selectedRow());
    const QString categoryPart = category ? QString::fromUtf16(category->singular) : QString();
    const CKestovaTabCtrl* tabs = edit_->tabs();
    const QString tabPart = tabs->currentIndex() >= 0 ? tabs->tabText(tabs->currentIndex()) : QString();
    title_->setText(nav::JoinTitle(treePart, categoryPart, tabPart));
}

void CKestovaView::replaceWindow(int source)
{
    WaitCursor wait;
    const bool editHadFocus = Contains(edit_, QApplication::focusWidget());
    doc_.selection().commit();

    const nav::Category* category = nav::CategoryAt(bar_->selectedRow());
    Place place;
    place.treeKind = tree_->selectedKind();
    const EntityKind entity = EntityOfTreeKind(place.treeKind);
    if (entity != EntityKind::None)
        place.entityName = tree_->selectedText();
    place.categoryRow = category ? category->row : -1;
    place.resourceType = category ? category->resourceType : nav::kNoResourceType;
    place.tab = edit_->tabs()->selectedValue();

    if (nav::HasWindow(place)) {
        if (entity != EntityKind::None)
            doc_.selection().select(place.entityName.toStdU16String(), entity);
        edit_->setPage(nullptr);
        if (editHadFocus)
            edit_->setFocus(Qt::OtherFocusReason);  // keeps the focus from wandering to another pane
        delete window_.data();
        CPlaceWindow* window = factory_ ? factory_(place, doc_, app_, edit_) : nullptr;
        window_ = window;
        if (window) {
            window->hide();
            if (const int help = nav::HelpContextFor(place))
                window->setHelpContext(help);
            connect(window, &CPlaceWindow::focusGained, this, [this] { requestFocus(paneid::kEditPane, 2); });
            connect(window, &CPlaceWindow::statusMessage, this, &CKestovaView::statusMessage);
            edit_->setPage(window);
            window->show();
        }
    }
    if (editHadFocus)
        postFocusRequest(paneid::kEditPane, 1);  // the new window takes over the keyboard
    else
        postFocusRequest(source, 0);
}

int CKestovaView::currentHelpContext() const
{
    return window_ ? window_->helpContext() : 0;
}

void CKestovaView::runCommand(int id, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (id) {
    case paneid::kNext: step(true, shift, ctrl, true); break;
    case paneid::kPrevious: step(false, shift, ctrl, true); break;
    case viewcmd::kNextStep: step(true, false, false, false); break;
    case viewcmd::kPreviousStep: step(false, false, false, false); break;
    case viewcmd::kNextCategoryOrNode: step(true, true, false, false); break;
    case viewcmd::kPreviousCategoryOrNode: step(false, true, false, false); break;
    case viewcmd::kNextNode: treeStep(true); break;
    case viewcmd::kPreviousNode: treeStep(false); break;
    case viewcmd::kNextPane: cyclePane(true); break;
    case viewcmd::kPreviousPane: cyclePane(false); break;
    default: break;
    }
}

void CKestovaView::step(bool forward, bool shift, bool ctrl, bool fromButton)
{
    CKestovaTabCtrl* tabs = edit_->tabs();
    nav::StepState state;
    state.tabCount = tabs->count();
    state.tabIndex = tabs->currentIndex();
    state.buttonEnabled = bar_->enabledPositions();
    state.buttonIndex = bar_->selectedPosition();
    const nav::StepPlan plan = nav::PlanStep(state, forward, shift, ctrl);
    const auto selectEndTab = [&] {
        if (tabs->count() > 0)
            tabs->selectIndex(forward ? 0 : tabs->count() - 1);
    };

    switch (plan.kind) {
    case nav::StepKind::Nothing: break;
    case nav::StepKind::Tab:
        tabs->selectIndex(plan.target);
        selectionChanged(paneid::kTabs);
        break;
    case nav::StepKind::Category:
        bar_->selectPosition(plan.target);
        if (plan.resetTab)
            selectEndTab();
        selectionChanged(paneid::kCategoryBar);
        break;
    case nav::StepKind::TreeNode:
        // The tree posts its own selection changed, which builds the window for the final place.
        if (treeStep(forward) && !plan.onlyNode) {
            bar_->selectPosition(forward ? bar_->firstEnabledPosition() : bar_->lastEnabledPosition());
            selectEndTab();
        }
        break;
    }
    if (fromButton)
        postFocusRequest(paneid::kEditPane, 1);
}

bool CKestovaView::treeStep(bool forward)
{
    const QModelIndex current = tree_->currentIndex();
    return tree_->selectIndex(forward ? nav::NextTreeNode(current) : nav::PreviousTreeNode(current));
}

void CKestovaView::cyclePane(bool forward)
{
    static constexpr int kOrder[] = {paneid::kTree, paneid::kCategoryBar, paneid::kEditPane};
    int at = 0;
    for (int i = 0; i < 3; ++i)
        if (kOrder[i] == focusPane_)
            at = i;
    requestFocus(kOrder[(at + (forward ? 1 : 2)) % 3], 1);
}

void CKestovaView::postFocusRequest(int pane, int mode)
{
    QMetaObject::invokeMethod(this, [this, pane, mode] { requestFocus(pane, mode); }, Qt::QueuedConnection);
}

QWidget* CKestovaView::paneWidget(int pane) const
{
    switch (NormalPane(pane)) {
    case paneid::kTree: return tree_;
    case paneid::kCategoryBar: return bar_;
    default: break;
    }
    if (!window_)
        return edit_;
    if (window_->focusProxy() || window_->focusPolicy() != Qt::NoFocus)
        return window_;
    // The first control of the window that takes the focus.
    for (QWidget* w = window_->nextInFocusChain(); w && w != window_; w = w->nextInFocusChain())
        if (window_->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window_) && w->isEnabled())
            return w;
    return window_;
}

void CKestovaView::requestFocus(int pane, int mode)
{
    pane = NormalPane(pane);
    if (mode == 2 || (mode == 0 && pane == focusPane_)) {
        focusPane_ = pane;
        return;
    }
    focusPane_ = pane;
    if (QWidget* target = paneWidget(pane))
        target->setFocus(Qt::OtherFocusReason);
}

void CKestovaView::rememberFocusOwner(QWidget* now)
{
    if (Contains(tree_, now))
        focusPane_ = paneid::kTree;
    else if (Contains(bar_, now))
        focusPane_ = paneid::kCategoryBar;
    else if (Contains(edit_, now))
        focusPane_ = paneid::kEditPane;
}

void CKestovaView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    shown_ = true;
}

void CKestovaView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    requestFocus(focusPane_, 1);
}

}  // namespace vexilor
