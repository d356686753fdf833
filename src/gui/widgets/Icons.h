#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace vexilor {

// The program's own icons, drawn as SVG in one palette: :/icons/<name>.svg.
// Toolbar: change-intercom, refresh-alphas, save, undo, redo, help-topics, context-help,
// release-notes, about,
// export, preferences, shortcut. Tree: intercom, studio, class, user. Category buttons: category,
// previous, next. Studio lists: include, exclude. Intercom list: default-intercom.
// Application: vexilor. An unknown name gives a null icon.
QIcon AppIcon(const QString& name);

// The icon of resource path <base>.svg, or of <base>-16.png ... <base>-48.png where the build has
// no SVG support. Null when neither is there.
QIcon ResourceIcon(const QString& base);

// Every name AppIcon knows.
QStringList AppIconNames();

}  // namespace vexilor
