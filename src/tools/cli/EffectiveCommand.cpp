#include "Cli.h"

#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "restrictions/AccessExplanation.h"
#include "restrictions/EntitySelection.h"
#include "restrictions/ResourceTypes.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsParser.h"
#include "text/Windows1252.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <set>

namespace vexilor::cli {
namespace {

using Json = nlohmann::ordered_json;

struct EffectiveOptions {
    std::string file;
    std::string studio, className, user;
    std::string cfg;
    bool json = false;
    bool explain = false;
};

const char* allowDeny(int restricted)
{
    return restricted ? "deny" : "allow";
}

// The type whose resources a resource key counts.
int typeOfKey(std::u16string_view key)
{
    for (const TypedResourceKey& k : resourceKeysInTypeOrder())
        if (k.key == key)
            return k.type;
    return -1;
}

const char* opName(StudioOp op)
{
    return op == StudioOp::Add ? "+=" : op == StudioOp::Remove ? "-=" : "=";
}

const char* entityKindName(EntityKind kind)
{
    return kind == EntityKind::Studio ? "studio" : kind == EntityKind::Class ? "class" : "user";
}

Json whyJson(const AccessExplanation& why, EntityKind selectedKind)
{
    Json out = {{"source", std::string(accessSourceName(why.source))}};
    if (why.source == AccessSource::ClassOwn)
        out["class"] = text::toUtf8(why.className);
    if (!why.studio.empty()) {
        out["studio"] = text::toUtf8(why.studio);
        out["op"] = opName(why.op);
        out["position"] = why.position;
        out["list"] = {{"kind", entityKindName(why.listOwnerKind)}, {"name", text::toUtf8(why.listOwner)}};
    }
    out["text"] = text::toUtf8(explanationText(why, selectedKind));
    return out;
}

int runEffective(const EffectiveOptions& o)
{
    CIntercom icom;
    if (!o.cfg.empty() && !LoadConfigurationFile(icom, o.cfg, codePage()))
        return fail(icom.messages.empty() ? "cannot read " + o.cfg : text::toUtf8(icom.messages.front()));
    std::string bytes, error;
    if (!readFile(o.file, bytes, error))
        return fail(error);
    CRestrictionsModel model;
    const RestrictionsParseResult parsed = parseRestrictions(model, bytes, {.codePage = codePage()});
    if (!parsed.ok) {
        std::cerr << o.file << parsed.errorText;
        return kExitError;
    }
    const auto [kind, kindName, nameUtf8] = !o.studio.empty() ? std::tuple(EntityKind::Studio, "studio", o.studio)
                                          : !o.className.empty() ? std::tuple(EntityKind::Class, "class", o.className)
                                                                 : std::tuple(EntityKind::User, "user", o.user);
    const std::u16string name = text::fromUtf8(nameUtf8);
    if (!model.exists(kind, name))
        return fail(std::string("no ") + kindName + " named \"" + nameUtf8 + "\" in " + o.file);
    CEntitySelection selection(model);
    selection.select(name, kind);

    Json resources = Json::object();
    std::string textOut;
    for (int k = 0; k < kResourceKeyCount; ++k) {
        const std::u16string_view key = resourceKeyName(k);
        const int type = typeOfKey(key);
        if (type < 0 || !icom.IsTypeAvailable(static_cast<unsigned>(type)))
            continue;
        const std::string keyUtf8 = text::toUtf8(key);
        Json rows = Json::array();
        const unsigned count = icom.Count(static_cast<unsigned>(type));
        for (std::uint32_t n = 1; n <= count; ++n) {
            const int restricted = selection.isRestricted(k, n);
            const bool isExplicit = !selection.isInherited(k, n);
            const int inherited = selection.inheritedRestricted(k, n);
            if (o.json) {
                Json row = {{"n", n}, {"restricted", restricted != 0}, {"explicit", isExplicit},
                            {"inheritedRestricted", inherited != 0}};
                if (o.explain)
                    row["why"] = whyJson(explainResource(model, selection, k, n), kind);
                rows.push_back(std::move(row));
            } else {
                textOut += keyUtf8 + ' ' + std::to_string(n) + ' ' + allowDeny(restricted) + ' '
                    + (isExplicit ? "explicit" : "inherited") + " (inherited: " + allowDeny(inherited) + ")";
                if (o.explain)
                    textOut += ": " + text::toUtf8(explanationText(explainResource(model, selection, k, n), kind));
                textOut += '\n';
            }
        }
        if (o.json)
            resources[keyUtf8] = std::move(rows);
    }

    // Every feature of the keyword table, then any other key the chain holds (menu items).
    std::vector<std::u16string> featureKeys;
    std::set<std::u16string, std::less<>> seen;
    for (int i = 0; i < kFeatureKeywordCount; ++i)
        if (seen.emplace(featureKey(i)).second)
            featureKeys.emplace_back(featureKey(i));
    for (std::size_t l = 0; l < selection.layerCount(); ++l) {
        selection.layer(l).forEachFeatureEntry([&](std::u16string_view key, auto, auto) {
            if (seen.emplace(key).second)
                featureKeys.emplace_back(key);
        });
    }
    Json features = Json::object();
    for (const std::u16string& key : featureKeys) {
        const int denied = selection.featureDenied(key);
        const bool isExplicit = !selection.featureIsInherited(key);
        const int inherited = selection.featureInheritedDenied(key);
        const std::string keyUtf8 = text::toUtf8(key);
        if (o.json) {
            Json row = {{"denied", denied != 0}, {"explicit", isExplicit}, {"inheritedDenied", inherited != 0}};
            if (o.explain)
                row["why"] = whyJson(explainFeature(model, selection, key), kind);
            features[keyUtf8] = std::move(row);
        } else {
            textOut += keyUtf8 + ' ' + allowDeny(denied) + ' ' + (isExplicit ? "explicit" : "inherited")
                + " (inherited: " + allowDeny(inherited) + ")";
            if (o.explain)
                textOut += ": " + text::toUtf8(explanationText(explainFeature(model, selection, key), kind));
            textOut += '\n';
        }
    }
    if (o.json) {
        const Json out = {{"kind", kindName}, {"name", nameUtf8}, {"resources", std::move(resources)},
                          {"features", std::move(features)}};
        std::cout << out.dump(2) << '\n';
    } else {
        std::cout << textOut;
    }
    std::cout.flush();
    return std::cout ? kExitOk : fail("cannot write to standard output");
}

void addEffectiveCommand(CLI::App& app)
{
    CLI::App* res = app.get_subcommand("res");
    auto o = std::make_shared<EffectiveOptions>();
    CLI::App* sub = res->add_subcommand(
        "effective", "Effective access of a studio, class or user to every resource and feature");
    sub->add_option("FILE", o->file, "Restrictions file")->required();
    auto* studio = sub->add_option("--studio", o->studio, "A studio's name");
    auto* cls = sub->add_option("--class", o->className, "A class's name");
    auto* user = sub->add_option("--user", o->user, "A user's name");
    studio->excludes(cls, user);
    cls->excludes(user);
    sub->add_option("--cfg", o->cfg, "Take the resource counts and types from this configuration file");
    sub->add_flag("--json", o->json, "Print JSON");
    sub->add_flag("--explain", o->explain, "Say for every row which setting or studio reference decided it");
    onRun(sub, [o] {
        if (o->studio.empty() && o->className.empty() && o->user.empty()) {
            std::cerr << "vexilor-cli: res effective needs one of --studio, --class, --user\n";
            return kExitUsage;
        }
        return runEffective(*o);
    });
}

// Registered after "res", whose subcommand it joins.
const CommandGroup group{"res-effective", addEffectiveCommand};

}  // namespace
}  // namespace vexilor::cli
