#include "restrictions/EntitySelection.h"

#include "restrictions/RestrictionKeywords.h"

namespace vexilor {

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

bool CEntitySelection::commit()
{
    if (model_.readOnly() || !hasSelection() || layers_.empty())
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

int CEntitySelection::restrictedFrom(std::size_t first, std::u16string_view key, std::uint32_t n) const
{
    const std::size_t count = layerCount();
    if (count == 0)
        return 1;
    if (first >= count)
        first = count - 1;
    std::size_t answering = count - 1;
    for (std::size_t i = first; i < count; ++i) {
        const CAccessSet* marks = layers_[i].findResourceExplicit(key);
        if (marks && marks->value(n)) {
            answering = i;
            break;
        }
    }
    const CAccessSet* values = layers_[answering].findResources(key);
    return values && values->value(n) ? 0 : 1;
}

int CEntitySelection::featureDeniedFrom(std::size_t first, std::u16string_view key) const
{
    const std::size_t count = layerCount();
    if (count == 0)
        return 1;
    if (first >= count)
        first = count - 1;
    std::size_t answering = count - 1;
    for (std::size_t i = first; i < count; ++i) {
        if (layers_[i].featureExplicit(key)) {
            answering = i;
            break;
        }
    }
    return layers_[answering].featureValue(key) ? 0 : 1;
}

int CEntitySelection::isRestricted(int k, std::uint32_t n) const
{
    return restrictedFrom(0, resourceKeyName(k), n);
}

int CEntitySelection::inheritedRestricted(int k, std::uint32_t n) const
{
    return restrictedFrom(1, resourceKeyName(k), n);
}

int CEntitySelection::isInherited(int k, std::uint32_t n) const
{
    if (layerCount() == 0)
        return 1;
    return layers_.front().resourceExplicit(resourceKeyName(k), n) ? 0 : 1;
}

int CEntitySelection::featureDenied(std::u16string_view key) const
{
    return featureDeniedFrom(0, key);
}
int CEntitySelection::featureDenied(int i) const
{
    return featureDenied(featureKey(i));
}
int CEntitySelection::featureInheritedDenied(std::u16string_view key) const
{
    return featureDeniedFrom(1, key);
}
int CEntitySelection::featureInheritedDenied(int i) const
{
    return featureInheritedDenied(featureKey(i));
}
int CEntitySelection::featureIsInherited(std::u16string_view key) const
{
    if (layerCount() == 0)
        return 1;
    return layers_.front().featureExplicit(key) ? 0 : 1;
}
int CEntitySelection::featureIsInherited(int i) const
{
    return featureIsInherited(featureKey(i));
}

std::u16string_view CEntitySelection::featureLabel(int i)
{
    return restrictionKeyword(i + 1).label;
}

// ---- changes ----

void CEntitySelection::setRestricted(int k, std::uint32_t n, bool restricted)
{
    target().setResource(resourceKeyName(k), n, !restricted);
}

void CEntitySelection::setInherit(int k, std::uint32_t n, bool inherit)
{
    target().setResourceExplicit(resourceKeyName(k), n, !inherit);
}

void CEntitySelection::setFeatureDenied(std::u16string_view key, bool denied)
{
    target().setFeature(key, !denied);
}
void CEntitySelection::setFeatureDenied(int i, bool denied)
{
    setFeatureDenied(featureKey(i), denied);
}
void CEntitySelection::setFeatureInherit(std::u16string_view key, bool inherit)
{
    target().setFeatureExplicit(key, !inherit);
}
void CEntitySelection::setFeatureInherit(int i, bool inherit)
{
    setFeatureInherit(featureKey(i), inherit);
}

bool CEntitySelection::setEverything(std::u16string_view name, EntityKind kind, bool value,
                                     std::span<const std::u16string> menuKeys)
{
    select(name, kind);
    CRestrictionRecord& r = target();
    for (int i = 0; i < kFeatureKeywordCount; ++i)
        r.setExplicitFeature(featureKey(i), value);
    r.setFeature(kMenusAllKey, false);
    for (int k = 0; k < kResourceKeyCount; ++k) {
        r.setResources(resourceKeyName(k), CAccessSet::uniform(value));
        r.markAllExplicit(resourceKeyName(k));
    }
    for (const std::u16string& key : menuKeys)
        r.setExplicitFeature(key, value);
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
    select(name, kind);
    CRestrictionRecord& r = target();
    for (int i = 0; i < kFeatureKeywordCount; ++i)
        r.setFeatureExplicit(featureKey(i), false);
    for (int k = 0; k < kResourceKeyCount; ++k)
        r.dropExplicit(resourceKeyName(k));
    for (const std::u16string& key : menuKeys)
        r.setFeatureExplicit(key, false);
    return commit();
}

}  // namespace vexilor
