#include "views/NavigationModel.h"

#include "document/KestovaDoc.h"
#include "views/PlaceWindow.h"
#include "widgets/Icons.h"

#include <QFont>
#include <QIcon>

#include <algorithm>

namespace vexilor {
namespace {

// internalId of an index: 0 the root, 1 a folder, 2 + the folder's row an entity of that folder.
constexpr quintptr kRootId = 0;
constexpr quintptr kFolderId = 1;
constexpr quintptr kFirstEntityId = 2;

constexpr int kFolderKind[3] = {treekind::kStudios, treekind::kClasses, treekind::kUsers};
constexpr int kEntityKind[3] = {treekind::kStudio, treekind::kClass, treekind::kUser};
constexpr const char16_t* kFolderText[3] = {u"Studios", u"Classes", u"Users"};

int folderOf(EntityKind kind)
{
    switch (kind) {
    case EntityKind::Studio: return 0;
    case EntityKind::Class: return 1;
    case EntityKind::User: return 2;
    case EntityKind::None: break;
    }
    return -1;
}

std::uint32_t makeData(int kind, int index)
{
    return (std::uint32_t(kind) << 16) | (std::uint32_t(index) & 0xFFFFu);
}

QIcon kindIcon(int kind)
{
    using namespace treekind;
    switch (kind) {
    case kIntercom: return AppIcon(QStringLiteral("intercom"));
    case kStudios:
    case kStudio: return AppIcon(QStringLiteral("studio"));
    case kClasses:
    case kClass: return AppIcon(QStringLiteral("class"));
    default: return AppIcon(QStringLiteral("user"));
    }
}

}  // namespace

CNavigationModel::CNavigationModel(CKestovaDoc& doc, QObject* parent) : QAbstractItemModel(parent), doc_(doc)
{
    connect(&doc_, &CKestovaDoc::entityAdded, this, &CNavigationModel::onAdded);
    connect(&doc_, &CKestovaDoc::entityRemoved, this, &CNavigationModel::onRemoved);
    connect(&doc_, &CKestovaDoc::entityRenamed, this, &CNavigationModel::onRenamed);
    connect(&doc_, &CKestovaDoc::nameListsReset, this, [this] {
        if (filled_)
            reset();
    });
}

void CNavigationModel::reset()
{
    if (doc_.model().loaded())
        doc_.refreshNameLists();  // a model filled without the document's entry points
    ++changing_;
    beginResetModel();
    const bool loaded = doc_.model().loaded();
    names_[0] = loaded ? doc_.studioNames() : QStringList();
    names_[1] = loaded ? doc_.classNames() : QStringList();
    names_[2] = loaded ? doc_.userNames() : QStringList();
    filled_ = true;
    endResetModel();
    --changing_;
}

QStringList* CNavigationModel::namesOf(EntityKind kind)
{
    const int folder = folderOf(kind);
    return folder < 0 ? nullptr : &names_[std::size_t(folder)];
}

void CNavigationModel::onAdded(EntityKind kind, int at, const QString& name)
{
    QStringList* names = namesOf(kind);
    if (!filled_)
        return;
    if (!names || at < 0 || at > names->size())
        return reset();
    ++changing_;
    beginInsertRows(folderIndex(kind), at, at);
    names->insert(at, name);
    endInsertRows();
    --changing_;
}

void CNavigationModel::onRemoved(EntityKind kind, int at)
{
    QStringList* names = namesOf(kind);
    if (!filled_)
        return;
    if (!names || at < 0 || at >= names->size())
        return reset();
    ++changing_;
    beginRemoveRows(folderIndex(kind), at, at);
    names->removeAt(at);
    endRemoveRows();
    --changing_;
}

void CNavigationModel::onRenamed(EntityKind kind, int from, int to, const QString& name)
{
    QStringList* names = namesOf(kind);
    if (!filled_)
        return;
    if (!names || from < 0 || from >= names->size() || to < 0 || to >= names->size())
        return reset();
    const QModelIndex folder = folderIndex(kind);
    ++changing_;
    if (from != to) {
        // The destination counts the rows before the move: one more when moving down.
        beginMoveRows(folder, from, from, folder, to > from ? to + 1 : to);
        names->move(from, to);
        (*names)[to] = name;
        endMoveRows();
    } else {
        (*names)[to] = name;
    }
    // The moved rows' indexes into the name list shift with them.
    const int first = std::min(from, to);
    const int last = std::max(from, to);
    Q_EMIT dataChanged(index(first, 0, folder), index(last, 0, folder));
    --changing_;
}

QModelIndex CNavigationModel::fixedIndex(int which) const
{
    if (which == 0)
        return rootIndex();
    return which >= 1 && which <= 3 ? index(which - 1, 0, rootIndex()) : QModelIndex();
}

QModelIndex CNavigationModel::folderIndex(EntityKind kind) const
{
    const int folder = folderOf(kind);
    return folder < 0 ? QModelIndex() : fixedIndex(folder + 1);
}

QModelIndex CNavigationModel::entityIndex(EntityKind kind, const QString& name) const
{
    const int folder = folderOf(kind);
    if (folder < 0)
        return {};
    const int row = int(names_[std::size_t(folder)].indexOf(name));
    return row < 0 ? QModelIndex() : index(row, 0, folderIndex(kind));
}

std::uint32_t CNavigationModel::dataOf(const QModelIndex& index)
{
    return index.isValid() ? index.data(kDataRole).toUInt() : 0;
}

void CNavigationModel::setBoldIndex(const QModelIndex& index)
{
    const QPersistentModelIndex old = bold_;
    bold_ = index;
    if (old.isValid())
        Q_EMIT dataChanged(old, old, {Qt::FontRole});
    if (bold_.isValid())
        Q_EMIT dataChanged(bold_, bold_, {Qt::FontRole});
}

QModelIndex CNavigationModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0 || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, 0, kRootId);
    if (parent.internalId() == kRootId)
        return createIndex(row, 0, kFolderId);
    return createIndex(row, 0, kFirstEntityId + quintptr(parent.row()));
}

QModelIndex CNavigationModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kRootId)
        return {};
    if (child.internalId() == kFolderId)
        return createIndex(0, 0, kRootId);
    return createIndex(int(child.internalId() - kFirstEntityId), 0, kFolderId);
}

int CNavigationModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return filled_ ? 1 : 0;
    if (parent.column() != 0)
        return 0;
    switch (parent.internalId()) {
    case kRootId: return 3;
    case kFolderId: return int(names_[std::size_t(parent.row())].size());
    default: return 0;
    }
}

int CNavigationModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CNavigationModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    int kind = treekind::kIntercom;
    int listIndex = 0;
    QString text = QStringLiteral("Intercom");
    if (index.internalId() == kFolderId) {
        kind = kFolderKind[index.row()];
        text = QString::fromUtf16(kFolderText[index.row()]);
    } else if (index.internalId() >= kFirstEntityId) {
        const auto folder = std::size_t(index.internalId() - kFirstEntityId);
        kind = kEntityKind[folder];
        listIndex = index.row();
        text = names_[folder].value(index.row());
    }
    switch (role) {
    case Qt::DisplayRole: return text;
    case Qt::DecorationRole: return kindIcon(kind);
    case kDataRole: return makeData(kind, listIndex);
    case Qt::FontRole:
        if (bold_.isValid() && bold_ == index) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default: return {};
    }
}

Qt::ItemFlags CNavigationModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace vexilor
