#pragma once

#include "document/DocumentEdits.h"

#include <QString>

#include <functional>
#include <span>

namespace vexilor {

class CKestovaDoc;

// Every edit of the model is one step on the document's undo stack. Two kinds of step cover all of
// them:
// - a change of the selected entity's working record (the access of rows, all rows, set-all):
//   the step keeps that record before and after;
// - a change of the model's structure (adding, renaming, deleting entities, studio references, a
//   user's class): the step keeps the whole model before and after.
// `change` makes the edit; the first redo of the pushed step does nothing (the change is already
// made). RecordChange pushes a step whenever an entity is selected (a click that changes nothing
// still counts, as it marks the document modified); ModelChange when `change` returns true. Both
// return whether a step was pushed.
bool RecordChange(CKestovaDoc& doc, const QString& text, const std::function<void()>& change);
bool ModelChange(CKestovaDoc& doc, const QString& text, const std::function<bool()>& change);

// What an access change does, for the Edit menu: "Allow 12 keypanels", "Deny keypanel 3",
// "Inherit 2 features", "Allow 5 items".
QString AccessChangeText(AccessChange change, std::span<const AccessRef> items);
QString AccessEditsText(std::span<const AccessEdit> edits);

}  // namespace vexilor
