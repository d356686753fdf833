#pragma once

#include "views/PlaceWindow.h"

namespace vexilor {

struct CAppState;
class CKestovaDoc;

// The main view's window factory: the folder lists of studios, classes and users, the
// configuration (studio selection) of a class or user, and every list window of the other places.
// nullptr where a place has no window.
CPlaceWindow* CreateAppPlaceWindow(const Place& place, CKestovaDoc& doc, const CAppState& app, QWidget* parent);

}  // namespace vexilor
