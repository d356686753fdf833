#pragma once

#include "views/PlaceWindow.h"

namespace vexilor {

struct CAppState;
class CKestovaDoc;

// The list window for a place: the intercom's resources or capabilities, and for a class or user
// the resource, assignment, features, alphas, scroll, special-assignment, Tovrin and menu windows.
// nullptr for every other place (studio windows and the folder lists come from elsewhere), so that
// the view keeps its current window. The view has selected the place's entity in the model.
CPlaceWindow* CreatePlaceWindow(const Place& place, CKestovaDoc& doc, const CAppState& app, QWidget* parent);

}  // namespace vexilor
