#include "document/UndoCommands.h"

#include "document/KestovaDoc.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/ResourceTypes.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <vector>

namespace vexilor {

namespace {

// Puts the selection back on the entity it was on (when that still exists) after the model under
// it changed, so that its layers are built from the model as it is now.
void reselect(CKestovaDoc& doc, const std::u16string& name, EntityKind kind)
{
    CEntitySelection& s = doc.selection();
    if (kind != EntityKind::None && doc.model().exists(kind, name))
        s.select(name, kind);
    else
        s.clear();
}

// A step that keeps the state before and after the change; the first redo is the change itself,
// already made when the step is pushed.
template <class State>
class CSnapshotCommand : public QUndoCommand {
public:
    CSnapshotCommand(const QString& text, State before, State after)
        : QUndoCommand(text), before_(std::move(before)), after_(std::move(after))
    {
    }
    void undo() override { apply(before_); }
    void redo() override
    {
        if (pushed_)
            apply(after_);
        pushed_ = true;
    }

protected:
    virtual void apply(const State& state) = 0;

private:
    State before_;
    State after_;
    bool pushed_ = false;
};

// One entity's own record.
class CRecordCommand final : public CSnapshotCommand<CRestrictionRecord> {
public:
    CRecordCommand(CKestovaDoc& doc, const QString& text, EntityKind kind, std::u16string name,
                   CRestrictionRecord before, CRestrictionRecord after)
        : CSnapshotCommand(text, std::move(before), std::move(after)), doc_(doc), kind_(kind), name_(std::move(name))
    {
    }

private:
    void apply(const CRestrictionRecord& record) override
    {
        CEntitySelection& s = doc_.selection();
        const std::u16string selectedName = s.selectedName();
        const EntityKind selectedKind = s.selectedKind();
        s.commit();  // whatever is being edited reaches the model before it is rebuilt
        doc_.model().putRecord(kind_, name_, record);
        reselect(doc_, selectedName, selectedKind);
        Q_EMIT doc_.accessChanged();
    }

    CKestovaDoc& doc_;
    EntityKind kind_;
    std::u16string name_;
};

// The whole model: studios, classes, users and their links.
class CModelCommand final : public CSnapshotCommand<CRestrictionsModel> {
public:
    CModelCommand(CKestovaDoc& doc, const QString& text, CRestrictionsModel before, CRestrictionsModel after,
                  std::vector<EntityRename> renames)
        : CSnapshotCommand(text, std::move(before), std::move(after)), doc_(doc), renames_(std::move(renames))
    {
    }

    void undo() override
    {
        undoing_ = true;
        CSnapshotCommand::undo();
    }
    void redo() override
    {
        undoing_ = false;
        CSnapshotCommand::redo();
    }

private:
    void apply(const CRestrictionsModel& model) override
    {
        CEntitySelection& s = doc_.selection();
        const std::u16string selectedName = s.selectedName();
        const EntityKind selectedKind = s.selectedKind();
        const bool readOnly = doc_.model().readOnly();
        doc_.model() = model;
        doc_.model().setReadOnly(readOnly);
        reselect(doc_, selectedName, selectedKind);
        std::vector<EntityRename> renames = renames_;
        if (undoing_)
            for (EntityRename& r : renames)
                std::swap(r.from, r.to);
        doc_.refreshNameLists(renames);
        Q_EMIT doc_.structureChanged();
    }

