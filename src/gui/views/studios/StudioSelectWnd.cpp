#include "views/studios/StudioSelectWnd.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/Strings.h"
#include "document/EntityEdits.h"
#include "document/KestovaDoc.h"
#include "views/nodes/NodeIcons.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace vexilor {

namespace {

constexpr int kOpRole = Qt::UserRole + 1;

QTreeView* makeList(QStandardItemModel* model, QWidget* parent)
{
    auto* list = new QTreeView(parent);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setAllColumnsShowFocus(true);
    list->setSortingEnabled(false);
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(true);
    return list;
}

}  // namespace

CStudioSelectWnd::CStudioSelectWnd(CKestovaDoc& doc, const CAppState& app, EntityKind kind, const QString& name,
                                   QWidget* parent)
    : CPlaceWindow(parent), doc_(doc), app_(app), kind_(kind), name_(name)
{
    const bool isUser = kind == EntityKind::User;
    classLabel_ = new QLabel(strings::Text(3431), this);
    classes_ = new QComboBox(this);
    classLabel_->setBuddy(classes_);
    classLabel_->setVisible(isUser);
    classes_->setVisible(isUser);
    classes_->setEnabled(isUser);

    availableRows_ = new QStandardItemModel(0, 1, this);
    availableRows_->setHorizontalHeaderLabels({strings::Text(3433)});
    selectedRows_ = new QStandardItemModel(0, 2, this);
    selectedRows_->setHorizontalHeaderLabels({strings::Text(3434), strings::Text(3433)});
    available_ = makeList(availableRows_, this);
    selected_ = makeList(selectedRows_, this);
    selected_->setColumnWidth(0, 40);

    const QSize iconSize = app.prefs.largeIcons ? QSize(32, 32) : QSize(16, 16);
    auto makeButton = [&](int textId, NodeIconId icon, int tipId) {
        auto* b = new QPushButton(NodeIcon(icon), strings::Text(textId), this);
        b->setIconSize(iconSize);
        if (tipId)
            b->setStatusTip(strings::Text(tipId));
        return b;
    };
    include_ = makeButton(3435, NodeIconId::Include, 3450);
    exclude_ = makeButton(3436, NodeIconId::Exclude, 3451);
    remove_ = makeButton(3437, NodeIconId::Remove, 3452);
    moveUp_ = makeButton(3438, NodeIconId::MoveUp, 3453);
    moveDown_ = makeButton(3439, NodeIconId::MoveDown, 3454);
    allowAll_ = makeButton(3441, NodeIconId::AllowAll, 0);
    denyAll_ = makeButton(3442, NodeIconId::DenyAll, 0);
    inheritAll_ = makeButton(3443, NodeIconId::InheritAll, 0);

    connect(include_, &QPushButton::clicked, this, &CStudioSelectWnd::include);
    connect(exclude_, &QPushButton::clicked, this, &CStudioSelectWnd::exclude);
    connect(remove_, &QPushButton::clicked, this, &CStudioSelectWnd::remove);
    connect(moveUp_, &QPushButton::clicked, this, &CStudioSelectWnd::moveUp);
    connect(moveDown_, &QPushButton::clicked, this, &CStudioSelectWnd::moveDown);
    connect(allowAll_, &QPushButton::clicked, this, &CStudioSelectWnd::allowAll);
    connect(denyAll_, &QPushButton::clicked, this, &CStudioSelectWnd::denyAll);
    connect(inheritAll_, &QPushButton::clicked, this, &CStudioSelectWnd::inheritAll);
    connect(available_, &QTreeView::doubleClicked, this, &CStudioSelectWnd::include);

    // Layout: class row; the two lists with the buttons between; an etched line; the set-all row.
    auto* classRow = new QHBoxLayout;
    classRow->setSpacing(0);
    classRow->addWidget(classLabel_, 10);
    classRow->addWidget(classes_, 25);
    classRow->addStretch(65);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(8);
    for (QPushButton* b : {include_, exclude_, remove_, moveUp_, moveDown_})
        middle->addWidget(b);
    middle->addStretch(1);
    auto* lists = new QHBoxLayout;
    lists->setSpacing(12);
    lists->addWidget(available_, 35);
    lists->addLayout(middle);
    lists->addWidget(selected_, 35);
    lists->addStretch(30);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedHeight(2);
    auto* permissions = new QLabel(strings::Text(3440), this);

    auto* setAllRow = new QHBoxLayout;
    setAllRow->setSpacing(8);
    setAllRow->addWidget(allowAll_);
    setAllRow->addWidget(denyAll_);
    setAllRow->addWidget(inheritAll_);
    setAllRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    if (isUser)
        layout->addLayout(classRow);
    layout->addLayout(lists, 1);
    layout->addWidget(line);
    layout->addWidget(permissions);
    layout->addLayout(setAllRow);

    populate();
    connect(classes_, &QComboBox::currentIndexChanged, this, &CStudioSelectWnd::classChosen);
    connect(available_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CStudioSelectWnd::updateEnabling);
    connect(selected_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CStudioSelectWnd::updateEnabling);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            Q_EMIT focusGained();
    });
    updateEnabling();
    setFocusProxy(available_);
}

