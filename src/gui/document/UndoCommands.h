#pragma once

#include "document/DocumentEdits.h"
#include "document/KestovaDoc.h"

#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace vexilor {

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
// RecordChange names the entity after the text ("Allow 24 keypanels for class Crew").
// ModelChange refreshes the document's name lists after the change (renames move their rows);
// its undo and redo put the lists back the same way and then announce structureChanged.
bool RecordChange(CKestovaDoc& doc, const QString& text, const std::function<void()>& change);
bool ModelChange(CKestovaDoc& doc, const QString& text, const std::function<bool()>& change,
                 std::vector<EntityRename> renames = {});
// The same with the text made by the change, for steps whose text depends on what was done (how
// many rows a delete took); nothing (no step) when the change changed nothing.
bool ModelChange(CKestovaDoc& doc, const std::function<std::optional<QString>()>& change);

// "class Crew", "studio News", "user Tom": an entity as the undo texts name it.
QString EntityText(EntityKind kind, const QString& name);

// What an access change does, for the Edit menu: "Allow 12 keypanels", "Deny keypanel 3",
// "Inherit 2 features", "Allow 5 items".
QString AccessChangeText(AccessChange change, std::span<const AccessRef> items);
QString AccessEditsText(std::span<const AccessEdit> edits);

}  // namespace vexilor
