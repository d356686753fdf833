#include "document/EntityEdits.h"

#include "app/AppState.h"
#include "document/KestovaDoc.h"
#include "document/MenuCatalogueCache.h"
#include "document/UndoCommands.h"

namespace vexilor {

namespace {

bool editable(const CKestovaDoc& doc)
{
    return !doc.isReadOnly() && doc.model().documentValid();
}

// Runs a change of the model's structure with the selected entity committed before and selected
// again after (when it still exists), so that its working record and bases stay consistent. The
// undo step the caller pushes marks the document modified.
template <class F>
bool withSelectionKept(CKestovaDoc& doc, F&& change)
{
    CEntitySelection& selection = doc.selection();
    const std::u16string name = selection.selectedName();
    const EntityKind kind = selection.selectedKind();
    if (kind != EntityKind::None)
        selection.commit();
    const bool changed = change();
    if (kind != EntityKind::None && doc.model().exists(kind, name))
        selection.select(name, kind);
    else
        selection.clear();
    return changed;
}

// "studio News", for the Edit menu's undo and redo texts.
QString named(EntityKind kind, const QString& name)
{
    return EntityText(kind, name);
}

QString pluralWord(EntityKind kind)
{
    return kind == EntityKind::Studio ? QStringLiteral("studios")
         : kind == EntityKind::Class  ? QStringLiteral("classes")
                                      : QStringLiteral("users");
}

// Deletes one entity from the model (the caller has made the step). A studio or class that others
// reference stays unless cascade is set.
bool deleteFromModel(CKestovaDoc& doc, EntityKind kind, const std::u16string& n, bool cascade)
{
    CRestrictionsModel& model = doc.model();
    doc.selection().clear();
    switch (kind) {
    case EntityKind::Studio: return model.deleteStudio(n) || (cascade && model.renameStudio(n, u""));
    case EntityKind::Class: return model.deleteClass(n) || (cascade && model.renameClass(n, u""));
    case EntityKind::User: return model.renameUser(n, u"");
    case EntityKind::None: break;
    }
    return false;
}

}  // namespace

bool AddEntity(CKestovaDoc& doc, EntityKind kind, const QString& name, EntityKind copyKind, const QString& copyFrom)
{
    if (!editable(doc) || kind == EntityKind::None || name.isEmpty())
        return false;
    CRestrictionsModel& model = doc.model();
    const std::u16string n = name.toStdU16String();
    if (model.exists(kind, n))
        return false;
    CRestrictionRecord record;
    if (copyKind != EntityKind::None) {
        const std::u16string from = copyFrom.toStdU16String();
        if (!model.exists(copyKind, from))
            return false;
        // Copy what the source has now, including unsaved changes when it is being edited.
        if (doc.selection().selectedKind() == copyKind && doc.selection().selectedName() == from)
            doc.selection().commit();
        record = model.getRecord(copyKind, from);
    }
    return ModelChange(doc, QStringLiteral("Add ") + named(kind, name), [&] {
        model.putRecord(kind, n, std::move(record));
        return true;
    });
}

DeleteOutcome DeleteEntity(CKestovaDoc& doc, EntityKind kind, const QString& name, bool cascade)
{
    if (!editable(doc))
        return DeleteOutcome::Refused;
    CRestrictionsModel& model = doc.model();
    const std::u16string n = name.toStdU16String();
    if (!model.exists(kind, n))
        return DeleteOutcome::Refused;
    const bool deleted = ModelChange(doc, QStringLiteral("Delete ") + named(kind, name),
                                     [&] { return deleteFromModel(doc, kind, n, cascade); });
    return deleted ? DeleteOutcome::Deleted : DeleteOutcome::Referenced;
}

QStringList DeleteEntities(CKestovaDoc& doc, EntityKind kind, const QStringList& names,
                           const std::function<bool(const QString& name)>& deleteReferenced)
{
    QStringList deleted;
    if (!editable(doc))
        return deleted;
    ModelChange(doc, [&]() -> std::optional<QString> {
        for (const QString& name : names) {
            const std::u16string n = name.toStdU16String();
            if (!doc.model().exists(kind, n))
                continue;
            if (deleteFromModel(doc, kind, n, false)
                || (deleteReferenced && deleteReferenced(name) && deleteFromModel(doc, kind, n, true)))
                deleted.append(name);
        }
        if (deleted.isEmpty())
            return std::nullopt;
        return deleted.size() == 1 ? QStringLiteral("Delete ") + named(kind, deleted.front())
                                   : QStringLiteral("Delete %1 ").arg(deleted.size()) + pluralWord(kind);
    });
    return deleted;
}

bool RenameEntity(CKestovaDoc& doc, EntityKind kind, const QString& oldName, const QString& newName)
{
    if (!editable(doc) || newName.isEmpty())
        return false;
    CRestrictionsModel& model = doc.model();
    const std::u16string from = oldName.toStdU16String();
    const std::u16string to = newName.toStdU16String();
    return ModelChange(
        doc, QStringLiteral("Rename ") + named(kind, oldName) + QStringLiteral(" to ") + newName,
        [&] {
            if (model.exists(kind, to) || !model.exists(kind, from))
                return false;
            doc.selection().clear();
            switch (kind) {
            case EntityKind::Studio: return model.renameStudio(from, to);
            case EntityKind::Class: return model.renameClass(from, to);
            case EntityKind::User: return model.renameUser(from, to);
            case EntityKind::None: break;
            }
            return false;
        },
        {EntityRename{kind, oldName, newName}});
}

bool SetStudioRefs(CKestovaDoc& doc, EntityKind kind, const QString& name, std::vector<StudioRef> refs)
{
    if (!editable(doc) || (kind != EntityKind::Class && kind != EntityKind::User))
        return false;
    const std::u16string n = name.toStdU16String();
    if (!doc.model().exists(kind, n))
        return false;
    return ModelChange(doc, QStringLiteral("Change the studios of ") + named(kind, name), [&] {
        return withSelectionKept(doc, [&] {
            doc.model().setStudioRefs(kind, n, std::move(refs));
            return true;  // rewriting the list in place counts as a change
        });
    });
}

bool SetClassOfUser(CKestovaDoc& doc, const QString& user, const QString& className)
{
    if (!editable(doc))
        return false;
    const std::u16string u = user.toStdU16String();
    if (!doc.model().exists(EntityKind::User, u))
        return false;
    return ModelChange(doc, QStringLiteral("Change the class of ") + named(EntityKind::User, user), [&] {
        return withSelectionKept(doc, [&] {
            doc.model().setClassOf(u, className.toStdU16String());
            return true;
        });
    });
}

bool SetAll(CKestovaDoc& doc, EntityKind kind, const QString& name, SetAllOperation op)
{
    if (!editable(doc) || name.isEmpty())
        return false;
    const CAppState& app = doc.app();
    const std::vector<std::u16string>& menuKeys =
        MenuCatalogueFor(app.prefs.tovrinExePath, app.languageId).keys();
    CEntitySelection& selection = doc.selection();
    const std::u16string n = name.toStdU16String();
    const std::u16string previousName = selection.selectedName();
    const EntityKind previousKind = selection.selectedKind();
    const QString verb = op == SetAllOperation::Allow ? QStringLiteral("Allow All for ")
                       : op == SetAllOperation::Deny  ? QStringLiteral("Deny All for ")
                                                      : QStringLiteral("Inherit All for ");
    return ModelChange(doc, verb + named(kind, name), [&] {
        bool done = false;
        switch (op) {
        case SetAllOperation::Allow: done = selection.allowAll(n, kind, menuKeys); break;
        case SetAllOperation::Deny: done = selection.denyAll(n, kind, menuKeys); break;
        case SetAllOperation::Inherit: done = selection.inheritAll(n, kind, menuKeys); break;
        }
        // The set-all operations leave the entity selected; put back what was being edited.
        if (previousKind != EntityKind::None && doc.model().exists(previousKind, previousName))
            selection.select(previousName, previousKind);
        return done;
    });
}

}  // namespace vexilor
