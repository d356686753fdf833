#pragma once

#include <cstdint>
#include <span>

#include "restrictions/RestrictionsModel.h"

namespace vexilor {

// Run before every save: for each record and resource key, with N the intercom's number of
// resources of the key's type (typeCounts[type], 0 for a type past the span), a key whose
// resources 1 to N all have one value becomes a plain "all" set, and explicit marks that are the
// same for 1 to N become "all explicit" or disappear. The writer then puts such keys as a single
// "= *" or "-= *" line. Resources above N do not count and are dropped with the replacement.
void prepareForSave(CRestrictionsModel& model, std::span<const std::uint32_t> typeCounts);

}  // namespace vexilor
