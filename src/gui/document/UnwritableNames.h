#pragma once

#include <QString>

#include "text/CodePage.h"

namespace vexilor {

class CRestrictionsModel;

// The character of text at pos as a message shows it: "ス" (U+30B9); one that does not print
// (a line feed) by its code alone. A surrogate pair is one character.
QString ShownCharacter(const QString& text, qsizetype pos);

// Why model cannot be written so that every name reads back the same, as the message to show: the
// entity, its name and the first character the file (in codePage) cannot hold. Empty when every
// name can.
QString UnwritableNameMessage(const CRestrictionsModel& model, const text::CodePage& codePage = {});

}  // namespace vexilor
