#include "views/nodes/NodeIcons.h"

#include <QString>

// Resources of a static library are registered by name, from the global namespace.
static void initNodeIcons()
{
    Q_INIT_RESOURCE(nodes);
}

namespace vexilor {

QIcon NodeIcon(NodeIconId id)
{
    static const bool registered = (initNodeIcons(), true);
    (void)registered;
    static const char* const names[] = {"add",       "delete",   "rename",      "remove",  "move-up", "move-down",
                                        "allow-all", "deny-all", "inherit-all", "include", "exclude"};
    return QIcon(QStringLiteral(":/node-icons/%1.svg").arg(QLatin1String(names[static_cast<int>(id)])));
}

QIcon KindIcon(EntityKind kind)
{
    (void)kind;
    return {};
}

}  // namespace vexilor
