#include "restrictions/AccessExplanation.h"

#include "restrictions/RestrictionKeywords.h"

#include <functional>

namespace vexilor {

namespace {

// The state of one resource or feature in one record: what the queries read of it.
struct Cell {
    bool isExplicit = false;
    bool allowed = false;
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
        [k, n](const CRestrictionRecord& r) { return Cell{r.resourceExplicit(k, n), r.resourceValue(k, n)}; },
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
        [k](const CRestrictionRecord& r) { return Cell{r.featureExplicit(k), r.featureValue(k)}; },
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

// One base replayed for one cell: the cell after the start and every reference, and the last
// reference that decided it (1-based; 0 when none did and the cell is still the start's).
struct Trace {
    Cell cell;
    std::size_t step = 0;
    const StudioRef* ref = nullptr;
};

// A reference decides when it changes the cell's value or marks it explicit. One that leaves both
// as they were decides nothing, even where it brings the key's set along with it (a studio with
// keypanels 1 to 5 added after a removal of 4 to 8 says nothing about 6 to 8); nor does one that
// only drops a mark, as joining explicit marks does beyond the longer of two sets when only one
// of them marks everything. A set reference always decides: it throws away what came before it.
Trace traceBase(const CRestrictionsModel& model, const Probe& probe, const CRestrictionRecord& start,
                EntityKind ownerKind, std::u16string_view owner)
{
    CRestrictionRecord base = probe.slice(start);
    Trace t;
    t.cell = probe.read(base);
    const std::vector<StudioRef>* refs = owner.empty() ? nullptr : model.findStudioRefs(ownerKind, owner);
    for (std::size_t i = 0; refs && i < refs->size(); ++i) {
        const StudioRef& ref = (*refs)[i];
        const CRestrictionRecord* record = model.findRecord(EntityKind::Studio, ref.studio);
        const CRestrictionRecord studio = record ? probe.slice(*record) : CRestrictionRecord();
        switch (ref.op) {
        case StudioOp::Set: base = studio; break;
        case StudioOp::Add: base = CEntitySelection::unionOf(base, studio); break;
        case StudioOp::Remove: base = CEntitySelection::differenceOf(base, studio); break;
        default: continue;  // skipped by the selection too
        }
        const Cell next = probe.read(base);
        if (next.allowed != t.cell.allowed || (next.isExplicit && !t.cell.isExplicit) || ref.op == StudioOp::Set) {
            t.step = i + 1;
            t.ref = &ref;
        }
        t.cell = next;
    }
    return t;
}

AccessExplanation explain(const CRestrictionsModel& model, const CEntitySelection& selection, const Probe& probe)
{
    AccessExplanation why;
    const std::size_t layers = selection.layerCount();
    if (layers == 0)
        return why;
    const std::u16string& name = selection.selectedName();
    const bool user = selection.selectedKind() == EntityKind::User;
    const std::u16string className = user ? model.classOf(name) : std::u16string();

    // The same walk as the queries: the first layer with an explicit mark answers, else the last.
    std::size_t answering = layers - 1;
    for (std::size_t l = 0; l < layers; ++l) {
        if (probe.read(selection.layer(l)).isExplicit) {
            answering = l;
            break;
        }
    }
    // The verdict is always the selection's; the replays only name what decided it.
    const Cell cell = probe.read(selection.layer(answering));
    why.denied = !cell.allowed;
    if (answering == 0) {  // explicit in the own record, or a studio, which has nothing else
        why.source = cell.isExplicit ? AccessSource::Own : cell.allowed ? AccessSource::Unmarked : AccessSource::Default;
        return why;
    }

    // Layer 1 of a user is its own base: its class's own record with its references applied.
    const auto userBase = [&] {
        const CRestrictionRecord* own = className.empty() ? nullptr : model.findRecord(EntityKind::Class, className);
        return traceBase(model, probe, own ? *own : CRestrictionRecord(), EntityKind::User, name);
    };
    Trace t;
    EntityKind ownerKind = EntityKind::Class;
    std::u16string_view owner = user ? std::u16string_view(className) : std::u16string_view(name);
    if (user && answering == 1) {
        t = userBase();
        ownerKind = EntityKind::User;
        owner = name;
    } else {
        t = traceBase(model, probe, CRestrictionRecord(), EntityKind::Class, owner);
        // Nothing in the class's studios decides it. A reference of the user's own that took away
        // what the user had from its class and studios (a set reference) is then what denies it.
        if (t.step == 0 && user) {
            Trace own = userBase();
            if (own.step != 0 && !own.cell.allowed) {
                t = own;
                ownerKind = EntityKind::User;
                owner = name;
            }
        }
    }

    if (t.step != 0) {
        why.source = cell.allowed && !cell.isExplicit ? AccessSource::Unmarked : AccessSource::StudioRef;
        why.studio = t.ref->studio;
        why.studioExists = model.exists(EntityKind::Studio, t.ref->studio);
        why.op = t.ref->op;
        why.position = t.step;
        why.listOwnerKind = ownerKind;
        why.listOwner = owner;
    } else if (ownerKind == EntityKind::User) {
        // The user's own base answers with the cell its class's own record started it with.
        why.source = AccessSource::ClassOwn;
        why.className = className;
    } else {
        why.source = cell.allowed ? AccessSource::Unmarked : AccessSource::Default;
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
        + u" of the studios of " + kindWord(why.listOwnerKind) + u" " + quoted(why.listOwner)
        + (why.studioExists ? u"" : u" (there is no such studio)");
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
