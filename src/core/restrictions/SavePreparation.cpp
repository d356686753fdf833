#include "restrictions/SavePreparation.h"

#include "restrictions/ResourceTypes.h"

namespace vexilor {
namespace {

void prepareRecord(CRestrictionRecord& record, std::span<const std::uint32_t> typeCounts)
{
    for (const TypedResourceKey& k : resourceKeysInTypeOrder()) {
        const std::size_t type = static_cast<std::size_t>(k.type);
        const std::uint32_t n = type < typeCounts.size() ? typeCounts[type] : 0;

        const CAccessSet* values = record.findResources(k.key);
        const bool v = values && values->value(1);
        if (!values || values->isUniform(2, n, v)) {
            // A missing set already reads as everything denied.
            if (values || v)
                record.setResources(k.key, CAccessSet::uniform(v));
        }

        const CAccessSet* marks = record.findResourceExplicit(k.key);
        const bool e = marks && marks->value(1);
        if (marks && marks->isUniform(2, n, e)) {
            if (e)
                record.setResourceMarks(k.key, CAccessSet::uniform(true));
            else
                record.dropExplicit(k.key);
        }
    }
}

}  // namespace

void prepareForSave(CRestrictionsModel& model, std::span<const std::uint32_t> typeCounts)
{
    for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User})
        for (const auto& entry : model.records(kind))
            if (CRestrictionRecord* record = model.editRecord(kind, entry.first))
                prepareRecord(*record, typeCounts);
}

}  // namespace vexilor
