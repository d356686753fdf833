#include "restrictions/RestrictionRecord.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "text/Ordinal.h"

namespace vexilor {

CRestrictionRecord::KeyRef CRestrictionRecord::storeKey(std::u16string_view key)
{
    KeyRef ref{static_cast<std::uint32_t>(keyText_.size()), static_cast<std::uint32_t>(key.size())};
    keyText_.append(key);
    return ref;
}

// Lookups are binary searches over keys kept in order; keys of a file usually arrive in order,
// so insertion checks the end first.
std::uint32_t CRestrictionRecord::findFeatureIndex(std::u16string_view key) const
{
    std::uint32_t lo = 0;
    std::uint32_t hi = static_cast<std::uint32_t>(features_.size());
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const int c = text::compareOrdinal(text(features_[mid].key), key);
        if (c == 0)
            return mid;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return kNone;
}

CRestrictionRecord::FeatureEntry& CRestrictionRecord::featureEntry(std::u16string_view key)
{
    if (features_.empty() || text::compareOrdinal(text(features_.back().key), key) < 0) {
        features_.push_back({storeKey(key), 0});
        return features_.back();
    }
    std::uint32_t lo = 0;
    std::uint32_t hi = static_cast<std::uint32_t>(features_.size());
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const int c = text::compareOrdinal(text(features_[mid].key), key);
        if (c == 0)
            return features_[mid];
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return *features_.insert(features_.begin() + lo, FeatureEntry{storeKey(key), 0});
}

void CRestrictionRecord::setFeature(std::u16string_view key, bool value)
{
    FeatureEntry& e = featureEntry(key);
    e.flags = static_cast<std::uint8_t>((e.flags & ~kValue) | kHasValue | (value ? kValue : 0));
}

void CRestrictionRecord::setFeatureExplicit(std::u16string_view key, bool isExplicit)
{
    FeatureEntry& e = featureEntry(key);
    e.flags = static_cast<std::uint8_t>((e.flags & ~kExplicit) | kHasExplicit
                                        | (isExplicit ? kExplicit : 0));
}

void CRestrictionRecord::setExplicitFeature(std::u16string_view key, bool value)
{
    FeatureEntry& e = featureEntry(key);
    e.flags = explicitFlags(value);
}

void CRestrictionRecord::setExplicitFeatures(
    std::span<const std::pair<std::u16string_view, bool>> entries)
{
    if (entries.empty())
        return;
    for (const auto& [key, value] : entries) {
        features_.push_back({storeKey(key), explicitFlags(value)});
    }
    // Sorted through a key per entry made once: its first four units as one number (a shorter key
    // padded with zeros, so equal numbers need the whole keys), then its index, which grows in the
    // order entries come (the record's own first), so that among equal keys the last one given
    // ends last.
    struct SortKey {
        std::uint64_t prefix;
        std::uint32_t index;
    };
    thread_local std::vector<SortKey> order;
    order.resize(features_.size());
    bool sorted = true;
    for (std::uint32_t i = 0; i < features_.size(); ++i) {
        const std::u16string_view key = text(features_[i].key);
        std::uint64_t v = 0;
        for (std::uint32_t u = 0; u < 4; ++u)
            v = (v << 16) | (u < key.size() ? key[u] : 0u);
        order[i] = {v, i};
        sorted = sorted && (i == 0 || order[i - 1].prefix < v);
    }
    if (!sorted) {
        std::sort(order.begin(), order.end(), [this](const SortKey& a, const SortKey& b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix;
            const FeatureEntry& ea = features_[a.index];
            const FeatureEntry& eb = features_[b.index];
            const int c = text::compareOrdinal(text(ea.key), text(eb.key));
            return c != 0 ? c < 0 : a.index < b.index;
        });
        std::vector<FeatureEntry> inOrder;
        inOrder.reserve(features_.capacity());
        for (const SortKey& k : order)
            inOrder.push_back(features_[k.index]);
        features_.swap(inOrder);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < features_.size(); ++i) {
        if (i + 1 < features_.size() && text(features_[i].key) == text(features_[i + 1].key))
            continue;
        features_[kept++] = features_[i];
    }
    features_.resize(kept);
}

void CRestrictionRecord::setExplicitKnownFeatures(
    std::span<const std::pair<std::uint32_t, bool>> places)
{
    if (!features_.empty()) {
        std::vector<std::pair<std::u16string_view, bool>> entries;
        entries.reserve(places.size());
        for (const auto& [place, value] : places)
            entries.emplace_back(knownFeatureKey(place), value);
        setExplicitFeatures(entries);
        return;
    }
    assert(std::adjacent_find(places.begin(), places.end(), [](const auto& a, const auto& b) {
               return a.first >= b.first;
           }) == places.end());
    for (const auto& [place, value] : places) {
        const auto length = static_cast<std::uint32_t>(knownFeatureKey(place).size());
        features_.push_back({KeyRef{place | kKnownKey, length}, explicitFlags(value)});
    }
}

std::optional<bool> CRestrictionRecord::findFeature(std::u16string_view key) const
{
    const std::uint32_t i = findFeatureIndex(key);
    if (i == kNone || !(features_[i].flags & kHasValue))
        return std::nullopt;
    return (features_[i].flags & kValue) != 0;
}

std::optional<bool> CRestrictionRecord::findFeatureExplicit(std::u16string_view key) const
{
    const std::uint32_t i = findFeatureIndex(key);
    if (i == kNone || !(features_[i].flags & kHasExplicit))
        return std::nullopt;
    return (features_[i].flags & kExplicit) != 0;
}

bool CRestrictionRecord::featureExplicit(std::u16string_view key) const
{
    return findFeatureExplicit(key).value_or(false);
}

bool CRestrictionRecord::featureValue(std::u16string_view key) const
{
    return findFeature(key).value_or(false);
}

std::uint32_t CRestrictionRecord::findResourceIndex(std::u16string_view key) const
{
    if (lastResource_ != kNone && text::sameUnits(text(resources_[lastResource_].key), key))
        return lastResource_;
    std::uint32_t lo = 0;
    std::uint32_t hi = static_cast<std::uint32_t>(resourceOrder_.size());
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const std::uint32_t index = resourceOrder_[mid];
        const int c = text::compareOrdinal(text(resources_[index].key), key);
        if (c == 0) {
            lastResource_ = index;
            return index;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return kNone;
}

CRestrictionRecord::ResourceEntry& CRestrictionRecord::resourceEntry(std::u16string_view key)
{
    if (lastResource_ != kNone && text::sameUnits(text(resources_[lastResource_].key), key))
        return resources_[lastResource_];
    // A key past the last one, as keys of a file come, is added without a search.
    std::uint32_t at = static_cast<std::uint32_t>(resourceOrder_.size());
    if (!resourceOrder_.empty()
        && text::compareOrdinal(text(resources_[resourceOrder_.back()].key), key) >= 0) {
        std::uint32_t lo = 0;
        std::uint32_t hi = at;
        while (lo < hi) {
            const std::uint32_t mid = lo + (hi - lo) / 2;
            if (text::compareOrdinal(text(resources_[resourceOrder_[mid]].key), key) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        at = lo;
        if (at < resourceOrder_.size()
            && text::sameUnits(text(resources_[resourceOrder_[at]].key), key)) {
            lastResource_ = resourceOrder_[at];
            return resources_[lastResource_];
        }
    }
    const auto index = static_cast<std::uint32_t>(resources_.size());
    ResourceEntry& fresh = resources_.emplace_back();
    fresh.key = storeKey(key);
    resourceOrder_.insert(resourceOrder_.begin() + at, index);
    lastResource_ = index;
    return fresh;
}

// A key leaves the vector only when neither map has it; a map that lacks a key keeps an empty set
// in its place, so a missing set reads like a fresh one.
void CRestrictionRecord::eraseResourceIfEmpty(std::uint32_t index)
{
    if (resources_[index].hasValues || resources_[index].hasMarks)
        return;
    resources_.erase(resources_.begin() + index);
    std::erase(resourceOrder_, index);
    for (std::uint32_t& i : resourceOrder_)
        if (i > index)
            --i;
    lastResource_ = kNone;
}

namespace {

// Gives back spare capacity only when it is worth a copy: more than an eighth of the size.
template <class Container>
void shrinkIfLoose(Container& c)
{
    if (c.capacity() - c.size() > c.size() / 8)
        c.shrink_to_fit();
}

}  // namespace

void CRestrictionRecord::compact()
{
    shrinkIfLoose(features_);
    shrinkIfLoose(resources_);
    shrinkIfLoose(resourceOrder_);
    shrinkIfLoose(keyText_);
}

void CRestrictionRecord::reserve(std::size_t features, std::size_t resources, std::size_t keyUnits)
{
    features_.reserve(features);
    resources_.reserve(resources);
    resourceOrder_.reserve(resources);
    keyText_.reserve(keyUnits);
}

std::size_t CRestrictionRecord::featureCount() const
{
    return features_.size();
}

std::size_t CRestrictionRecord::resourceKeyCount() const
{
    return resources_.size();
}

std::size_t CRestrictionRecord::keyUnits() const
{
    return keyText_.size();
}

void CRestrictionRecord::setResources(std::u16string_view key, CAccessSet set)
{
    ResourceEntry& e = resourceEntry(key);
    e.values = std::move(set);
    e.hasValues = true;
}

void CRestrictionRecord::addResources(std::u16string_view key, const CAccessSet& set)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasValues = true;
    e.values.uniteWith(set);
}

void CRestrictionRecord::addResources(std::u16string_view key, CAccessSet&& set)
{
    ResourceEntry& e = resourceEntry(key);
    if (e.hasValues) {
        e.values.uniteWith(set);
        return;
    }
    // union(empty, set) is set itself with every number below its length specified.
    set.uniteWith(CAccessSet());
    e.values = std::move(set);
    e.hasValues = true;
}

void CRestrictionRecord::removeResources(std::u16string_view key, const CAccessSet& set)
{
    const std::uint32_t i = findResourceIndex(key);
    if (i == kNone || !resources_[i].hasValues)
        return;
    resources_[i].values.subtract(set);
}

void CRestrictionRecord::setResource(std::u16string_view key, std::uint32_t n, bool value)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasValues = true;
    e.values.set(n, value);
}

bool CRestrictionRecord::resourceValue(std::u16string_view key, std::uint32_t n) const
{
    const CAccessSet* s = findResources(key);
    return s && s->value(n);
}

const CAccessSet* CRestrictionRecord::findResources(std::u16string_view key) const
{
    const std::uint32_t i = findResourceIndex(key);
    return i != kNone && resources_[i].hasValues ? &resources_[i].values : nullptr;
}

CAccessSet& CRestrictionRecord::editResources(std::u16string_view key)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasValues = true;
    return e.values;
}

CAccessSet& CRestrictionRecord::editResourceExplicit(std::u16string_view key)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasMarks = true;
    return e.marks;
}

