#include "document/MenuCatalogueCache.h"

#include <filesystem>

namespace vexilor {

const CMenuCatalogue& MenuCatalogueFor(const QString& tovrinExePath, unsigned languageId)
{
    static CMenuCatalogue catalogue;
    static QString loadedPath;
    static unsigned loadedLanguage = 0;
    static bool loadedOnce = false;
    if (!loadedOnce || loadedPath != tovrinExePath || loadedLanguage != languageId) {
        catalogue = CMenuCatalogue();
        if (!tovrinExePath.isEmpty())
            catalogue.load(std::filesystem::path(tovrinExePath.toStdU16String()), languageId);
        loadedPath = tovrinExePath;
        loadedLanguage = languageId;
        loadedOnce = true;
    }
    return catalogue;
}

}  // namespace vexilor
