#include "restrictions/RestrictionsModel.h"

#include <algorithm>
#include <utility>

namespace vexilor {
namespace {

const RecordMap kNoRecords;

template <class T>
T* find(NameMap<T>& map, std::u16string_view name)
{
    const auto it = map.find(name);
    return it == map.end() ? nullptr : &it->second;
}

template <class T>
const T* find(const NameMap<T>& map, std::u16string_view name)
{
    const auto it = map.find(name);
    return it == map.end() ? nullptr : &it->second;
}

// Moves the entry of old (when there is one) to newName; an empty newName just drops it.
template <class T>
void moveEntry(NameMap<T>& map, std::u16string_view old, std::u16string_view newName)
{
    const auto it = map.find(old);
    if (it == map.end())
        return;
    T value = std::move(it->second);
    map.erase(it);
    if (!newName.empty())
        map.insert_or_assign(std::u16string(newName), std::move(value));
}

}  // namespace

bool CRestrictionsModel::canTakeEntitiesOf(const CRestrictionsModel& other) const
{
    const auto clash = [](const RecordMap& mine, const RecordMap& theirs) {
        return std::any_of(theirs.begin(), theirs.end(),
                           [&](const auto& entry) { return mine.contains(entry.first); });
    };
    return !clash(studios_, other.studios_) && !clash(classes_, other.classes_)
        && !clash(users_, other.users_);
}

void CRestrictionsModel::takeRecordsOf(CRestrictionsModel& other)
{
    studios_.merge(other.studios_);
    classes_.merge(other.classes_);
    users_.merge(other.users_);
}

void CRestrictionsModel::takeLinksOf(CRestrictionsModel& other)
{
    // Keyed by class and user names that are new here, so none of them clashes either.
    classOfUser_.merge(other.classOfUser_);
    classStudioRefs_.merge(other.classStudioRefs_);
    userStudioRefs_.merge(other.userStudioRefs_);
}

void CRestrictionsModel::reset()
{
    deviceName_.clear();
    loaded_ = false;
    documentValid_ = false;
    readOnly_ = false;
    studios_.clear();
    classes_.clear();
    users_.clear();
    classOfUser_.clear();
    classStudioRefs_.clear();
    userStudioRefs_.clear();
    ++generation_;
}

void CRestrictionsModel::newFile(std::u16string_view userName)
{
    reset();
    users_.insert_or_assign(std::u16string(userName), CRestrictionRecord());
    documentValid_ = true;
    loaded_ = true;
}

RecordMap* CRestrictionsModel::recordMap(EntityKind kind)
{
    switch (kind) {
    case EntityKind::Studio:
        return &studios_;
    case EntityKind::Class:
        return &classes_;
    case EntityKind::User:
        return &users_;
    default:
        return nullptr;
    }
}

const RecordMap& CRestrictionsModel::records(EntityKind kind) const
{
    const RecordMap* map = const_cast<CRestrictionsModel*>(this)->recordMap(kind);
    return map ? *map : kNoRecords;
}

NameMap<std::vector<StudioRef>>* CRestrictionsModel::refMap(EntityKind kind)
{
    if (kind == EntityKind::Class)
        return &classStudioRefs_;
    if (kind == EntityKind::User)
        return &userStudioRefs_;
    return nullptr;
}

const NameMap<std::vector<StudioRef>>* CRestrictionsModel::refMap(EntityKind kind) const
{
    return const_cast<CRestrictionsModel*>(this)->refMap(kind);
}

bool CRestrictionsModel::exists(EntityKind kind, std::u16string_view name) const
{
    return findRecord(kind, name) != nullptr;
}

const CRestrictionRecord* CRestrictionsModel::findRecord(EntityKind kind,
                                                         std::u16string_view name) const
{
    return find(records(kind), name);
}

CRestrictionRecord* CRestrictionsModel::editRecord(EntityKind kind, std::u16string_view name)
{
    RecordMap* map = recordMap(kind);
    return map ? find(*map, name) : nullptr;
}

CRestrictionRecord CRestrictionsModel::getRecord(EntityKind kind, std::u16string_view name) const
{
    const CRestrictionRecord* r = findRecord(kind, name);
    return r ? *r : CRestrictionRecord();
}

void CRestrictionsModel::putRecord(EntityKind kind, std::u16string_view name,
                                   CRestrictionRecord record)
{
    if (RecordMap* map = recordMap(kind))
        map->insert_or_assign(std::u16string(name), std::move(record));
}

std::u16string CRestrictionsModel::classOf(std::u16string_view user) const
{
    const std::u16string* c = find(classOfUser_, user);
    return c ? *c : std::u16string();
}

void CRestrictionsModel::setClassOf(std::u16string_view user, std::u16string_view className)
{
    if (className.empty()) {
        if (const auto it = classOfUser_.find(user); it != classOfUser_.end())
            classOfUser_.erase(it);
    } else {
        classOfUser_.insert_or_assign(std::u16string(user), std::u16string(className));
    }
}

std::vector<StudioRef> CRestrictionsModel::studioRefs(EntityKind kind, std::u16string_view name) const
{
    const std::vector<StudioRef>* refs = findStudioRefs(kind, name);
    return refs ? *refs : std::vector<StudioRef>();
}

const std::vector<StudioRef>* CRestrictionsModel::findStudioRefs(EntityKind kind,
                                                                 std::u16string_view name) const
{
    const auto* map = refMap(kind);
    return map ? find(*map, name) : nullptr;
}

void CRestrictionsModel::setStudioRefs(EntityKind kind, std::u16string_view name,
                                       std::vector<StudioRef> refs)
{
    if (auto* map = refMap(kind))
        map->insert_or_assign(std::u16string(name), std::move(refs));
}

void CRestrictionsModel::appendStudioRef(EntityKind kind, std::u16string_view name, StudioRef ref)
{
    auto* map = refMap(kind);
    if (!map)
        return;
    auto it = map->find(name);
    if (it == map->end())
        it = map->emplace(std::u16string(name), std::vector<StudioRef>()).first;
    it->second.push_back(std::move(ref));
}

std::size_t CRestrictionsModel::names(EntityKind kind, CRestrictionsEnumerator& enumerator) const
{
    const RecordMap& map = records(kind);
    for (const auto& entry : map)
        enumerator.visit(entry.first);
    return map.size();
}

bool CRestrictionsModel::renameUser(std::u16string_view old, std::u16string_view newName)
{
    if (!exists(EntityKind::User, old) || (!newName.empty() && exists(EntityKind::User, newName)))
        return false;
    moveEntry(users_, old, newName);
    moveEntry(classOfUser_, old, newName);
    moveEntry(userStudioRefs_, old, newName);
    return true;
}

bool CRestrictionsModel::renameClass(std::u16string_view old, std::u16string_view newName)
{
    if (!exists(EntityKind::Class, old) || (!newName.empty() && exists(EntityKind::Class, newName)))
        return false;
    for (auto it = classOfUser_.begin(); it != classOfUser_.end();) {
        if (it->second != old) {
            ++it;
        } else if (newName.empty()) {
            it = classOfUser_.erase(it);
        } else {
            it->second = newName;
            ++it;
        }
    }
    moveEntry(classes_, old, newName);
    moveEntry(classStudioRefs_, old, newName);
    return true;
}

bool CRestrictionsModel::renameStudio(std::u16string_view old, std::u16string_view newName)
{
    if (!exists(EntityKind::Studio, old) || (!newName.empty() && exists(EntityKind::Studio, newName)))
        return false;
    // Only the first reference of each list follows; later duplicates keep the old name.
    for (auto* map : {&userStudioRefs_, &classStudioRefs_}) {
        for (auto& [owner, refs] : *map) {
            const auto ref = std::find_if(refs.begin(), refs.end(),
                                          [&](const StudioRef& r) { return r.studio == old; });
            if (ref == refs.end())
                continue;
            if (newName.empty())
                refs.erase(ref);
            else
                ref->studio = newName;
        }
    }
    moveEntry(studios_, old, newName);
    return true;
}

bool CRestrictionsModel::referencesStudio(std::u16string_view studio) const
{
    for (const auto* map : {&userStudioRefs_, &classStudioRefs_})
        for (const auto& [owner, refs] : *map)
            for (const StudioRef& r : refs)
                if (r.studio == studio)
                    return true;
    return false;
}

bool CRestrictionsModel::deleteStudio(std::u16string_view name)
{
    if (!exists(EntityKind::Studio, name) || referencesStudio(name))
        return false;
    studios_.erase(studios_.find(name));
    return true;
}

bool CRestrictionsModel::deleteClass(std::u16string_view name)
{
    if (!exists(EntityKind::Class, name))
        return false;
    for (const auto& [user, className] : classOfUser_)
        if (className == name)
            return false;
    classes_.erase(classes_.find(name));
    moveEntry(classStudioRefs_, name, u"");
    return true;
}

}  // namespace vexilor