    CKestovaDoc& doc_;
    std::vector<EntityRename> renames_;
    bool undoing_ = false;
};

QString verb(AccessChange change)
{
    switch (change) {
    case AccessChange::Allow: return QStringLiteral("Allow");
    case AccessChange::Deny: return QStringLiteral("Deny");
    case AccessChange::Inherit: break;
    }
    return QStringLiteral("Inherit");
}

int typeOfKeyIndex(int k)
{
    const std::u16string_view key = resourceKeyName(k);
    for (const TypedResourceKey& t : resourceKeysInTypeOrder())
        if (t.key == key)
            return t.type;
    return -1;
}

// "keypanel 3", "12 keypanels", "feature", "3 menu items": the items when they are all alike.
QString itemsText(std::span<const AccessRef> items)
{
    const qsizetype n = static_cast<qsizetype>(items.size());
    if (n == 0)
        return QStringLiteral("nothing");
    const AccessRef& first = items.front();
    const bool alike = std::all_of(items.begin(), items.end(), [&](const AccessRef& r) {
        return r.kind == first.kind && (r.kind != AccessRef::Kind::Resource || r.index == first.index);
    });
    if (!alike)
        return QStringLiteral("%1 items").arg(n);
    switch (first.kind) {
    case AccessRef::Kind::Resource: {
        const ResourceTypeInfo& info = resourceTypeInfo(typeOfKeyIndex(first.index));
        if (n == 1)
            return QString::fromStdU16String(std::u16string(info.singular)).toLower() + u' '
                + QString::number(first.number);
        return QStringLiteral("%1 ").arg(n) + QString::fromStdU16String(std::u16string(info.plural)).toLower();
    }
    case AccessRef::Kind::Feature:
        return n == 1 ? QStringLiteral("feature") : QStringLiteral("%1 features").arg(n);
    case AccessRef::Kind::Key:
        return n == 1 ? QStringLiteral("menu item") : QStringLiteral("%1 menu items").arg(n);
    }
    return {};
}

// A structural step: the whole model before and after, the name lists refreshed in between.
bool ModelChangeRenaming(CKestovaDoc& doc, const std::function<std::optional<QString>()>& change,
                         std::vector<EntityRename> renames)
{
    CEntitySelection& s = doc.selection();
    if (s.hasSelection())
        s.commit();
    CRestrictionsModel before = doc.model();
    const std::optional<QString> text = change();
    if (!text)
        return false;
    if (s.hasSelection())
        s.commit();
    doc.refreshNameLists(renames);
    doc.undoStack().push(new CModelCommand(doc, *text, std::move(before), doc.model(), std::move(renames)));
    return true;
}

}  // namespace

QString AccessChangeText(AccessChange change, std::span<const AccessRef> items)
{
    return verb(change) + u' ' + itemsText(items);
}

QString AccessEditsText(std::span<const AccessEdit> edits)
{
    std::vector<AccessRef> items;
    for (const AccessEdit& e : edits)
        items.push_back(e.item);
    const bool sameChange = std::all_of(edits.begin(), edits.end(),
                                        [&](const AccessEdit& e) { return e.change == edits.front().change; });
    if (!edits.empty() && sameChange)
        return AccessChangeText(edits.front().change, items);
    return QStringLiteral("Change ") + itemsText(items);
}

QString EntityText(EntityKind kind, const QString& name)
{
    const QString word = kind == EntityKind::Studio ? QStringLiteral("studio")
                       : kind == EntityKind::Class  ? QStringLiteral("class")
                                                    : QStringLiteral("user");
    return word + u' ' + name;
}

bool RecordChange(CKestovaDoc& doc, const QString& text, const std::function<void()>& change)
{
    CEntitySelection& s = doc.selection();
    if (!s.hasSelection() || s.layerCount() == 0) {
        change();  // goes to the scratch record, which is never stored
        return false;
    }
    CRestrictionRecord before = s.layer(0);
    change();
    CRestrictionRecord after = s.layer(0);
    const QString named =
        text + QStringLiteral(" for ") + EntityText(s.selectedKind(), QString::fromStdU16String(s.selectedName()));
    doc.undoStack().push(new CRecordCommand(doc, named, s.selectedKind(), s.selectedName(), std::move(before),
                                            std::move(after)));
    return true;
}

bool ModelChange(CKestovaDoc& doc, const std::function<std::optional<QString>()>& change)
{
    return ModelChangeRenaming(doc, change, {});
}

bool ModelChange(CKestovaDoc& doc, const QString& text, const std::function<bool()>& change,
                 std::vector<EntityRename> renames)
{
    return ModelChangeRenaming(
        doc, [&]() -> std::optional<QString> { return change() ? std::optional<QString>(text) : std::nullopt; },
        std::move(renames));
}

}  // namespace vexilor
