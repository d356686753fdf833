#include "restrictions/AccessExplanation.h"

#include "restrictions/RestrictionKeywords.h"

#include <functional>

namespace vexilor {

namespace {

// The state of one resource or feature in one record.
struct Cell {
    bool isExplicit = false;
    bool allowed = false;
    bool present = false;  // a value exists (an unmarked value can still allow)
    bool operator==(const Cell&) const = default;
};

// Reads one cell and cuts a record down to that cell's key, so that the bases can be replayed per
// key with the same record arithmetic the selection uses.
struct Probe {
    std::function<Cell(const CRestrictionRecord&)> read;
    std::function<CRestrictionRecord(const CRestrictionRecord&)> slice;
};

Probe resourceProbe(std::u16string_view key, std::uint32_t n)
{
    const std::u16string k(key);
    return {
        [k, n](const CRestrictionRecord& r) {
            const CAccessSet* values = r.findResources(k);
            return Cell{r.resourceExplicit(k, n), values && values->value(n), values != nullptr};
        },
        [k](const CRestrictionRecord& r) {
            CRestrictionRecord s;
            if (const CAccessSet* values = r.findResources(k))
                s.setResources(k, *values);
            if (const CAccessSet* marks = r.findResourceExplicit(k))
                s.setResourceMarks(k, *marks);
            return s;
        },
    };
}

Probe featureProbe(std::u16string_view key)
{
    const std::u16string k(key);
    return {
        [k](const CRestrictionRecord& r) {
            const std::optional<bool> value = r.findFeature(k);
            return Cell{r.findFeatureExplicit(k).value_or(false), value.value_or(false), value.has_value()};
        },
        [k](const CRestrictionRecord& r) {
            CRestrictionRecord s;
            if (const std::optional<bool> value = r.findFeature(k))
                s.setFeature(k, *value);
            if (const std::optional<bool> mark = r.findFeatureExplicit(k))
                s.setFeatureExplicit(k, *mark);
            return s;
        },
    };
}

// Replays a base (start record, then the references in order) for one cell and names the step
// that last changed it: the start (source `startSource`) or a reference.
AccessExplanation traceBase(const CRestrictionsModel& model, const Probe& probe,
                            const CRestrictionRecord& start, AccessSource startSource,
                            std::u16string_view startClass, EntityKind ownerKind, std::u16string_view owner)
{
    CRestrictionRecord base = probe.slice(start);
    Cell cell = probe.read(base);
    AccessExplanation why;
    if (cell.present || cell.isExplicit) {
        why.source = startSource;
        why.className = startClass;
    }
    const std::vector<StudioRef>* refs = model.findStudioRefs(ownerKind, owner);
    for (std::size_t i = 0; refs && i < refs->size(); ++i) {
        const StudioRef& ref = (*refs)[i];
        const CRestrictionRecord* record = model.findRecord(EntityKind::Studio, ref.studio);
        const CRestrictionRecord studio = record ? probe.slice(*record) : CRestrictionRecord();
        switch (ref.op) {
        case StudioOp::Set: base = studio; break;
        case StudioOp::Add: base = CEntitySelection::unionOf(base, studio); break;
        case StudioOp::Remove: base = CEntitySelection::differenceOf(base, studio); break;
        default: continue;
        }
        const Cell next = probe.read(base);
        if (next == cell && ref.op != StudioOp::Set)
            continue;
        cell = next;
        why = AccessExplanation{};
        why.source = AccessSource::StudioRef;
        why.studio = ref.studio;
        why.op = ref.op;
        why.position = i + 1;
        why.listOwnerKind = ownerKind;
        why.listOwner = owner;
    }
    why.denied = !cell.allowed;
    return why;
}

AccessExplanation explain(const CRestrictionsModel& model, const CEntitySelection& selection, const Probe& probe)
{
    AccessExplanation why;
    const std::size_t layers = selection.layerCount();
    if (layers == 0)
        return why;
    const std::u16string& name = selection.selectedName();
    const EntityKind kind = selection.selectedKind();
    const std::u16string className = kind == EntityKind::User ? model.classOf(name) : std::u16string();

    // The same walk as the queries: the first layer with an explicit mark answers, else the last.
    std::size_t answering = layers - 1;
    for (std::size_t l = 0; l < layers; ++l) {
        if (probe.read(selection.layer(l)).isExplicit) {
            answering = l;
            break;
        }
    }
    const Cell cell = probe.read(selection.layer(answering));
    if (answering == 0 && cell.isExplicit) {
        why.source = AccessSource::Own;
        why.denied = !cell.allowed;
        return why;
    }
    if (answering == 0) {  // a studio: only its own record
        why.source = cell.allowed ? AccessSource::Unmarked : AccessSource::Default;
        why.denied = !cell.allowed;
        return why;
    }
    // Layer 1 is the base of the class or user; layer 2 the base of the user's class.
    if (kind == EntityKind::User && answering == 1) {
        const CRestrictionRecord* classRecord = model.findRecord(EntityKind::Class, className);
        why = traceBase(model, probe, classRecord ? *classRecord : CRestrictionRecord(),
                        AccessSource::ClassOwn, className, EntityKind::User, name);
    } else {
        const std::u16string& owner = kind == EntityKind::User ? className : name;
        why = traceBase(model, probe, CRestrictionRecord(), AccessSource::Default, {}, EntityKind::Class, owner);
    }
    // The selection's layers are what the queries use; the replay only names the step.
    why.denied = !cell.allowed;
    if (!cell.isExplicit) {
        const bool byReference = why.source == AccessSource::StudioRef;
        const AccessExplanation step = why;
        why = AccessExplanation{};
        why.denied = !cell.allowed;
        why.source = cell.allowed ? AccessSource::Unmarked : AccessSource::Default;
        if (cell.allowed && byReference) {
            why.studio = step.studio;
            why.op = step.op;
            why.position = step.position;
            why.listOwnerKind = step.listOwnerKind;
            why.listOwner = step.listOwner;
        }
    }
    return why;
}

std::u16string kindWord(EntityKind kind)
{
    switch (kind) {
    case EntityKind::Studio: return u"studio";
    case EntityKind::Class: return u"class";
    case EntityKind::User: return u"user";
    default: return u"entity";
    }
}

std::u16string quoted(std::u16string_view s)
{
    return u"\"" + std::u16string(s) + u"\"";
}

std::u16string referenceText(const AccessExplanation& why)
{
    const char16_t* how = why.op == StudioOp::Add ? u"added" : why.op == StudioOp::Remove ? u"removed" : u"set";
    return u"studio " + quoted(why.studio) + u" " + how + u" at position "
        + [&] { std::string n = std::to_string(why.position); return std::u16string(n.begin(), n.end()); }()
        + u" of the studios of " + kindWord(why.listOwnerKind) + u" " + quoted(why.listOwner);
}

}  // namespace

AccessExplanation explainResource(const CRestrictionsModel& model, const CEntitySelection& selection,
                                  int k, std::uint32_t n)
{
    if (k < 0 || k >= kResourceKeyCount || n == 0)
        return {};
    return explain(model, selection, resourceProbe(resourceKeyName(k), n));
}

AccessExplanation explainFeature(const CRestrictionsModel& model, const CEntitySelection& selection,
                                 std::u16string_view key)
{
    if (key.empty())
        return {};
    return explain(model, selection, featureProbe(key));
}

std::u16string explanationText(const AccessExplanation& why, EntityKind selectedKind)
{
    const std::u16string verdict = why.denied ? u"Denied" : u"Allowed";
    switch (why.source) {
    case AccessSource::Own:
        return verdict + u" by the " + kindWord(selectedKind) + u"'s own setting.";
    case AccessSource::ClassOwn:
        return verdict + u" by the own setting of class " + quoted(why.className) + u".";
    case AccessSource::StudioRef:
        return verdict + u" through " + referenceText(why) + u".";
    case AccessSource::Unmarked:
        if (!why.studio.empty())
            return verdict + u" by an unmarked value that came through " + referenceText(why) + u".";
        return verdict + u" by an unmarked value; nothing sets it explicitly.";
    case AccessSource::Default:
        break;
    }
    return u"Denied by default: nothing allows it.";
}

std::string_view accessSourceName(AccessSource source)
{
    switch (source) {
    case AccessSource::Own: return "own";
    case AccessSource::ClassOwn: return "class";
    case AccessSource::StudioRef: return "studio";
    case AccessSource::Unmarked: return "unmarked";
    case AccessSource::Default: break;
    }
    return "default";
}

}  // namespace vexilor
