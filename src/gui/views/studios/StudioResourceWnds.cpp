#include "views/studios/StudioResourceWnds.h"

#include <array>

namespace vexilor {

std::span<const ListColumn> StudioResourceColumns()
{
    static constexpr std::array<ListColumn, 4> columns{{
        {QT_TRANSLATE_NOOP("vexilor::lists", "Included?"), colkind::kIncluded, Qt::AlignHCenter},
        {QT_TRANSLATE_NOOP("vexilor::lists", "#"), colkind::kNumber, Qt::AlignLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Alpha"), colkind::kAlpha, Qt::AlignLeft},
        {QT_TRANSLATE_NOOP("vexilor::lists", "Description"), colkind::kDescription, Qt::AlignLeft},
    }};
    return columns;
}

CStudioResourceEditWnd::CStudioResourceEditWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent)
    : CResourcesWnd(doc, app, resourceType, false, StudioResourceColumns(), QStringLiteral("StudioResources"), parent)
{
    populate(true);
}

CStudioResourceAssignWnd::CStudioResourceAssignWnd(CKestovaDoc& doc, const CAppState& app, int resourceType,
                                                   QWidget* parent)
    : CResourcesWnd(doc, app, resourceType, true, StudioResourceColumns(), QStringLiteral("StudioResources"), parent)
{
    populate(true);
}

}  // namespace vexilor
