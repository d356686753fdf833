#include "views/lists/ListOnlyWnd.h"

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "document/KestovaDoc.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "widgets/ListFilter.h"
#include "widgets/WhyPane.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QVBoxLayout>

namespace vexilor {

namespace {

// The items of an empty list until the window populates.
class NoItems final : public ListItems {
public:
    int count() const override { return 0; }
    QString text(int, int) const override { return {}; }
    bool flag(int, int) const override { return false; }
};

QString listText(const char* text)
{
    return QCoreApplication::translate("vexilor::lists", text);
}

}  // namespace

CListOnlyWnd::CListOnlyWnd(CKestovaDoc& doc, const CAppState& app, std::span<const ListColumn> columns,
                           const QString& layoutKey, QWidget* parent)
    : CPlaceWindow(parent), doc_(doc), app_(app), layoutKey_(layoutKey)
{
    model_ = new CKestovaListModel(columns, std::make_unique<NoItems>(), this);
    model_->setExplainer([this](int item) { return explainItem(item); });
    filter_ = new CListFilter(this);
    list_ = new CKestovaListCtrl(model_, this);
    list_->setReadOnlyTest([this] { return readOnly(); });
    why_ = new CWhyPane(this);
    why_->hide();
    applyPreferences();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(filter_);
    layout->addWidget(list_, 1);
    layout->addWidget(why_);
    setFocusProxy(list_);
    setTabOrder(filter_, list_);
    connect(list_, &CKestovaListCtrl::focusGained, this, &CPlaceWindow::focusGained);
    connect(filter_, &CListFilter::focusGained, this, &CPlaceWindow::focusGained);
    connect(filter_, &QLineEdit::textChanged, this, &CListOnlyWnd::filterChanged);
    connect(filter_, &CListFilter::leaveRequested, list_, [this] { list_->setFocus(Qt::OtherFocusReason); });
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QAction::triggered, filter_, [this] {
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });
    addAction(find);

    // The why follows the current row and every repaint of the rows (edits, undo and redo).
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { refreshWhy(); });
    connect(model_, &QAbstractItemModel::dataChanged, this, [this] { refreshWhy(); });
    connect(&doc_, &CKestovaDoc::accessChanged, this, [this] { model_->allItemsChanged(); });
    connect(&app_, &CAppState::preferencesChanged, this, &CListOnlyWnd::preferencesChanged);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QMenu* menu = createContextMenu(this)) {
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(list_->viewport()->mapToGlobal(pos));
        }
    });

    addCommand(listcmd::kSelectAll, listText("&All"), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Asterisk)),
               listText("Select all list items"), &CListOnlyWnd::selectAll);
    addCommand(listcmd::kSelectNone, listText("&None"), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_0)),
               listText("De-select all list items."), &CListOnlyWnd::selectNone);
    addCommand(listcmd::kInvertSelection, listText("&Invert"),
               QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Slash)),
               listText("Toggle selection state of all list items."), &CListOnlyWnd::invertSelection);
}

CListOnlyWnd::~CListOnlyWnd()
{
    if (app_.settings)
        list_->saveLayout(*app_.settings, layoutKey_);
    // The children go after this destructor: what the model and the list signal on the way must
    // not reach the half-destroyed window.
    model_->setExplainer({});
    disconnect(model_, nullptr, this, nullptr);
    disconnect(list_->selectionModel(), nullptr, this, nullptr);
    disconnect(filter_, nullptr, this, nullptr);
}

bool CListOnlyWnd::readOnly() const
{
    return doc_.isReadOnly();
}

void CListOnlyWnd::applyPreferences()
{
    list_->setRequireDoubleClick(app_.prefs.requireDoubleClick);
    list_->setColors(app_.prefs.colors, app_.prefs.alternateLineShading);
}

void CListOnlyWnd::preferencesChanged(const Preferences&)
{
    applyPreferences();
    // The rows are read when painted: the alphas come back in the new length.
    model_->allItemsChanged();
    list_->viewport()->update();
}

