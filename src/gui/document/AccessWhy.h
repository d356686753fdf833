#pragma once

#include "document/DocumentEdits.h"

#include <QString>

namespace vexilor {

class CKestovaDoc;

// Why the selected class or user has the effective value of an item: the entity's own setting,
// its class's own setting, a studio reference, or the default deny (one sentence). Empty when
// nothing is selected or a studio is (a studio's rows only include or exclude).
QString WhyAccess(CKestovaDoc& doc, const AccessRef& item);

}  // namespace vexilor
