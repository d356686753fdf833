#include "views/lists/ListColumns.h"

#include <QCoreApplication>

#include <array>

namespace vexilor {

namespace {
constexpr Qt::Alignment kLeft = Qt::AlignLeft;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;
}  // namespace

QString ColumnTitle(const ListColumn& column)
{
    return QCoreApplication::translate("vexilor::lists", column.title);
}

std::span<const ListColumn> FeatureColumns()
{
    static constexpr std::array<ListColumn, 5> columns{{
        {QT_TRANSLATE_NOOP("vexilor::lists", "Access"), colkind::kAccess, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Feature"), colkind::kName, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Allow"), colkind::kAllow, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Deny"), colkind::kDeny, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Inherited"), colkind::kInherited, kCentre},
    }};
    return columns;
}

std::span<const ListColumn> ResourceColumns(bool splitAlphas)
{
    static constexpr std::array<ListColumn, 7> plain{{
        {QT_TRANSLATE_NOOP("vexilor::lists", "Access"), colkind::kAccess, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "#"), colkind::kNumber, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Alpha"), colkind::kAlpha, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Description"), colkind::kDescription, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Allow"), colkind::kAllow, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Deny"), colkind::kDeny, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Inherited"), colkind::kInherited, kCentre},
    }};
    static constexpr std::array<ListColumn, 8> split{{
        {QT_TRANSLATE_NOOP("vexilor::lists", "Access"), colkind::kAccess, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "#"), colkind::kNumber, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Output Alpha"), colkind::kAlpha, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Input Alpha"), colkind::kInputAlpha, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Description"), colkind::kDescription, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Allow"), colkind::kAllow, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Deny"), colkind::kDeny, kCentre},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Inherited"), colkind::kInherited, kCentre},
    }};
    if (splitAlphas)
        return split;
    return plain;
}

std::span<const ListColumn> IntercomResourceColumns()
{
    static constexpr std::array<ListColumn, 2> columns{{
        {QT_TRANSLATE_NOOP("vexilor::lists", "Resource"), colkind::kResourceType, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "#"), colkind::kNumber, kLeft},
    }};
    return columns;
}

std::span<const ListColumn> CapabilityColumns()
{
    static constexpr std::array<ListColumn, 2> columns{{
        {QT_TRANSLATE_NOOP("vexilor::lists", "Capability"), colkind::kName, kLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Enabled"), colkind::kAccess, kCentre},
    }};
    return columns;
}

}  // namespace vexilor