QPushButton* CStudioSelectWnd::button(int id) const
{
    switch (id) {
    case kInclude: return include_;
    case kExclude: return exclude_;
    case kRemove: return remove_;
    case kMoveUp: return moveUp_;
    case kMoveDown: return moveDown_;
    case kAllowAll: return allowAll_;
    case kDenyAll: return denyAll_;
    case kInheritAll: return inheritAll_;
    default: return nullptr;
    }
}

void CStudioSelectWnd::populate()
{
    selectedRows_->removeRows(0, selectedRows_->rowCount());
    for (const StudioRef& ref : doc_.model().studioRefs(kind_, name_.toStdU16String())) {
        appendSelected(QString::fromStdU16String(ref.studio), ref.op);
    }
    fillAvailable();
    if (selectedRows_->rowCount() > 0)
        selected_->selectionModel()->setCurrentIndex(selectedRows_->index(0, 0), QItemSelectionModel::NoUpdate);

    if (kind_ == EntityKind::User) {
        const QSignalBlocker block(classes_);
        classes_->clear();
        classes_->addItem(strings::Text(3432), 0);
        std::vector<std::u16string> names;
        CKestovaEnumerator collector(names);
        doc_.model().names(EntityKind::Class, collector);
        for (const std::u16string& n : names)
            classes_->addItem(QString::fromStdU16String(n), 1);
        const int index = classes_->findText(QString::fromStdU16String(doc_.model().classOf(name_.toStdU16String())),
                                             Qt::MatchExactly | Qt::MatchCaseSensitive);
        classes_->setCurrentIndex(index > 0 ? index : 0);
    }
}

void CStudioSelectWnd::fillAvailable()
{
    doc_.refreshNameLists();
    QStringList taken;
    for (int r = 0; r < selectedRows_->rowCount(); ++r)
        taken.append(selectedRows_->item(r, 1)->text());
    availableRows_->removeRows(0, availableRows_->rowCount());
    for (const QString& studio : doc_.studioNames()) {
        if (!taken.contains(studio, Qt::CaseSensitive))
            availableRows_->appendRow(new QStandardItem(KindIcon(EntityKind::Studio), studio));
    }
    if (availableRows_->rowCount() > 0)
        available_->selectionModel()->setCurrentIndex(availableRows_->index(0, 0), QItemSelectionModel::NoUpdate);
}

void CStudioSelectWnd::appendSelected(const QString& studio, StudioOp op)
{
    // A "studio=" reference read from a file has no button of its own; it is shown as "=" and kept
    // as it is, so that a commit never drops it.
    auto* image = op == StudioOp::Set
        ? new QStandardItem(QStringLiteral("="))
        : new QStandardItem(NodeIcon(op == StudioOp::Add ? NodeIconId::Include : NodeIconId::Exclude), QString());
    image->setData(static_cast<int>(op), kOpRole);
    selectedRows_->appendRow({image, new QStandardItem(studio)});
}

QStringList CStudioSelectWnd::availableNames() const
{
    QStringList names;
    for (int r = 0; r < availableRows_->rowCount(); ++r)
        names.append(availableRows_->item(r, 0)->text());
    return names;
}

std::vector<StudioRef> CStudioSelectWnd::selectedRefs() const
{
    std::vector<StudioRef> refs;
    for (int r = 0; r < selectedRows_->rowCount(); ++r) {
        refs.push_back({selectedRows_->item(r, 1)->text().toStdU16String(),
                        static_cast<StudioOp>(selectedRows_->item(r, 0)->data(kOpRole).toInt())});
    }
    return refs;
}

