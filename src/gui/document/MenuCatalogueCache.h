#pragma once

#include "restrictions/MenuCatalogue.h"

#include <QString>

namespace vexilor {

// Tovrin's menu items, read once per executable path and language and kept until either changes.
// An executable that cannot be read gives an empty catalogue (error() says why).
const CMenuCatalogue& MenuCatalogueFor(const QString& tovrinExePath, unsigned languageId);

}  // namespace vexilor
