#include "restrictions/EntitySelection.h"

#include "restrictions/RestrictionKeywords.h"

#include <algorithm>

namespace vexilor {

namespace {

// Keys by index; empty outside the tables, so that a stray index never lands on a neighbouring
// table entry (resource index -1 would otherwise name the last feature).
std::u16string_view resourceKeyAt(int k)
{
    return k >= 0 && k < kResourceKeyCount ? resourceKeyName(k) : std::u16string_view();
}

std::u16string_view featureKeyAt(int i)
{
    return i >= 0 && i < kFeatureKeywordCount ? featureKey(i) : std::u16string_view();
}

}  // namespace

bool CEntitySelection::select(std::u16string_view name, EntityKind kind)
{
    if (!model_.documentValid())
        return false;
    generation_ = model_.generation();
    layers_.clear();
    scratch_ = CRestrictionRecord();
    if (kind == EntityKind::None) {
        name_.clear();
        kind_ = EntityKind::None;
        return true;
    }
    name_ = name;
    kind_ = kind;
    layers_.push_back(model_.getRecord(kind, name));
    if (kind == EntityKind::Class) {
        layers_.push_back(classBase(name));
    } else if (kind == EntityKind::User) {
        layers_.push_back(userBase(name));
        layers_.push_back(classBase(model_.classOf(name)));
    }
    return true;
}

bool CEntitySelection::storable() const
{
    return !model_.readOnly() && hasSelection() && !layers_.empty() && model_.exists(kind_, name_);
}

bool CEntitySelection::commit()
{
    if (!storable())
        return false;
    model_.putRecord(kind_, name_, layers_.front());
    return true;
}

void CEntitySelection::clear()
{
    name_.clear();
    kind_ = EntityKind::None;
    layers_.clear();
    scratch_ = CRestrictionRecord();
}

CRestrictionRecord& CEntitySelection::target()
{
    if (hasSelection() && !layers_.empty())
        return layers_.front();
    return scratch_;
}

// ---- bases ----

namespace {

// Union and difference of records differ only in what they do to the values of resources: both
// copy b's features, join the explicit marks of features, and markUnion the explicit marks of
// resources.
CRestrictionRecord combine(const CRestrictionRecord& a, const CRestrictionRecord& b, bool subtract)
{
    CRestrictionRecord r = a;
    b.forEachFeature([&](std::u16string_view key, bool v) { r.setFeature(key, v); });
    b.forEachFeatureExplicit([&](std::u16string_view key, bool e) {
        if (e)
            r.setFeatureExplicit(key, true);
        else if (!a.findFeatureExplicit(key))
            r.setFeatureExplicit(key, false);
    });
    b.forEachResources([&](std::u16string_view key, const CAccessSet& s) {
        if (!subtract)
            r.addResources(key, s);
        else if (r.findResources(key))  // keys the result has no values for are ignored
            r.removeResources(key, s);
    });
    b.forEachResourceExplicit([&](std::u16string_view key, const CAccessSet& marks) {
        const CAccessSet* mine = a.findResourceExplicit(key);
        r.setResourceMarks(key, mine ? CAccessSet::markUnion(*mine, marks) : marks);
    });
    return r;
}

}  // namespace

CRestrictionRecord CEntitySelection::unionOf(const CRestrictionRecord& a, const CRestrictionRecord& b)
{
    return combine(a, b, false);
}

CRestrictionRecord CEntitySelection::differenceOf(const CRestrictionRecord& a, const CRestrictionRecord& b)
{
    return combine(a, b, true);
}

void CEntitySelection::applyRefs(CRestrictionRecord& base, const std::vector<StudioRef>* refs) const
{
    if (!refs)
        return;
    for (const StudioRef& ref : *refs) {
        const CRestrictionRecord* studio = model_.findRecord(EntityKind::Studio, ref.studio);
        const CRestrictionRecord empty;
        const CRestrictionRecord& s = studio ? *studio : empty;
        switch (ref.op) {
        case StudioOp::Set: base = s; break;  // takes over the studio's resources
        case StudioOp::Add: base = unionOf(base, s); break;
        case StudioOp::Remove: base = differenceOf(base, s); break;
        default: break;  // unknown operations are skipped
        }
    }
}

CRestrictionRecord CEntitySelection::classBase(std::u16string_view className) const
{
    CRestrictionRecord base;
    if (!className.empty())
        applyRefs(base, model_.findStudioRefs(EntityKind::Class, className));
    return base;
}

CRestrictionRecord CEntitySelection::userBase(std::u16string_view user) const
{
    const std::u16string className = model_.classOf(user);
    CRestrictionRecord base;
    if (const CRestrictionRecord* own = className.empty() ? nullptr : model_.findRecord(EntityKind::Class, className))
        base = *own;
    applyRefs(base, model_.findStudioRefs(EntityKind::User, user));
    return base;
}

// ---- queries ----

std::size_t CEntitySelection::answeringLayer(std::size_t first,
                                             const std::function<bool(const CRestrictionRecord&)>& isExplicit) const
{
    // The first layer from first on that sets the item itself answers; otherwise the last one.
    const std::size_t count = layerCount();
    for (std::size_t i = std::min(first, count - 1); i < count; ++i)
        if (isExplicit(layers_[i]))
            return i;
    return count - 1;
}

int CEntitySelection::restrictedFrom(std::size_t first, std::u16string_view key, std::uint32_t n) const
{
    if (layerCount() == 0)
        return 1;
    const std::size_t layer = answeringLayer(first, [&](const CRestrictionRecord& r) {
        const CAccessSet* marks = r.findResourceExplicit(key);
        return marks && marks->value(n);
    });
    const CAccessSet* values = layers_[layer].findResources(key);
    return values && values->value(n) ? 0 : 1;
}

int CEntitySelection::featureDeniedFrom(std::size_t first, std::u16string_view key) const
{
    if (layerCount() == 0)
        return 1;
    const std::size_t layer =
        answeringLayer(first, [&](const CRestrictionRecord& r) { return r.featureExplicit(key); });
    return layers_[layer].featureValue(key) ? 0 : 1;
}

int CEntitySelection::isRestricted(int k, std::uint32_t n) const
{
    return restrictedFrom(0, resourceKeyAt(k), n);
}

int CEntitySelection::inheritedRestricted(int k, std::uint32_t n) const
{
    return restrictedFrom(1, resourceKeyAt(k), n);
}

int CEntitySelection::isInherited(int k, std::uint32_t n) const
{
    if (layerCount() == 0)
        return 1;
    return layers_.front().resourceExplicit(resourceKeyAt(k), n) ? 0 : 1;
}

int CEntitySelection::featureDenied(std::u16string_view key) const
{
    return featureDeniedFrom(0, key);
}
int CEntitySelection::featureDenied(int i) const
{
    return featureDenied(featureKeyAt(i));
}
int CEntitySelection::featureInheritedDenied(std::u16string_view key) const
{
    return featureDeniedFrom(1, key);
}
int CEntitySelection::featureInheritedDenied(int i) const
{
    return featureInheritedDenied(featureKeyAt(i));
}
int CEntitySelection::featureIsInherited(std::u16string_view key) const
{
    if (layerCount() == 0)
        return 1;
    return layers_.front().featureExplicit(key) ? 0 : 1;
}
int CEntitySelection::featureIsInherited(int i) const
{
    return featureIsInherited(featureKeyAt(i));
}

std::u16string_view CEntitySelection::featureLabel(int i)
{
    return i >= 0 && i < kFeatureKeywordCount ? restrictionKeyword(i + 1).label : std::u16string_view();
}

// ---- changes ----

// A change under an empty key would be written as a line that no reader takes back; resource 0
// does not exist. Both are dropped here.
void CEntitySelection::setRestricted(int k, std::uint32_t n, bool restricted)
{
    const std::u16string_view key = resourceKeyAt(k);
    if (!key.empty() && n != 0)
        target().setResource(key, n, !restricted);
}

void CEntitySelection::setInherit(int k, std::uint32_t n, bool inherit)
{
    const std::u16string_view key = resourceKeyAt(k);
    if (!key.empty() && n != 0)
        target().setResourceExplicit(key, n, !inherit);
}

void CEntitySelection::setFeatureDenied(std::u16string_view key, bool denied)
{
    if (!key.empty())
        target().setFeature(key, !denied);
}
void CEntitySelection::setFeatureDenied(int i, bool denied)
{
    setFeatureDenied(featureKeyAt(i), denied);
}
void CEntitySelection::setFeatureInherit(std::u16string_view key, bool inherit)
{
    if (!key.empty())
        target().setFeatureExplicit(key, !inherit);
}
void CEntitySelection::setFeatureInherit(int i, bool inherit)
{
    setFeatureInherit(featureKeyAt(i), inherit);
}

bool CEntitySelection::setEverything(std::u16string_view name, EntityKind kind, bool value,
                                     std::span<const std::u16string> menuKeys)
{
    // Refused before anything changes, so the working copy never shows what was not stored.
    if (!select(name, kind) || !storable())
        return false;
    CRestrictionRecord& r = layers_.front();
    for (int k = 0; k < kResourceKeyCount; ++k) {
        r.setResources(resourceKeyName(k), CAccessSet::uniform(value));
        r.markAllExplicit(resourceKeyName(k));
    }
    if (kind != EntityKind::Studio) {
        for (int i = 0; i < kFeatureKeywordCount; ++i)
            r.setExplicitFeature(featureKey(i), value);
        r.setFeature(kMenusAllKey, false);
        for (const std::u16string& key : menuKeys)
            if (!key.empty())
                r.setExplicitFeature(key, value);
    }
    return commit();
}

bool CEntitySelection::allowAll(std::u16string_view name, EntityKind kind, std::span<const std::u16string> menuKeys)
{
    return setEverything(name, kind, true, menuKeys);
}

bool CEntitySelection::denyAll(std::u16string_view name, EntityKind kind, std::span<const std::u16string> menuKeys)
{
    return setEverything(name, kind, false, menuKeys);
}

bool CEntitySelection::inheritAll(std::u16string_view name, EntityKind kind, std::span<const std::u16string> menuKeys)
{
    // Studios do not inherit: a studio's resources without their marks are not written.
    if (kind == EntityKind::Studio || !select(name, kind) || !storable())
        return false;
    CRestrictionRecord& r = layers_.front();
    for (int i = 0; i < kFeatureKeywordCount; ++i)
        r.setFeatureExplicit(featureKey(i), false);
    for (int k = 0; k < kResourceKeyCount; ++k)
        r.dropExplicit(resourceKeyName(k));
    for (const std::u16string& key : menuKeys)
        if (!key.empty())
            r.setFeatureExplicit(key, false);
    return commit();
}

}  // namespace vexilor