QList<int> CStudioSelectWnd::selectedRowsOf(const QTreeView* list) const
{
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows(0))
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CStudioSelectWnd::selectAvailable(const QList<int>& rows)
{
    QItemSelection s;
    for (int r : rows)
        s.select(availableRows_->index(r, 0), availableRows_->index(r, 0));
    available_->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CStudioSelectWnd::selectSelected(const QList<int>& rows)
{
    QItemSelection s;
    for (int r : rows)
        s.select(selectedRows_->index(r, 0), selectedRows_->index(r, 1));
    selected_->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CStudioSelectWnd::commitRefs()
{
    if (doc_.isReadOnly())
        return;
    SetStudioRefs(doc_, kind_, name_, selectedRefs());
    fillAvailable();
    updateEnabling();
}

void CStudioSelectWnd::addFromAvailable(StudioOp op)
{
    const QList<int> rows = selectedRowsOf(available_);
    if (doc_.isReadOnly() || rows.isEmpty())
        return;
    const std::vector<StudioRef> current = selectedRefs();
    for (int r : rows) {
        const QString studio = availableRows_->item(r, 0)->text();
        const bool present = std::any_of(current.begin(), current.end(),
                                         [&](const StudioRef& ref) { return ref.studio == studio.toStdU16String(); });
        if (!present)
            appendSelected(studio, op);
    }
    commitRefs();
}

void CStudioSelectWnd::include()
{
    addFromAvailable(StudioOp::Add);
}

void CStudioSelectWnd::exclude()
{
    addFromAvailable(StudioOp::Remove);
}

void CStudioSelectWnd::remove()
{
    const QList<int> rows = selectedRowsOf(selected_);
    if (doc_.isReadOnly() || rows.isEmpty())
        return;
    // From the bottom, so that the last one removed is the topmost.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        selectedRows_->removeRow(*it);
    const int above = std::max(0, rows.front() - 1);
    selected_->selectionModel()->clearSelection();
    if (above < selectedRows_->rowCount()) {
        selectSelected({above});
        selected_->selectionModel()->setCurrentIndex(selectedRows_->index(above, 0), QItemSelectionModel::NoUpdate);
    }
    commitRefs();
}

void CStudioSelectWnd::swapRows(int a, int b)
{
    const QList<QStandardItem*> first = selectedRows_->takeRow(std::max(a, b));
    selectedRows_->insertRow(std::min(a, b), first);
}

void CStudioSelectWnd::moveUp()
{
    const QList<int> rows = selectedRowsOf(selected_);
    if (doc_.isReadOnly() || rows.isEmpty())
        return;
    QList<int> moved;
    for (int r : rows) {
        if (r == 0)
            break;
        swapRows(r - 1, r);
        moved.append(r - 1);
    }
    if (!moved.isEmpty())
        selectSelected(moved + rows.mid(moved.size()));
    commitRefs();  // marks the document modified even when nothing moved
}

void CStudioSelectWnd::moveDown()
{
    const QList<int> rows = selectedRowsOf(selected_);
    if (doc_.isReadOnly() || rows.isEmpty() || rows.back() == selectedRows_->rowCount() - 1)
        return;
    QList<int> moved;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        swapRows(*it, *it + 1);
        moved.append(*it + 1);
    }
    selectSelected(moved);
    commitRefs();
}

void CStudioSelectWnd::setAll(int questionClass, int operation)
{
    if (doc_.isReadOnly() || name_.isEmpty())
        return;
    const int question = questionClass + (kind_ == EntityKind::User ? 3 : 0);
    if (Prompts::show(strings::Text(question, {name_}), Prompts::Icon::Question, Prompts::Buttons::YesNo)
        != Prompts::Answer::Yes)
        return;
    SetAll(doc_, kind_, name_, static_cast<SetAllOperation>(operation));
}

void CStudioSelectWnd::allowAll()
{
    setAll(3444, static_cast<int>(SetAllOperation::Allow));
}

void CStudioSelectWnd::denyAll()
{
    setAll(3445, static_cast<int>(SetAllOperation::Deny));
}

void CStudioSelectWnd::inheritAll()
{
    setAll(3446, static_cast<int>(SetAllOperation::Inherit));
}

void CStudioSelectWnd::classChosen(int index)
{
    if (kind_ != EntityKind::User || index < 0)
        return;
    if (doc_.isReadOnly()) {
        // Put the user's class back.
        const QSignalBlocker block(classes_);
        const int current = classes_->findText(QString::fromStdU16String(doc_.model().classOf(name_.toStdU16String())),
                                               Qt::MatchExactly | Qt::MatchCaseSensitive);
        classes_->setCurrentIndex(current > 0 ? current : 0);
        return;
    }
    const QString className = classes_->itemData(index).toInt() == 0 ? QString() : classes_->itemText(index);
    SetClassOfUser(doc_, name_, className);
}

void CStudioSelectWnd::updateEnabling()
{
    const bool editable = !doc_.isReadOnly();
    const bool fromAvailable = editable && available_->selectionModel()->hasSelection();
    const bool fromSelected = editable && selected_->selectionModel()->hasSelection();
    include_->setEnabled(fromAvailable);
    exclude_->setEnabled(fromAvailable);
    remove_->setEnabled(fromSelected);
    moveUp_->setEnabled(fromSelected);
    moveDown_->setEnabled(fromSelected);
    allowAll_->setEnabled(editable);
    denyAll_->setEnabled(editable);
    inheritAll_->setEnabled(editable);
}

void CStudioSelectWnd::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    auto addEntry = [&](QPushButton* b, void (CStudioSelectWnd::*slot)()) {
        QAction* a = menu.addAction(b->icon(), b->text());
        a->setEnabled(b->isEnabled());
        a->setStatusTip(b->statusTip());
        connect(a, &QAction::triggered, this, slot);
    };
    if (available_->hasFocus()) {
        addEntry(include_, &CStudioSelectWnd::include);
        addEntry(exclude_, &CStudioSelectWnd::exclude);
    } else if (selected_->hasFocus()) {
        addEntry(remove_, &CStudioSelectWnd::remove);
        addEntry(moveUp_, &CStudioSelectWnd::moveUp);
        addEntry(moveDown_, &CStudioSelectWnd::moveDown);
    } else {
        return;
    }
    menu.exec(event->globalPos());
}

}  // namespace vexilor
