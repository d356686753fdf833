#pragma once

#include "restrictions/RestrictionsModel.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vexilor {

class CKestovaDoc;

// The document's entry points for changes to studios, classes and users as a whole: adding,
// renaming, deleting, their studio references, a user's class and the set-all operations. Each
// refuses (false, nothing changed) while the file is read-only, and marks the document modified when
// it changed the model.

// Adds a studio, class or user with an empty record, or with a copy of the record of copyFrom (a
// class or user of kind copyKind). False when the name exists or copyFrom does not.
bool AddEntity(CKestovaDoc& doc, EntityKind kind, const QString& name,
               EntityKind copyKind = EntityKind::None, const QString& copyFrom = {});

enum class DeleteOutcome { Deleted, Referenced, Refused };
// Deletes the entity. A studio or class that others still reference is left alone (Referenced)
// unless cascade is set, in which case every reference goes with it.
DeleteOutcome DeleteEntity(CKestovaDoc& doc, EntityKind kind, const QString& name, bool cascade);
// Deletes several entities as one undo step ("Delete 3 users"). A studio or class that others
// reference is deleted with its references only when deleteReferenced(name) says so. The names
// deleted, in order.
QStringList DeleteEntities(CKestovaDoc& doc, EntityKind kind, const QStringList& names,
                           const std::function<bool(const QString& name)>& deleteReferenced);

// Renames the entity and the references to it. False when newName exists or old does not.
bool RenameEntity(CKestovaDoc& doc, EntityKind kind, const QString& oldName, const QString& newName);

// Replaces the studio references of a class or user. The selection of that entity (if it is the
// selected one) is committed first and rebuilt after, so that queries see the new bases.
bool SetStudioRefs(CKestovaDoc& doc, EntityKind kind, const QString& name, std::vector<StudioRef> refs);

// Sets a user's class; an empty className means no class.
bool SetClassOfUser(CKestovaDoc& doc, const QString& user, const QString& className);

enum class SetAllOperation { Allow, Deny, Inherit };
// Allow All, Deny All or Inherit All for a class or user (menu items of the catalogue included).
bool SetAll(CKestovaDoc& doc, EntityKind kind, const QString& name, SetAllOperation op);

}  // namespace vexilor
