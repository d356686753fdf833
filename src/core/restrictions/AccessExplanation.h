#pragma once

#include "restrictions/EntitySelection.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vexilor {

// Which layer of the resolution decided an effective value, and how.
enum class AccessSource {
    Own,        // the selected entity's own explicit setting
    ClassOwn,   // the user's class's own explicit setting
    StudioRef,  // a studio reference of a class or user
    Unmarked,   // no layer sets it explicitly; an unmarked value of the last layer allows it
    Default,    // nothing decides it: denied by default
};

struct AccessExplanation {
    bool denied = true;
    AccessSource source = AccessSource::Default;
    // ClassOwn: the class. StudioRef (and Unmarked when a reference brought the value): the
    // studio, whether a studio of that name exists (only a set reference decides through one that
    // does not), the operation, its 1-based position in the reference list of listOwner (a class
    // or a user).
    std::u16string className;
    std::u16string studio;
    bool studioExists = true;
    StudioOp op = StudioOp::Add;
    std::size_t position = 0;
    EntityKind listOwnerKind = EntityKind::None;
    std::u16string listOwner;

    bool operator==(const AccessExplanation&) const = default;
};

// Why the selected entity gets resource n of resource-key index k, or the feature or menu item
// key. The verdict is that of isRestricted / featureDenied of the same selection, and the layer
// that answers those is the layer explained. Within a base (a start record, then studio
// references in order) the last reference that decided the item is named: one that changed its
// value or its explicit mark, or a set reference, which throws away what came before it. When no
// reference decided it, the start did: for a user's own base the class's own setting, else
// nothing (denied by default) - unless a reference of the user's own base took away what the
// user would otherwise have had from it, which is then named. Without a selection: denied by
// default. The model is the one the selection was made on.
AccessExplanation explainResource(const CRestrictionsModel& model, const CEntitySelection& selection,
                                  int k, std::uint32_t n);
AccessExplanation explainFeature(const CRestrictionsModel& model, const CEntitySelection& selection,
                                 std::u16string_view key);

// One English sentence, e.g. "Denied through studio "News" removed at position 2 of the studios of
// user "Ann"." The selected entity is named by its kind ("its own setting").
std::u16string explanationText(const AccessExplanation& why, EntityKind selectedKind);

// "own", "class", "studio", "unmarked", "default".
std::string_view accessSourceName(AccessSource source);

}  // namespace vexilor
