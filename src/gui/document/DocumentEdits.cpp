#include "document/DocumentEdits.h"

#include "document/KestovaDoc.h"
#include "document/UndoCommands.h"
#include "restrictions/EntitySelection.h"

namespace vexilor {

RowAccess ReadAccess(const CEntitySelection& s, const AccessRef& item)
{
    // The selection answers in the restricted sense: 1 = denied.
    switch (item.kind) {
    case AccessRef::Kind::Feature:
        return {s.featureDenied(item.index) == 0, s.featureIsInherited(item.index) != 0,
                s.featureInheritedDenied(item.index) == 0};
    case AccessRef::Kind::Key:
        return {s.featureDenied(item.key) == 0, s.featureIsInherited(item.key) != 0,
                s.featureInheritedDenied(item.key) == 0};
    case AccessRef::Kind::Resource:
        return {s.isRestricted(item.index, item.number) == 0, s.isInherited(item.index, item.number) != 0,
                s.inheritedRestricted(item.index, item.number) == 0};
    }
    return {};
}

namespace {

// Allow and deny set the value and the explicit mark; inherit clears the mark and keeps the value.
void apply(CEntitySelection& s, const AccessRef& item, AccessChange change)
{
    const bool inherit = change == AccessChange::Inherit;
    const bool denied = change == AccessChange::Deny;
    switch (item.kind) {
    case AccessRef::Kind::Feature:
        if (!inherit)
            s.setFeatureDenied(item.index, denied);
        s.setFeatureInherit(item.index, inherit);
        break;
    case AccessRef::Kind::Key:
        if (!inherit)
            s.setFeatureDenied(item.key, denied);
        s.setFeatureInherit(item.key, inherit);
        break;
    case AccessRef::Kind::Resource:
        if (!inherit)
            s.setRestricted(item.index, item.number, denied);
        s.setInherit(item.index, item.number, inherit);
        break;
    }
}

}  // namespace

bool SetAccess(CKestovaDoc& doc, std::span<const AccessRef> items, AccessChange change)
{
    if (doc.isReadOnly())
        return false;
    CEntitySelection& s = doc.selection();
    RecordChange(doc, AccessChangeText(change, items), [&] {
        for (const AccessRef& item : items)
            apply(s, item, change);
    });
    doc.setModified(true);
    return true;
}

bool ApplyAccessEdits(CKestovaDoc& doc, std::span<const AccessEdit> edits)
{
    if (doc.isReadOnly())
        return false;
    CEntitySelection& s = doc.selection();
    RecordChange(doc, AccessEditsText(edits), [&] {
        for (const AccessEdit& e : edits)
            apply(s, e.item, e.change);
    });
    doc.setModified(true);
    return true;
}

}  // namespace vexilor
