#include "intercoms/IntercomListModel.h"

#include "app/Strings.h"
#include "intercoms/IntercomList.h"
#include "widgets/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vexilor {

CIntercomListModel::CIntercomListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CIntercomListModel::reset(const QStringList& names, const QString& defaultName,
                               const QString& resDir)
{
    beginResetModel();
    rows_.clear();
    rows_.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        rows_.push_back({name, !defaultName.isEmpty() && icomlist::SameName(name, defaultName),
                         icomlist::FileExists(resDir, name, icomlist::kRestrictionsExt)});
    }
    endResetModel();
}

QString CIntercomListModel::nameAt(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].name : QString();
}

int CIntercomListModel::rowOf(const QString& name) const
{
    if (name.isEmpty())
        return -1;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (icomlist::SameName(rows_[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

int CIntercomListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CIntercomListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CIntercomListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return row.name;
        return row.hasRestrictions ? QStringLiteral("OK") : QStringLiteral("-");
    case Qt::DecorationRole:
        // Every name keeps the icon's room, so that the names line up.
        if (index.column() == NameColumn)
            return row.isDefault ? defaultIcon() : blankIcon();
        return {};
    case IsDefaultRole:
        return row.isDefault;
    case HasRestrictionsRole:
        return row.hasRestrictions;
    default:
        return {};
    }
}

QVariant CIntercomListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return strings::Text(3019);
    case FileColumn: return strings::Text(3199);
    default: return {};
    }
}

QIcon CIntercomListModel::blankIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        return QIcon(pixmap);
    }();
    return icon;
}

QIcon CIntercomListModel::defaultIcon()
{
    // The program's mark for the intercom that opens when none is named; a plain gold star where
    // the drawing cannot be rendered.
    static const QIcon icon = [] {
        const QIcon drawn = AppIcon(QStringLiteral("default-intercom"));
        if (!drawn.pixmap(16, 16).isNull())
            return drawn;
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath star;
        const QPointF points[] = {{8, 1},    {10.1, 5.6}, {15, 6.1}, {11.3, 9.4}, {12.4, 14.5},
                                  {8, 11.9}, {3.6, 14.5}, {4.7, 9.4}, {1, 6.1},   {5.9, 5.6}};
        QPolygonF outline;
        for (const QPointF& point : points)
            outline << point;
        star.addPolygon(outline);
        star.closeSubpath();
        p.setPen(QPen(QColor(0x9a, 0x6a, 0x00), 1));
        p.setBrush(QColor(0xf2, 0xc1, 0x1d));
        p.drawPath(star);
        return QIcon(pixmap);
    }();
    return icon;
}

}  // namespace vexilor
