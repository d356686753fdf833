#pragma once

#include <string>

#include "restrictions/RestrictionsModel.h"

namespace vexilor {

// The model as its file carries it, in a canonical text (UTF-8), for comparing models: the device
// name; every studio, class and user in name order; the class and the studio references of each
// class and user; the explicit features of classes and users; and per resource key the state of
// every resource number from 1 on, as runs that differ from the state of the numbers past the end.
// A class's or user's resource is Allow, Deny or Inherit; a studio's is included or not (an
// unmarked resource of a studio counts as included only where the marks and the values both
// cover everything). Array lengths, unmarked values and keys that state nothing do not show, so
// two models with the same dump write the same file, and a file read back gives the dump of the
// model that was written.
std::string canonicalDump(const CRestrictionsModel& model);

}  // namespace vexilor
