#include "restrictions/RestrictionsDump.h"

#include <algorithm>

#include "text/Windows1252.h"

namespace vexilor {
namespace {

// States of one resource number; a studio uses only Allow (included) and Deny.
enum State : char { kAllow = 'A', kDeny = 'D', kInherit = 'I' };

void appendText(std::string& out, std::u16string_view text)
{
    out += '"';
    out += text::toUtf8(text);
    out += '"';
}

State classState(const CAccessSet& marks, const CAccessSet& values, std::uint32_t n)
{
    if (!marks.value(n))
        return kInherit;
    return values.value(n) ? kAllow : kDeny;
}

State studioState(const CAccessSet& marks, const CAccessSet& values, std::uint32_t n)
{
    const bool included =
        marks.value(n) ? values.value(n) : marks.all() && values.all();
    return included ? kAllow : kDeny;
}

void dumpResources(std::string& out, const CRestrictionRecord& record, bool studio)
{
    static const CAccessSet kNoValues;
    record.forEachResourceEntry(
        [&](std::u16string_view key, const CAccessSet* valuesOrNull, const CAccessSet* marks) {
            if (!marks)
                return;
            const CAccessSet& values = valuesOrNull ? *valuesOrNull : kNoValues;
            auto state = [&](std::uint32_t n) {
                return studio ? studioState(*marks, values, n) : classState(*marks, values, n);
            };
            const std::uint32_t limit = std::max(marks->length(), values.length());
            const State tail = state(limit + 1);
            std::string runs;
            std::uint32_t n = 1;
            while (n < limit) {
                const State s = state(n);
                if (s == tail) {
                    ++n;
                    continue;
                }
                std::uint32_t m = n;
                while (m + 1 < limit && state(m + 1) == s)
                    ++m;
                runs += ' ' + std::to_string(n) + '-' + std::to_string(m) + ':' + char(s);
                n = m + 1;
            }
            const State quiet = studio ? kDeny : kInherit;
            if (runs.empty() && tail == quiet)
                return;
            out += "  ";
            appendText(out, key);
            out += " rest:";
            out += char(tail);
            out += runs;
            out += '\n';
        });
}

void dumpRefs(std::string& out, const CRestrictionsModel& model, EntityKind kind,
              std::u16string_view name)
{
    if (const std::vector<StudioRef>* refs = model.findStudioRefs(kind, name)) {
        for (const StudioRef& ref : *refs) {
            out += "  studio " + std::to_string(static_cast<int>(ref.op)) + ' ';
            appendText(out, ref.studio);
            out += '\n';
        }
    }
}

void dumpFeatures(std::string& out, const CRestrictionRecord& record)
{
    record.forEachFeatureExplicit([&](std::u16string_view key, bool isExplicit) {
        const std::optional<bool> value = record.findFeature(key);
        if (!isExplicit || !value)
            return;
        out += "  feature ";
        appendText(out, key);
        out += *value ? " Y\n" : " N\n";
    });
}

}  // namespace

std::string canonicalDump(const CRestrictionsModel& model)
{
    std::string out;
    out += "device ";
    appendText(out, model.deviceName());
    out += '\n';
    for (const auto& [name, record] : model.records(EntityKind::Studio)) {
        out += "studio ";
        appendText(out, name);
        out += '\n';
        dumpResources(out, record, true);
    }
    for (const auto& [name, record] : model.records(EntityKind::Class)) {
        out += "class ";
        appendText(out, name);
        out += '\n';
        dumpRefs(out, model, EntityKind::Class, name);
        dumpFeatures(out, record);
        dumpResources(out, record, false);
    }
    for (const auto& [name, record] : model.records(EntityKind::User)) {
        out += "user ";
        appendText(out, name);
        out += '\n';
        const std::u16string className = model.classOf(name);
        if (!className.empty()) {
            out += "  class ";
            appendText(out, className);
            out += '\n';
        }
        dumpRefs(out, model, EntityKind::User, name);
        dumpFeatures(out, record);
        dumpResources(out, record, false);
    }
    return out;
}

}  // namespace vexilor
