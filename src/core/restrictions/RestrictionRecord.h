#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "restrictions/AccessSet.h"
#include "restrictions/RestrictionKeywords.h"

namespace vexilor {

// The own settings of one studio, class or user, as four maps keyed by text:
// - features: key -> value (true = allowed); feature keys, menu-item keys and any other key read
//   from a file;
// - featureExplicit: key -> whether the feature is set in this record rather than inherited;
// - resources: resource key -> the values of its resources;
// - resourceExplicit: resource key -> which of its resources are set explicitly.
// A key missing from a map reads as false (not explicit, not allowed). Every map iterates in
// ordinal order of its keys (UTF-16 code units compared as unsigned numbers).
//
// Records are plain values: copy them, compare them through their maps. Pointers and references
// returned by the find functions stay valid until the record changes.
class CRestrictionRecord {
public:
    bool empty() const { return features_.empty() && resources_.empty(); }

    // Features and menu items.
    void setFeature(std::u16string_view key, bool value);
    void setFeatureExplicit(std::u16string_view key, bool isExplicit);
    // features[key] = value and featureExplicit[key] = true, as a feature line of a file does.
    void setExplicitFeature(std::u16string_view key, bool value);
    // setExplicitFeature for each entry in turn (a later entry for a key wins), with one sort
    // instead of an ordered insertion per key, as a whole section of a file is read.
    void setExplicitFeatures(std::span<const std::pair<std::u16string_view, bool>> entries);
    // The same for known feature keys given by their place in featureKeysInOrder(), places
    // ascending, each once: no sort when the record has no features yet, and the record refers to
    // the table's keys instead of keeping copies of them.
    void setExplicitKnownFeatures(std::span<const std::pair<std::uint32_t, bool>> places);
    bool featureExplicit(std::u16string_view key) const;
    bool featureValue(std::u16string_view key) const;
    // The map entries themselves; nullopt when the key is missing from that map.
    std::optional<bool> findFeature(std::u16string_view key) const;
    std::optional<bool> findFeatureExplicit(std::u16string_view key) const;
    // f(std::u16string_view key, bool value) for every entry of features, in key order.
    template <class F>
    void forEachFeature(F&& f) const;
    // f(std::u16string_view key, bool isExplicit) for every entry of featureExplicit, in key order.
    template <class F>
    void forEachFeatureExplicit(F&& f) const;

    // f(std::u16string_view key, std::optional<bool> value, std::optional<bool> isExplicit) for
    // every key in either feature map, in key order.
    template <class F>
    void forEachFeatureEntry(F&& f) const;

    // Resource values.
    void setResources(std::u16string_view key, CAccessSet set);
    // resources[key] = union(old or an empty set, set).
    void addResources(std::u16string_view key, const CAccessSet& set);
    void addResources(std::u16string_view key, CAccessSet&& set);
    // resources[key] = difference(old, set); nothing when the key has no set.
    void removeResources(std::u16string_view key, const CAccessSet& set);
    void setResource(std::u16string_view key, std::uint32_t n, bool value);
    bool resourceValue(std::u16string_view key, std::uint32_t n) const;
    const CAccessSet* findResources(std::u16string_view key) const;
    // The values of the key for changing in place, an empty set added when missing.
    CAccessSet& editResources(std::u16string_view key);
    // f(std::u16string_view key, const CAccessSet& values) for every entry of resources, in key order.
    template <class F>
    void forEachResources(F&& f) const;

    // Explicit marks of resources.
    // Every resource of the key explicit (setAll on the marks, creating them when missing).
    void markAllExplicit(std::u16string_view key);
    // marks = union(old or empty, set).
    void markExplicit(std::u16string_view key, const CAccessSet& set);
    // marks = difference(old or empty, set).
    void markInherited(std::u16string_view key, const CAccessSet& set);
    void setResourceExplicit(std::u16string_view key, std::uint32_t n, bool isExplicit);
    // Replaces the marks of the key as a whole.
    void setResourceMarks(std::u16string_view key, CAccessSet marks);
    void dropExplicit(std::u16string_view key);
    bool resourceExplicit(std::u16string_view key, std::uint32_t n) const;
    const CAccessSet* findResourceExplicit(std::u16string_view key) const;
    // The marks of the key for changing in place, an empty set added when missing.
    CAccessSet& editResourceExplicit(std::u16string_view key);
    // f(std::u16string_view key, const CAccessSet& marks) for every entry of resourceExplicit.
    template <class F>
    void forEachResourceExplicit(F&& f) const;

    // Both sets of a key for a statement that changes them together, with one lookup: the marks,
    // added when missing, and the values, added when missing if addValues, else null when missing.
    struct ResourceSets {
        CAccessSet* values;
        CAccessSet& marks;
    };
    ResourceSets editResourceSets(std::u16string_view key, bool addValues);

