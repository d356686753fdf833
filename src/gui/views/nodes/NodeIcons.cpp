#include "views/nodes/NodeIcons.h"

#include "widgets/Icons.h"

#include <QString>

// Resources of a static library are registered by name, from the global namespace.
static void initNodeIcons()
{
    Q_INIT_RESOURCE(nodes);
}

namespace vexilor {

QIcon NodeIcon(NodeIconId id)
{
    if (id == NodeIconId::Include)
        return AppIcon(QStringLiteral("include"));
    if (id == NodeIconId::Exclude)
        return AppIcon(QStringLiteral("exclude"));
    static const bool registered = (initNodeIcons(), true);
    (void)registered;
    static const char* const names[] = {"add", "delete", "rename", "remove", "move-up", "move-down",
                                        "allow-all", "deny-all", "inherit-all"};
    return ResourceIcon(QStringLiteral(":/node-icons/") + QLatin1String(names[static_cast<int>(id)]));
}

QIcon KindIcon(EntityKind kind)
{
    switch (kind) {
    case EntityKind::Studio: return AppIcon(QStringLiteral("studio"));
    case EntityKind::Class: return AppIcon(QStringLiteral("class"));
    case EntityKind::User: return AppIcon(QStringLiteral("user"));
    case EntityKind::None: break;
    }
    return {};
}

}  // namespace vexilor
