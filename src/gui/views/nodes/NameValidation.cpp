#include "views/nodes/NameValidation.h"

#include "app/Strings.h"

namespace vexilor {

QString EntityNameProblem(const CRestrictionsModel& model, EntityKind kind, const QString& name)
{
    if (name.size() < 2)
        return strings::Text(3400);
    static const QString forbidden = QStringLiteral(":\\/*?\"<>|");
    for (const QChar c : name)
        if (forbidden.contains(c))
            return strings::Text(3401);
    if (model.exists(kind, name.toStdU16String()))
        return strings::Text(3402);
    return {};
}

}  // namespace vexilor
