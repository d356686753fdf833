#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "restrictions/RestrictionRecord.h"
#include "restrictions/RestrictionsModel.h"

namespace vexilor {

// The entity being edited and what it inherits. Selecting builds a chain of records: layer 0 is a
// working copy of the entity's own record (all changes go there), then the bases it inherits from:
//   studio:          own
//   class C:         own, base of C (C's studio references applied to an empty record)
//   user U, class C: own, base of U (C's own record with U's studio references applied), base of C
// Queries walk the chain; commit stores layer 0 back into the model. Query results use the
// restricted sense: 1 = denied, 0 = allowed.
//
// A selection belongs to one content of the model: after the model is reset it reads as nothing
// selected, so no stale chain can be committed into a new file.
class CEntitySelection {
public:
    explicit CEntitySelection(CRestrictionsModel& model) : model_(model) {}

    // False when no file is open for editing. Kind None clears the selection.
    bool select(std::u16string_view name, EntityKind kind);
    // Stores layer 0 under the selected name; false while the file is read-only, when nothing is
    // selected, or when the entity is gone (deleted or renamed since it was selected: storing it
    // would bring the old name back).
    bool commit();
    // Forgets the selection without storing anything. A reset of the model does the same by
    // itself; whoever deletes or renames the selected entity calls this (or selects again).
    void clear();

    bool hasSelection() const { return current() && kind_ != EntityKind::None; }
    const std::u16string& selectedName() const { return name_; }
    EntityKind selectedKind() const { return current() ? kind_ : EntityKind::None; }
    std::size_t layerCount() const { return current() ? layers_.size() : 0; }
    const CRestrictionRecord& layer(std::size_t i) const { return layers_.at(i); }

    // Resources, by resource-key index k (0 to 27) and resource number n.
    int isRestricted(int k, std::uint32_t n) const;
    int inheritedRestricted(int k, std::uint32_t n) const;
    int isInherited(int k, std::uint32_t n) const;
    // Features by feature index (0 to 219), or features and menu items by key.
    int featureDenied(int i) const;
    int featureDenied(std::u16string_view key) const;
    int featureInheritedDenied(int i) const;
    int featureInheritedDenied(std::u16string_view key) const;
    int featureIsInherited(int i) const;
    int featureIsInherited(std::u16string_view key) const;
    // The display label of feature index i.
    static std::u16string_view featureLabel(int i);

    // Changes to layer 0, or to a scratch record that is never stored while nothing is selected.
    // An index outside the table, resource number 0 and an empty key change nothing.
    void setRestricted(int k, std::uint32_t n, bool restricted);
    void setInherit(int k, std::uint32_t n, bool inherit);
    void setFeatureDenied(int i, bool denied);
    void setFeatureDenied(std::u16string_view key, bool denied);
    void setFeatureInherit(int i, bool inherit);
    void setFeatureInherit(std::u16string_view key, bool inherit);

    // Select the entity, set every feature, resource key and menu item explicitly (Menus.All
    // always denied), commit. menuKeys are the catalogue's keys in its order. A studio gets its
    // resource keys only: the file never holds a studio's features, so features set on one would
    // reach its classes and users only until the file is saved and read again. False, changing
    // nothing, when the entity cannot be selected or committed.
    bool allowAll(std::u16string_view name, EntityKind kind, std::span<const std::u16string> menuKeys);
    bool denyAll(std::u16string_view name, EntityKind kind, std::span<const std::u16string> menuKeys);
    // Select the class or user, drop every explicit mark (values stay), commit. False as above,
    // and for a studio, which does not inherit (a studio's unmarked resources are not written).
    bool inheritAll(std::u16string_view name, EntityKind kind, std::span<const std::u16string> menuKeys);

    // Record arithmetic of the bases, exposed for tests.
    static CRestrictionRecord unionOf(const CRestrictionRecord& a, const CRestrictionRecord& b);
    static CRestrictionRecord differenceOf(const CRestrictionRecord& a, const CRestrictionRecord& b);
    // The base of a class (its references applied to an empty record) or of a user (its class's
    // own record with the user's references applied).
    CRestrictionRecord classBase(std::u16string_view className) const;
    CRestrictionRecord userBase(std::u16string_view user) const;

private:
    bool current() const { return generation_ == model_.generation(); }
    bool storable() const;
    // Where changes go: layer 0, or the scratch record.
    CRestrictionRecord& target();
    std::size_t answeringLayer(std::size_t first,
                               const std::function<bool(const CRestrictionRecord&)>& isExplicit) const;
    int restrictedFrom(std::size_t first, std::u16string_view key, std::uint32_t n) const;
    int featureDeniedFrom(std::size_t first, std::u16string_view key) const;
    void applyRefs(CRestrictionRecord& base, const std::vector<StudioRef>* refs) const;
    bool setEverything(std::u16string_view name, EntityKind kind, bool value,
                       std::span<const std::u16string> menuKeys);

    CRestrictionsModel& model_;
    std::uint64_t generation_ = ~std::uint64_t(0);
    std::u16string name_;
    EntityKind kind_ = EntityKind::None;
    std::vector<CRestrictionRecord> layers_;
    CRestrictionRecord scratch_;
};

}  // namespace vexilor
