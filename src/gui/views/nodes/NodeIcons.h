#pragma once

#include "restrictions/RestrictionsModel.h"

#include <QIcon>

namespace vexilor {

// The command icons of the studio, class and user windows.
enum class NodeIconId { Add, Delete, Rename, Remove, MoveUp, MoveDown, AllowAll, DenyAll, InheritAll, Include, Exclude };

QIcon NodeIcon(NodeIconId id);
// The tree image of a studio, class or user.
QIcon KindIcon(EntityKind kind);

}  // namespace vexilor