    // f(std::u16string_view key, const CAccessSet* values, const CAccessSet* marks) for every key
    // in either resource map, in key order; a pointer is null when its map lacks the key.
    template <class F>
    void forEachResourceEntry(F&& f) const;

    // Gives back the spare capacity of the record's storage (after it has been filled), where
    // there is enough of it to be worth a copy.
    void compact();
    // Room for that many feature keys, resource keys and units of key text, so that a record
    // being filled does not grow step by step.
    void reserve(std::size_t features, std::size_t resources, std::size_t keyUnits);
    std::size_t featureCount() const;
    std::size_t resourceKeyCount() const;
    std::size_t keyUnits() const;

    // Replaces the four maps by those of other.
    void assignMaps(const CRestrictionRecord& other) { *this = other; }

private:
    // A key's text lives in keyText_; records copy as a whole, so offsets stay valid in copies.
    struct KeyRef {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    enum : std::uint8_t { kHasValue = 1, kValue = 2, kHasExplicit = 4, kExplicit = 8 };
    struct FeatureEntry {
        KeyRef key;
        std::uint8_t flags = 0;
    };
    // The flags of a feature set explicitly to value.
    static std::uint8_t explicitFlags(bool value)
    {
        return static_cast<std::uint8_t>(kHasValue | (value ? kValue : 0) | kHasExplicit | kExplicit);
    }
    struct ResourceEntry {
        KeyRef key;
        bool hasValues = false;
        bool hasMarks = false;
        CAccessSet values;
        CAccessSet marks;
    };
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    // A key with this bit in its offset is the known feature key at that place instead.
    static constexpr std::uint32_t kKnownKey = 0x80000000u;
    std::u16string_view text(KeyRef key) const
    {
        if (key.offset & kKnownKey)
            return knownFeatureKey(key.offset & ~kKnownKey);
        return {keyText_.data() + key.offset, key.length};
    }
    KeyRef storeKey(std::u16string_view key);
    std::uint32_t findFeatureIndex(std::u16string_view key) const;
    FeatureEntry& featureEntry(std::u16string_view key);
    std::uint32_t findResourceIndex(std::u16string_view key) const;
    ResourceEntry& resourceEntry(std::u16string_view key);
    void eraseResourceIfEmpty(std::uint32_t index);

    std::vector<FeatureEntry> features_;
    // Entries in the order they were added (so that adding one never moves the others) and their
    // indices in key order.
    std::vector<ResourceEntry> resources_;
    std::vector<std::uint32_t> resourceOrder_;
    std::u16string keyText_;
    // The one-entry lookup cache: index in resources_ of the resource key looked up last. Entries
    // move only when a key is erased, and that clears it.
    mutable std::uint32_t lastResource_ = kNone;
};

template <class F>
void CRestrictionRecord::forEachFeature(F&& f) const
{
    for (const FeatureEntry& e : features_)
        if (e.flags & kHasValue)
            f(text(e.key), (e.flags & kValue) != 0);
}

template <class F>
void CRestrictionRecord::forEachFeatureExplicit(F&& f) const
{
    for (const FeatureEntry& e : features_)
        if (e.flags & kHasExplicit)
            f(text(e.key), (e.flags & kExplicit) != 0);
}

template <class F>
void CRestrictionRecord::forEachFeatureEntry(F&& f) const
{
    for (const FeatureEntry& e : features_) {
        const std::optional<bool> value =
            (e.flags & kHasValue) ? std::optional<bool>((e.flags & kValue) != 0) : std::nullopt;
        const std::optional<bool> isExplicit = (e.flags & kHasExplicit)
            ? std::optional<bool>((e.flags & kExplicit) != 0)
            : std::nullopt;
        f(text(e.key), value, isExplicit);
    }
}

template <class F>
void CRestrictionRecord::forEachResourceEntry(F&& f) const
{
    for (const std::uint32_t i : resourceOrder_) {
        const ResourceEntry& e = resources_[i];
        f(text(e.key), e.hasValues ? &e.values : nullptr, e.hasMarks ? &e.marks : nullptr);
    }
}

template <class F>
void CRestrictionRecord::forEachResources(F&& f) const
{
    for (const std::uint32_t i : resourceOrder_)
        if (resources_[i].hasValues)
            f(text(resources_[i].key), resources_[i].values);
}

template <class F>
void CRestrictionRecord::forEachResourceExplicit(F&& f) const
{
    for (const std::uint32_t i : resourceOrder_)
        if (resources_[i].hasMarks)
            f(text(resources_[i].key), resources_[i].marks);
}

}  // namespace vexilor
