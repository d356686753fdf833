#pragma once

#include <QString>

#include <cstdint>
#include <span>
#include <string>

namespace vexilor {

class CEntitySelection;
class CKestovaDoc;

// One access-controlled item of the selected class or user: a feature (by index), a key of its
// own (a menu item), or resource number n of resource key k (0 to 27).
struct AccessRef {
    enum class Kind { Feature, Key, Resource };
    Kind kind = Kind::Feature;
    int index = 0;             // feature index, or resource-key index
    std::uint32_t number = 0;  // resource number (from 1)
    std::u16string key;        // Key only

    static AccessRef feature(int i) { return {Kind::Feature, i, 0, {}}; }
    static AccessRef menuKey(std::u16string k) { return {Kind::Key, 0, 0, std::move(k)}; }
    static AccessRef resource(int k, std::uint32_t n) { return {Kind::Resource, k, n, {}}; }
};

// What a list row shows of an item.
struct RowAccess {
    bool allowed = false;           // effective value
    bool inherited = true;          // no explicit setting
    bool inheritedAllowed = false;  // the value of the inherited layers
};

RowAccess ReadAccess(const CEntitySelection& selection, const AccessRef& item);

enum class AccessChange { Allow, Deny, Inherit };

// The document's entry point for access changes of list rows: applies the change to every item
// (in order) on the selected entity's working record, then marks the document modified, also for
// an empty list. Refused (false, nothing changed, not marked) while the file is read-only.
bool SetAccess(CKestovaDoc& doc, std::span<const AccessRef> items, AccessChange change);

// The same with a change per item (the click cycles, whose result depends on each row's state).
struct AccessEdit {
    AccessRef item;
    AccessChange change;
};
bool ApplyAccessEdits(CKestovaDoc& doc, std::span<const AccessEdit> edits);

}  // namespace vexilor
