#include "views/nodes/NameValidation.h"

#include "app/Strings.h"
#include "document/UnwritableNames.h"
#include "restrictions/WritableNames.h"

namespace vexilor {

QString EntityNameProblem(const CRestrictionsModel& model, EntityKind kind, const QString& name,
                          const text::CodePage& codePage)
{
    if (name.size() < 2)
        return strings::Text(3400);
    static const QString forbidden = QStringLiteral(":\\/*?\"<>|");
    for (const QChar c : name)
        if (forbidden.contains(c))
            return strings::Text(3401);
    // A name shown fine on screen but saved as "?" would not be the same name in the file.
    if (const std::optional<NameFlaw> flaw = nameFlaw(name.toStdU16String(), codePage);
        flaw && flaw->fault == NameFault::Character)
        return strings::Text(3460, {ShownCharacter(name, qsizetype(flaw->position))});
    if (model.exists(kind, name.toStdU16String()))
        return strings::Text(3402);
    return {};
}

}  // namespace vexilor
