#include "views/nodes/ListWithButtonsWnd.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "document/EntityEdits.h"
#include "document/KestovaDoc.h"
#include "views/nodes/DialogRunner.h"
#include "views/nodes/DlgAddUserClass.h"
#include "views/nodes/InputBoxEx.h"
#include "views/nodes/NameValidation.h"
#include "views/nodes/NodeIcons.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace vexilor {

namespace {

int kindIndex(EntityKind kind)
{
    return kind == EntityKind::Studio ? 0 : kind == EntityKind::Class ? 1 : 2;
}

// Heading ("Studios", "Classes", "Users") and the add / delete / rename prompts of each kind.
QString heading(EntityKind kind) { return strings::Text(3455 + kindIndex(kind)); }
QString addPrompt(EntityKind kind) { return strings::Text(3422 + kindIndex(kind)); }
QString deletePrompt(EntityKind kind) { return strings::Text(3425 + kindIndex(kind)); }
QString renamePrompt(EntityKind kind) { return strings::Text(3428 + kindIndex(kind)); }
// Help contexts of adding (311..313) and renaming (314..316) each kind.
int addHelp(EntityKind kind) { return 311 + kindIndex(kind); }
int renameHelp(EntityKind kind) { return 314 + kindIndex(kind); }

const QStringList& namesOf(const CKestovaDoc& doc, EntityKind kind)
{
    return kind == EntityKind::Studio ? doc.studioNames() : kind == EntityKind::Class ? doc.classNames()
                                                                                      : doc.userNames();
}

}  // namespace

