#pragma once

#include "views/lists/ResourcesWnd.h"

namespace vexilor {

// A studio's resources of one category: which of them the studio includes. Clicking "Included?"
// toggles a row; Include and Exclude set the selected or all rows explicitly. The studio is the
// model's selected entity.
class CStudioResourceEditWnd : public CResourcesWnd {
    Q_OBJECT
public:
    CStudioResourceEditWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent = nullptr);
    int contextMenuId() const override { return 131; }
};

// The same for the type's Assign keyword.
class CStudioResourceAssignWnd : public CResourcesWnd {
    Q_OBJECT
public:
    CStudioResourceAssignWnd(CKestovaDoc& doc, const CAppState& app, int resourceType, QWidget* parent = nullptr);
    int contextMenuId() const override { return 131; }
};

// "Included?", "#", "Alpha", "Description".
std::span<const ListColumn> StudioResourceColumns();

}  // namespace vexilor
