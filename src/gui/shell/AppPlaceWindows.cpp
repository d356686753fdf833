#include "shell/AppPlaceWindows.h"

#include "views/lists/PlaceWindows.h"
#include "views/nodes/ListWithButtonsWnd.h"
#include "views/studios/StudioResourceWnds.h"
#include "views/studios/StudioSelectWnd.h"

namespace vexilor {

namespace {

constexpr int kConfigurationRow = 0;

}  // namespace

CPlaceWindow* CreateAppPlaceWindow(const Place& place, CKestovaDoc& doc, const CAppState& app, QWidget* parent)
{
    switch (place.treeKind) {
    case treekind::kStudios: return new CListWithButtonsWnd(doc, app, EntityKind::Studio, parent);
    case treekind::kClasses: return new CListWithButtonsWnd(doc, app, EntityKind::Class, parent);
    case treekind::kUsers: return new CListWithButtonsWnd(doc, app, EntityKind::User, parent);
    case treekind::kStudio:
        // The resource categories (rows 1 to 18) of a studio: what it includes.
        if (place.categoryRow >= 1 && place.categoryRow <= 18) {
            if (place.tab == tabvalue::kResources)
                return new CStudioResourceEditWnd(doc, app, place.resourceType, parent);
            if (place.tab == tabvalue::kAssignments)
                return new CStudioResourceAssignWnd(doc, app, place.resourceType, parent);
        }
        break;
    case treekind::kClass:
    case treekind::kUser:
        if (place.categoryRow == kConfigurationRow) {
            const EntityKind kind = place.treeKind == treekind::kClass ? EntityKind::Class : EntityKind::User;
            return new CStudioSelectWnd(doc, app, kind, place.entityName, parent);
        }
        break;
    default: break;
    }
    return CreatePlaceWindow(place, doc, app, parent);
}

}  // namespace vexilor
