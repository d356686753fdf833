#include "views/lists/PlaceWindows.h"

#include "views/lists/FeaturesWnd.h"
#include "views/lists/IcomWnds.h"
#include "views/lists/MenuRestrictWnd.h"
#include "views/lists/ResourcesWnd.h"

namespace vexilor {

namespace {

constexpr int kSpecialRow = 19;
constexpr int kTovrinRow = 20;
constexpr int kMenusRow = 21;

CPlaceWindow* entityWindow(const Place& place, CKestovaDoc& doc, const CAppState& app, QWidget* parent)
{
    switch (place.categoryRow) {
    case kSpecialRow: return new CSpecialAssignmentsWnd(doc, app, parent);
    case kTovrinRow: return new CVreleditFeaturesWnd(doc, app, parent);
    case kMenusRow: return new CMenuRestrictWnd(doc, app, parent);
    default: break;
    }
    if (place.categoryRow < 1 || place.categoryRow > 18)
        return nullptr;
    const int type = place.resourceType;
    switch (place.tab) {
    case tabvalue::kResources: return new CResourceEditWnd(doc, app, type, parent);
    case tabvalue::kAssignments: return new CResourceAssignWnd(doc, app, type, parent);
    case tabvalue::kAlphas: return new CAlphaFeaturesWnd(doc, app, type, parent);
    case tabvalue::kFeatures: return new CFeaturesWnd(doc, app, type, parent);
    case tabvalue::kScrollEnables: return new CScrollFeaturesWnd(doc, app, type, parent);
    default: return nullptr;
    }
}

}  // namespace

CPlaceWindow* CreatePlaceWindow(const Place& place, CKestovaDoc& doc, const CAppState& app, QWidget* parent)
{
    switch (place.treeKind) {
    case treekind::kIntercom:
        if (place.tab == tabvalue::kCapabilities)
            return new CIcomCapabilitiesWnd(doc, app, parent);
        if (place.tab == tabvalue::kIntercomResources)
            return new CIcomResourcesWnd(doc, app, parent);
        return nullptr;
    case treekind::kClass:
    case treekind::kUser: {
        CPlaceWindow* w = entityWindow(place, doc, app, parent);
        if (w && w->helpContext() == 0)
            w->setHelpContext(place.tab);
        return w;
    }
    default: return nullptr;
    }
}

}  // namespace vexilor