void CListOnlyWnd::addCommand(int id, const QString& text, const QKeySequence& key, const QString& statusTip,
                              void (CListOnlyWnd::*slot)())
{
    addCommand(id, text, key, statusTip, [this, slot] { (this->*slot)(); });
}

void CListOnlyWnd::addCommand(int id, const QString& text, const QKeySequence& key, const QString& statusTip,
                              std::function<void()> run)
{
    auto* action = new QAction(text, this);
    // A number-pad key also answers as the same key without the pad: X11 reports Ctrl with a pad
    // key so that it never matches a pad-only shortcut, and a laptop has no pad.
    QList<QKeySequence> keys{key};
    if (key.count() == 1 && (key[0].keyboardModifiers() & Qt::KeypadModifier))
        keys << QKeySequence(QKeyCombination(key[0].keyboardModifiers() & ~Qt::KeypadModifier, key[0].key()));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setStatusTip(statusTip);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    connect(action, &QAction::hovered, this, [this, statusTip] { Q_EMIT statusMessage(statusTip); });
    addAction(action);
    commands_.insert(id, action);
}

QAction* CListOnlyWnd::command(int id) const
{
    return commands_.value(id, nullptr);
}

void CListOnlyWnd::setFilterText(const QString& text)
{
    filter_->setText(text);
}

QString CListOnlyWnd::rowsShownText() const
{
    if (list_->filterText().isEmpty())
        return {};
    return listText("%1 of %2 rows shown").arg(list_->model()->rowCount()).arg(model_->rowCount());
}

void CListOnlyWnd::filterChanged(const QString& text)
{
    list_->setFilterText(text);
    refreshWhy();
    Q_EMIT statusMessage(rowsShownText());
}

QString CListOnlyWnd::explainItem(int) const
{
    return {};
}

void CListOnlyWnd::refreshWhy()
{
    if (!explainsAccess()) {
        why_->hide();
        why_->clear();
        return;
    }
    const QModelIndex current = list_->currentIndex();
    why_->setText(current.isValid() ? explainItem(list_->sortProxy()->mapToSource(current).row()) : QString());
    why_->show();
}

void CListOnlyWnd::selectAll()
{
    list_->selectAllRows();
}

void CListOnlyWnd::selectNone()
{
    list_->selectNoRows();
}

void CListOnlyWnd::invertSelection()
{
    list_->invertSelection();
}

void CListOnlyWnd::populate(bool restoreLayout)
{
    list_->setUpdatesEnabled(false);
    model_->setItems(makeItems());
    if (restoreLayout && app_.settings)
        list_->restoreLayout(*app_.settings, layoutKey_);
    if (model_->rowCount() > 0)
        list_->selectionModel()->setCurrentIndex(list_->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    list_->setUpdatesEnabled(true);
    refreshWhy();
    if (!list_->filterText().isEmpty())
        Q_EMIT statusMessage(rowsShownText());
}

void CListOnlyWnd::configurationChanged()
{
    applyPreferences();
    populate(false);
}

QMenu* CListOnlyWnd::createContextMenu(QWidget* parent)
{
    if (contextMenuId() == 0 || readOnly())
        return nullptr;
    auto* menu = new QMenu(parent);
    const bool inclusion = contextMenuId() == 131;
    auto popup = [&](const QString& title, std::initializer_list<int> ids) {
        QMenu* sub = menu->addMenu(title);
        for (int id : ids)
            if (QAction* a = command(id))
                sub->addAction(a);
    };
    popup(inclusion ? listText("&Include") : listText("&Allow"), {listcmd::kAllowSelected, listcmd::kAllowAll});
    popup(inclusion ? listText("&Exclude") : listText("&Deny"), {listcmd::kDenySelected, listcmd::kDenyAll});
    if (!inclusion)
        popup(listText("I&nherit"), {listcmd::kInheritSelected, listcmd::kInheritAll});
    popup(listText("&Select"), {listcmd::kSelectAll, listcmd::kSelectNone, listcmd::kInvertSelection});
    return menu;
}

}  // namespace vexilor