CRestrictionRecord::ResourceSets CRestrictionRecord::editResourceSets(std::u16string_view key,
                                                                      bool addValues)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasMarks = true;
    e.hasValues = e.hasValues || addValues;
    return {e.hasValues ? &e.values : nullptr, e.marks};
}

void CRestrictionRecord::markAllExplicit(std::u16string_view key)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasMarks = true;
    e.marks.setAll();
}

void CRestrictionRecord::markExplicit(std::u16string_view key, const CAccessSet& set)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasMarks = true;
    e.marks.uniteWith(set);
}

void CRestrictionRecord::markInherited(std::u16string_view key, const CAccessSet& set)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasMarks = true;
    e.marks.subtract(set);
}

void CRestrictionRecord::setResourceExplicit(std::u16string_view key, std::uint32_t n,
                                             bool isExplicit)
{
    ResourceEntry& e = resourceEntry(key);
    e.hasMarks = true;
    e.marks.set(n, isExplicit);
}

void CRestrictionRecord::setResourceMarks(std::u16string_view key, CAccessSet marks)
{
    ResourceEntry& e = resourceEntry(key);
    e.marks = std::move(marks);
    e.hasMarks = true;
}

void CRestrictionRecord::dropExplicit(std::u16string_view key)
{
    const std::uint32_t i = findResourceIndex(key);
    if (i == kNone)
        return;
    resources_[i].hasMarks = false;
    resources_[i].marks = CAccessSet();
    eraseResourceIfEmpty(i);
}

bool CRestrictionRecord::resourceExplicit(std::u16string_view key, std::uint32_t n) const
{
    const CAccessSet* s = findResourceExplicit(key);
    return s && s->value(n);
}

const CAccessSet* CRestrictionRecord::findResourceExplicit(std::u16string_view key) const
{
    const std::uint32_t i = findResourceIndex(key);
    return i != kNone && resources_[i].hasMarks ? &resources_[i].marks : nullptr;
}

}  // namespace vexilor
