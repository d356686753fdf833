#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "restrictions/RestrictionRecord.h"
#include "text/Ordinal.h"

namespace vexilor {

// Kinds of entity, used as numbers throughout (0 = none).
enum class EntityKind : int { None = 0, Studio = 1, Class = 2, User = 3 };

// The state of one resource, feature or menu item of a class or user: an explicit flag plus a
// value. For studios Allow and Deny read Include and Exclude; studios do not inherit.
enum class AccessState { Allow, Deny, Inherit };

// How a class or user takes the resources of a studio. Set = "=", Add = "+=", Remove = "-=".
// Other values can be stored; the writer refuses them.
enum class StudioOp : int { Set = 0, Add = 1, Remove = 2 };

struct StudioRef {
    std::u16string studio;
    StudioOp op = StudioOp::Add;

    bool operator==(const StudioRef&) const = default;
};

// Visitor of names (see CRestrictionsModel::names).
class CRestrictionsEnumerator {
public:
    virtual ~CRestrictionsEnumerator() = default;
    virtual void visit(std::u16string_view name) = 0;
};

// Collects the visited names in order.
class CKestovaEnumerator : public CRestrictionsEnumerator {
public:
    explicit CKestovaEnumerator(std::vector<std::u16string>& names) : names_(names) {}
    void visit(std::u16string_view name) override { names_.emplace_back(name); }

private:
    std::vector<std::u16string>& names_;
};

// Maps keyed by names order them ordinally: UTF-16 code units compared as unsigned numbers, so
// "B" sorts before "a" and "Tom" and "tom" are two names.
template <class T>
using NameMap = std::map<std::u16string, T, text::OrdinalLess>;
using RecordMap = NameMap<CRestrictionRecord>;

// The in-memory form of one restrictions file: device name, studios, classes and users with their
// own settings, and the links between them (class of a user, studio references of classes and
// users). Effective access is computed elsewhere from these. The program keeps one instance; it is
// an ordinary class so that tools and tests can hold several.
class CRestrictionsModel {
public:
    // Empties everything and clears every flag; bumps generation().
    void reset();
    // reset(), then one empty user named userName; the model is loaded and valid for editing.
    void newFile(std::u16string_view userName);
    // Changes on every reset, so that whoever keeps state derived from the model (a selection)
    // can tell that it belongs to an older content.
    std::uint64_t generation() const { return generation_; }

    const std::u16string& deviceName() const { return deviceName_; }
    void setDeviceName(std::u16string_view name) { deviceName_ = name; }
    // A file was read to its end without error, or a new model was made. The writer needs it.
    bool loaded() const { return loaded_; }
    void setLoaded(bool v) { loaded_ = v; }
    // A file is open for editing; saving and exporting need it.
    bool documentValid() const { return documentValid_; }
    void setDocumentValid(bool v) { documentValid_ = v; }
    // The open file is read-only on disk: changes are not committed and nothing is saved.
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool v) { readOnly_ = v; }

    // kind Studio, Class or User; any other kind has no records.
    bool exists(EntityKind kind, std::u16string_view name) const;
    // A copy of the stored record, or an empty record when there is none.
    CRestrictionRecord getRecord(EntityKind kind, std::u16string_view name) const;
    // The stored record without copying; null when there is none.
    const CRestrictionRecord* findRecord(EntityKind kind, std::u16string_view name) const;
    // The stored record for changing in place; null when there is none.
    CRestrictionRecord* editRecord(EntityKind kind, std::u16string_view name);
    // Inserts or replaces; other kinds are ignored.
    void putRecord(EntityKind kind, std::u16string_view name, CRestrictionRecord record);
    // All records of one kind in name order (an empty map for other kinds).
    const RecordMap& records(EntityKind kind) const;

    // The class of a user; empty when the user has none.
    std::u16string classOf(std::u16string_view user) const;
    // An empty class name removes the user's class.
    void setClassOf(std::u16string_view user, std::u16string_view className);
    const NameMap<std::u16string>& classOfUser() const { return classOfUser_; }

    // Studio references of a class or user in list order; empty for other kinds or when none.
    std::vector<StudioRef> studioRefs(EntityKind kind, std::u16string_view name) const;
    const std::vector<StudioRef>* findStudioRefs(EntityKind kind, std::u16string_view name) const;
    void setStudioRefs(EntityKind kind, std::u16string_view name, std::vector<StudioRef> refs);
    void appendStudioRef(EntityKind kind, std::u16string_view name, StudioRef ref);

    // Joining the parts of one file read apart, in steps: whether none of the names of other's
    // studios, classes and users is in use here; moving those records into this model; moving
    // their links (class of a user, studio references). A move leaves in other the entries whose
    // names are in use here. The records and the links lie in separate maps, so the two moves can
    // run at once. Other's device name and flags are not taken.
    bool canTakeEntitiesOf(const CRestrictionsModel& other) const;
    void takeRecordsOf(CRestrictionsModel& other);
    void takeLinksOf(CRestrictionsModel& other);

    // Calls the enumerator once per name of that kind in map order; returns the count.
    std::size_t names(EntityKind kind, CRestrictionsEnumerator& enumerator) const;

    // Renames old to newName; an empty newName deletes. False, changing nothing, when old does not
    // exist or newName is not empty and exists already. Links follow the rename: a user keeps its
    // class and references; the users of a class follow it (or lose their class); the first
    // reference to a studio in each user's and then each class's list follows it (or is removed).
    bool renameStudio(std::u16string_view old, std::u16string_view newName);
    bool renameClass(std::u16string_view old, std::u16string_view newName);
    bool renameUser(std::u16string_view old, std::u16string_view newName);
    // False while a class or user still references the studio, or when there is no such studio.
    bool deleteStudio(std::u16string_view name);
    // False while a user still belongs to the class, or when there is no such class.
    bool deleteClass(std::u16string_view name);

private:
    RecordMap* recordMap(EntityKind kind);
    NameMap<std::vector<StudioRef>>* refMap(EntityKind kind);
    const NameMap<std::vector<StudioRef>>* refMap(EntityKind kind) const;
    bool referencesStudio(std::u16string_view studio) const;

    std::u16string deviceName_;
    bool loaded_ = false;
    bool documentValid_ = false;
    bool readOnly_ = false;
    std::uint64_t generation_ = 0;
    RecordMap studios_;
    RecordMap classes_;
    RecordMap users_;
    NameMap<std::u16string> classOfUser_;
    NameMap<std::vector<StudioRef>> classStudioRefs_;
    NameMap<std::vector<StudioRef>> userStudioRefs_;
};

}  // namespace vexilor
