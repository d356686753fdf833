#include "views/lists/KestovaListModel.h"

#include "widgets/GlyphDelegate.h"

namespace vexilor {

CKestovaListModel::CKestovaListModel(std::span<const ListColumn> columns, std::unique_ptr<ListItems> items,
                                     QObject* parent)
    : QAbstractTableModel(parent), columns_(columns.begin(), columns.end()), items_(std::move(items))
{
}

CKestovaListModel::~CKestovaListModel() = default;

int CKestovaListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !items_ ? 0 : items_->count();
}

int CKestovaListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size()) + 1;
}

const ListColumn* CKestovaListModel::column(int c) const
{
    return c >= 0 && c < static_cast<int>(columns_.size()) ? &columns_[static_cast<std::size_t>(c)] : nullptr;
}

int CKestovaListModel::columnKind(int c) const
{
    const ListColumn* col = column(c);
    return col ? col->kind : 0;
}

int CKestovaListModel::columnOfKind(int kind) const
{
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c].kind == kind)
            return static_cast<int>(c);
    return -1;
}

int CKestovaListModel::sortKind(int c) const
{
    const int kind = columnKind(c);
    if (colkind::IsGlyph(kind))
        return -sortkind::kOrdinal;
    if (kind == colkind::kNumber)
        return sortkind::kInteger;
    return sortkind::kTextEmptyLast;
}

namespace {

Glyph glyphOf(int kind, bool flag)
{
    switch (kind) {
    case colkind::kAccess:
    case colkind::kInherited: return flag ? Glyph::Check : Glyph::Cross;
    case colkind::kAllow:
    case colkind::kIncluded: return flag ? Glyph::CheckedBox : Glyph::EmptyBox;
    case colkind::kDeny: return flag ? Glyph::CrossedBox : Glyph::EmptyBox;
    default: return Glyph::None;
    }
}

}  // namespace

QVariant CKestovaListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int item = index.row();
    const int kind = columnKind(index.column());
    const bool glyph = colkind::IsGlyph(kind);
    switch (role) {
    case Qt::DisplayRole:
        if (kind == 0)
            return QString();
        return glyph ? GlyphText(glyphOf(kind, items_->flag(item, kind))) : items_->text(item, kind);
    case Qt::TextAlignmentRole: {
        const ListColumn* col = column(index.column());
        return static_cast<int>((col ? col->alignment : Qt::Alignment(Qt::AlignLeft)) | Qt::AlignVCenter);
    }
    case GlyphRole: return static_cast<int>(glyph ? glyphOf(kind, items_->flag(item, kind)) : Glyph::None);
    case KindRole: return kind;
    case FlagRole: return glyph && items_->flag(item, kind);
    case RawValueRole:
        if (kind == 0)
            return {};
        return glyph ? QVariant(items_->flag(item, kind)) : items_->rawValue(item, kind);
    case RowFlagsRole: {
        int flags = 0;
        for (const ListColumn& c : columns_)
            if (colkind::IsGlyph(c.kind) && items_->flag(item, c.kind))
                flags |= c.kind;
        return flags;
    }
    case ItemRole: return item;
    case Qt::ToolTipRole: {
        if (!glyph)
            return {};
        const QString why = explanation(item);
        return why.isEmpty() ? QVariant() : QVariant(why);
    }
    default: return {};
    }
}

QVariant CKestovaListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    const ListColumn* col = column(section);
    switch (role) {
    case Qt::DisplayRole: return col ? ColumnTitle(*col) : QString();
    case Qt::TextAlignmentRole:
        return static_cast<int>((col ? col->alignment : Qt::Alignment(Qt::AlignLeft)) | Qt::AlignVCenter);
    case Qt::InitialSortOrderRole: return static_cast<int>(Qt::AscendingOrder);
    case KindRole: return col ? col->kind : 0;
    default: return {};
    }
}

Qt::ItemFlags CKestovaListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void CKestovaListModel::setItems(std::unique_ptr<ListItems> items)
{
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

bool CKestovaListModel::itemContains(int item, const QString& text) const
{
    for (const ListColumn& c : columns_)
        if (!colkind::IsGlyph(c.kind) && items_->text(item, c.kind).contains(text, Qt::CaseInsensitive))
            return true;
    return false;
}

void CKestovaListModel::itemsChanged(int firstRow, int lastRow)
{
    if (firstRow > lastRow || rowCount() == 0)
        return;
    Q_EMIT dataChanged(index(firstRow, 0), index(lastRow, columnCount() - 1));
}

void CKestovaListModel::allItemsChanged()
{
    itemsChanged(0, rowCount() - 1);
}

void CListSortProxy::setFilterText(const QString& text)
{
    if (text == filterText_)
        return;
    filterText_ = text;
    invalidateRowsFilter();
}

bool CListSortProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (filterText_.isEmpty() || sourceParent.isValid())
        return true;
    const auto* model = qobject_cast<const CKestovaListModel*>(sourceModel());
    return !model || model->itemContains(sourceRow, filterText_);
}

bool CListSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const auto* model = qobject_cast<const CKestovaListModel*>(sourceModel());
    const int kind = model ? model->sortKind(left.column()) : sortkind::kTextEmptyLast;
    QVariant a = left.data(CKestovaListModel::RawValueRole);
    QVariant b = right.data(CKestovaListModel::RawValueRole);
    if (kind < 0)
        std::swap(a, b);
    switch (kind < 0 ? -kind : kind) {
    case sortkind::kInteger: return a.toLongLong() < b.toLongLong();
    case sortkind::kFloat: return a.toDouble() < b.toDouble();
    case sortkind::kOrdinal:
        if (a.typeId() == QMetaType::Bool)
            return a.toBool() < b.toBool();
        return a.toString().compare(b.toString()) < 0;
    case sortkind::kNoCase: return a.toString().compare(b.toString(), Qt::CaseInsensitive) < 0;
    default: {
        const QString x = a.toString();
        const QString y = b.toString();
        if (x.isEmpty() != y.isEmpty())
            return y.isEmpty();
        return QString::localeAwareCompare(x, y) < 0;
    }
    }
}

}  // namespace vexilor
