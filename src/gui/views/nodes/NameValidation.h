#pragma once

#include "restrictions/RestrictionsModel.h"

#include <QString>

#include "text/CodePage.h"

namespace vexilor {

// The first problem with a new studio, class or user name, as the message to show, or an empty
// text when the name can be used: at least 2 characters, none of : \ / * ? " < > |, only
// characters the restrictions file (in codePage) can hold, and no entity of that kind with that
// name. The caller trims the text as its dialog does.
QString EntityNameProblem(const CRestrictionsModel& model, EntityKind kind, const QString& name,
                          const text::CodePage& codePage = {});

}  // namespace vexilor
