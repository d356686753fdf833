#include "restrictions/WritableNames.h"

#include "text/FileCodePage.h"

#include <algorithm>

namespace vexilor {

std::optional<NameFlaw> nameFlaw(std::u16string_view name, const text::CodePage& codePage)
{
    if (name.empty())
        return NameFlaw{NameFault::Empty};
    // A quote would end the name early and a line feed the line; the code page decides the rest.
    const std::size_t special = name.find_first_of(u"\"\n");
    const std::optional<std::size_t> unencodable = text::firstUnencodable(name, codePage);
    if (special != std::u16string_view::npos || unencodable) {
        const std::size_t at = unencodable ? std::min(*unencodable, special) : special;
        return NameFlaw{NameFault::Character, at};
    }
    if (name.size() > kMaxWritableNameLength
        || (codePage.isMultiByte() && codePage.encode(name).size() > kMaxWritableNameLength))
        return NameFlaw{NameFault::TooLong};
    return std::nullopt;
}

std::optional<UnwritableName> firstUnwritableName(const CRestrictionsModel& model,
                                                  const text::CodePage& codePage)
{
    const auto check = [&codePage](EntityKind kind,
                          std::u16string_view name) -> std::optional<UnwritableName> {
        if (const std::optional<NameFlaw> flaw = nameFlaw(name, codePage))
            return UnwritableName{kind, std::u16string(name), *flaw};
        return std::nullopt;
    };
    const auto checkRefs = [&](EntityKind kind,
                               std::u16string_view name) -> std::optional<UnwritableName> {
        if (const std::vector<StudioRef>* refs = model.findStudioRefs(kind, name))
            for (const StudioRef& ref : *refs)
                if (auto bad = check(EntityKind::Studio, ref.studio))
                    return bad;
        return std::nullopt;
    };

    // An empty device name is not written at all.
    if (!model.deviceName().empty())
        if (auto bad = check(EntityKind::None, model.deviceName()))
            return bad;
    for (const auto& entry : model.records(EntityKind::Studio))
        if (auto bad = check(EntityKind::Studio, entry.first))
            return bad;
    for (const auto& entry : model.records(EntityKind::Class)) {
        if (auto bad = check(EntityKind::Class, entry.first))
            return bad;
        if (auto bad = checkRefs(EntityKind::Class, entry.first))
            return bad;
    }
    for (const auto& entry : model.records(EntityKind::User)) {
        if (auto bad = check(EntityKind::User, entry.first))
            return bad;
        const std::u16string className = model.classOf(entry.first);
        if (!className.empty())
            if (auto bad = check(EntityKind::Class, className))
                return bad;
        if (auto bad = checkRefs(EntityKind::User, entry.first))
            return bad;
    }
    return std::nullopt;
}

}  // namespace vexilor