CListWithButtonsWnd::CListWithButtonsWnd(CKestovaDoc& doc, const CAppState& app, EntityKind kind, QWidget* parent)
    : CPlaceWindow(parent), doc_(doc), app_(app), kind_(kind)
{
    rows_ = new QStandardItemModel(0, 2, this);
    rows_->setHorizontalHeaderLabels({heading(kind), QString()});
    list_ = new QTreeView(this);
    list_->setModel(rows_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionsClickable(false);
    list_->setColumnWidth(0, 180);

    const int buttonHeight = app.prefs.largeIcons ? 46 : 30;
    const QSize iconSize = app.prefs.largeIcons ? QSize(32, 32) : QSize(16, 16);
    auto makeButton = [&](const QString& text, const QIcon& icon, const QString& tip) {
        auto* b = new QPushButton(icon, text, this);
        b->setIconSize(iconSize);
        b->setFixedHeight(buttonHeight);
        b->setStatusTip(tip);
        b->setMinimumWidth(100);
        return b;
    };
    add_ = makeButton(strings::Text(3419), NodeIcon(NodeIconId::Add), addPrompt(kind));
    delete_ = makeButton(strings::Text(3420), NodeIcon(NodeIconId::Delete), deletePrompt(kind));
    rename_ = makeButton(strings::Text(3421), NodeIcon(NodeIconId::Rename), renamePrompt(kind));

    // The same commands from the keyboard while the window has the focus, and in its context menu.
    auto makeAction = [&](const QString& text, const QKeySequence& key, const QString& tip) {
        auto* a = new QAction(QString(text), this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        a->setStatusTip(tip);
        addAction(a);
        return a;
    };
    addAction_ = makeAction(strings::Text(3419), QKeySequence(Qt::Key_Insert), addPrompt(kind));
    deleteAction_ = makeAction(strings::Text(3420), QKeySequence(QKeySequence::Delete), deletePrompt(kind));
    renameAction_ = makeAction(strings::Text(3421), QKeySequence(Qt::Key_F2), renamePrompt(kind));

    connect(add_, &QPushButton::clicked, this, &CListWithButtonsWnd::addEntity);
    connect(delete_, &QPushButton::clicked, this, &CListWithButtonsWnd::deleteSelected);
    connect(rename_, &QPushButton::clicked, this, &CListWithButtonsWnd::renameSelected);
    connect(addAction_, &QAction::triggered, this, &CListWithButtonsWnd::addEntity);
    connect(deleteAction_, &QAction::triggered, this, &CListWithButtonsWnd::deleteSelected);
    connect(renameAction_, &QAction::triggered, this, &CListWithButtonsWnd::renameSelected);
    connect(list_, &QTreeView::doubleClicked, this, &CListWithButtonsWnd::renameSelected);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addWidget(rename_);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(list_, 35);
    layout->addLayout(buttons);
    layout->addStretch(65);

    populate();
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CListWithButtonsWnd::updateEnabling);
    updateEnabling();
    setFocusProxy(list_);
}

void CListWithButtonsWnd::populate()
{
    doc_.refreshNameLists();
    rows_->removeRows(0, rows_->rowCount());
    for (const QString& name : namesOf(doc_, kind_)) {
        auto* item = new QStandardItem(KindIcon(kind_), name);
        rows_->appendRow({item, new QStandardItem});
    }
    if (rows_->rowCount() > 0)
        list_->selectionModel()->setCurrentIndex(rows_->index(0, 0), QItemSelectionModel::NoUpdate);
}

QStringList CListWithButtonsWnd::rowNames() const
{
    QStringList names;
    for (int r = 0; r < rows_->rowCount(); ++r)
        names.append(rows_->item(r, 0)->text());
    return names;
}

QList<int> CListWithButtonsWnd::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows(0))
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CListWithButtonsWnd::selectRows(const QList<int>& rows)
{
    QItemSelection selection;
    for (int r : rows)
        selection.select(rows_->index(r, 0), rows_->index(r, 1));
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CListWithButtonsWnd::updateEnabling()
{
    const bool editable = !doc_.isReadOnly();
    const int selected = static_cast<int>(selectedRows().size());
    add_->setEnabled(editable);
    delete_->setEnabled(editable && selected > 0);
    rename_->setEnabled(editable && selected == 1);
    addAction_->setEnabled(add_->isEnabled());
    deleteAction_->setEnabled(delete_->isEnabled());
    renameAction_->setEnabled(rename_->isEnabled());
}

void CListWithButtonsWnd::addEntity()
{
    if (doc_.isReadOnly())
        return;
    QString name;
    EntityKind copyKind = EntityKind::None;
    QString copyFrom;
    const int helpBefore = helpContext();
    setHelpContext(addHelp(kind_));
    if (kind_ == EntityKind::Studio) {
        CInputBoxEx box(strings::Text(3405), strings::Text(3406), QString(),
                        [this](const QString& text) {
                            return EntityNameProblem(doc_.model(), kind_, text,
                                                     FilesCodePage(doc_.app().prefs));
                        }, this);
        const bool ok = RunDialog(box) == QDialog::Accepted;
        setHelpContext(helpBefore);
        if (!ok)
            return;
        // The name is what was validated: trailing blanks would make a second, look-alike name.
        name = box.text();
        while (!name.isEmpty() && name.back().isSpace())
            name.chop(1);
    } else {
        CDlgAddUserClass dialog(doc_.model(), kind_, this, FilesCodePage(doc_.app().prefs));
        const bool ok = RunDialog(dialog) == QDialog::Accepted;
        setHelpContext(helpBefore);
        if (!ok)
            return;
        name = dialog.name();
        if (dialog.choice() == CDlgAddUserClass::CopyClass) {
            copyKind = EntityKind::Class;
            copyFrom = dialog.copyFrom();
        } else if (dialog.choice() == CDlgAddUserClass::CopyUser) {
            copyKind = EntityKind::User;
            copyFrom = dialog.copyFrom();
        }
    }
    if (!AddEntity(doc_, kind_, name, copyKind, copyFrom))
        return;
    rows_->appendRow({new QStandardItem(KindIcon(kind_), name), new QStandardItem});
    selectRows({rows_->rowCount() - 1});
    list_->setCurrentIndex(rows_->index(rows_->rowCount() - 1, 0));
}

void CListWithButtonsWnd::deleteSelected()
{
    const QList<int> rows = selectedRows();
    if (doc_.isReadOnly() || rows.isEmpty())
        return;
    if (Prompts::show(strings::Text(3403), Prompts::Icon::Question, Prompts::Buttons::YesNo) != Prompts::Answer::Yes)
        return;
    QStringList names;
    for (int r : rows)
        names.append(rows_->item(r, 0)->text());
    // One step for the whole selection; a referenced studio or class goes only when the user agrees.
    const QStringList deleted = DeleteEntities(doc_, kind_, names, [](const QString& name) {
        return Prompts::show(strings::Text(3404, {name}), Prompts::Icon::Question, Prompts::Buttons::YesNo)
            == Prompts::Answer::Yes;
    });
    int lastRemoved = -1;
    for (const QString& name : deleted) {
        const QList<QStandardItem*> found = rows_->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive, 0);
        if (!found.isEmpty()) {
            lastRemoved = found.front()->row();
            rows_->removeRow(lastRemoved);
        }
    }
    if (!deleted.isEmpty() && rows_->rowCount() > 0) {
        const int next = std::min(lastRemoved, rows_->rowCount() - 1);
        list_->setCurrentIndex(rows_->index(std::max(0, next), 0));
    }
    updateEnabling();
}

void CListWithButtonsWnd::renameSelected()
{
    const QList<int> rows = selectedRows();
    if (doc_.isReadOnly() || rows.size() != 1)
        return;
    QStandardItem* item = rows_->item(rows.front(), 0);
    const QString oldName = item->text();
    const int helpBefore = helpContext();
    setHelpContext(renameHelp(kind_));
    CInputBoxEx box(strings::Text(3407), strings::Text(3408), oldName,
                    [this](const QString& text) {
                            return EntityNameProblem(doc_.model(), kind_, text,
                                                     FilesCodePage(doc_.app().prefs));
                        }, this);
    const bool ok = RunDialog(box) == QDialog::Accepted;
    setHelpContext(helpBefore);
    if (!ok)
        return;
    QString newName = box.text();
    while (!newName.isEmpty() && newName.back().isSpace())
        newName.chop(1);
    if (!RenameEntity(doc_, kind_, oldName, newName))
        return;
    item->setText(newName);
}

void CListWithButtonsWnd::contextMenuEvent(QContextMenuEvent* event)
{
    updateEnabling();
    QMenu menu(this);
    menu.addAction(addAction_);
    menu.addAction(deleteAction_);
    menu.addAction(renameAction_);
    menu.exec(event->globalPos());
}

}  // namespace vexilor
