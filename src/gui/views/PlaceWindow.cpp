#include "views/PlaceWindow.h"
