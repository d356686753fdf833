#include "Cli.h"
#include "Ranges.h"

#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "restrictions/ResourceTypes.h"
#include "restrictions/RestrictionsModel.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"
#include "restrictions/SavePreparation.h"
#include "text/Windows1252.h"

#include <nlohmann/json.hpp>

#include <array>
#include <iostream>
#include <memory>

namespace vexilor::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string utf8(std::u16string_view text)
{
    return text::toUtf8(text);
}

// Reads FILE into model; on failure prints the parser's text and returns false.
bool readModel(const std::string& path, CRestrictionsModel& model, RestrictionsParseResult& result)
{
    std::string bytes, error;
    if (!readFile(path, bytes, error)) {
        fail(error);
        return false;
    }
    result = parseRestrictions(model, bytes, {.codePage = codePage()});
    if (!result.ok) {
        std::cerr << path << result.errorText;
        return false;
    }
    return true;
}

// The intercom whose counts decide how a file is compacted: the default configuration, or the
// one cached in a configuration file. False (message printed) when that file does not load.
bool loadIntercom(const std::string& cfgPath, CIntercom& icom)
{
    if (cfgPath.empty())
        return true;
    if (!LoadConfigurationFile(icom, cfgPath, codePage())) {
        fail(icom.messages.empty() ? "cannot read " + cfgPath : utf8(icom.messages.front()));
        return false;
    }
    return true;
}

Json accessSetJson(const CAccessSet& set)
{
    return Json{{"all", set.all()},
                {"specified", rangeText(set.specified())},
                {"allowed", rangeText(set.length(), [&set](std::uint32_t n) {
                     return set.isSpecified(n) && set.value(n);
                 })}};
}

Json recordJson(const CRestrictionRecord& record)
{
    Json features = Json::object(), featureExplicit = Json::object();
    Json resources = Json::object(), resourceExplicit = Json::object();
    record.forEachFeature([&](std::u16string_view key, bool v) { features[utf8(key)] = v; });
    record.forEachFeatureExplicit(
        [&](std::u16string_view key, bool v) { featureExplicit[utf8(key)] = v; });
    record.forEachResources(
        [&](std::u16string_view key, const CAccessSet& s) { resources[utf8(key)] = accessSetJson(s); });
    record.forEachResourceExplicit([&](std::u16string_view key, const CAccessSet& s) {
        resourceExplicit[utf8(key)] = accessSetJson(s);
    });
    return Json{{"features", std::move(features)},
                {"featureExplicit", std::move(featureExplicit)},
                {"resources", std::move(resources)},
                {"resourceExplicit", std::move(resourceExplicit)}};
}

Json studioRefsJson(const CRestrictionsModel& model, EntityKind kind)
{
    Json out = Json::object();
    for (const auto& [name, record] : model.records(kind)) {
        (void)record;
        const std::vector<StudioRef>* refs = model.findStudioRefs(kind, name);
        if (!refs)
            continue;
        Json list = Json::array();
        for (const StudioRef& ref : *refs)
            list.push_back(Json::array({utf8(ref.studio), static_cast<int>(ref.op)}));
        out[utf8(name)] = std::move(list);
    }
    return out;
}

Json modelJson(const CRestrictionsModel& model)
{
    Json out;
    out["device"] = utf8(model.deviceName());
    const std::pair<const char*, EntityKind> kinds[] = {
        {"studios", EntityKind::Studio}, {"classes", EntityKind::Class}, {"users", EntityKind::User}};
    for (const auto& [label, kind] : kinds) {
        Json records = Json::object();
        for (const auto& [name, record] : model.records(kind))
            records[utf8(name)] = recordJson(record);
        out[label] = std::move(records);
    }
    Json classOfUser = Json::object();
    for (const auto& [user, className] : model.classOfUser())
        classOfUser[utf8(user)] = utf8(className);
    out["classOfUser"] = std::move(classOfUser);
    out["classStudioRefs"] = studioRefsJson(model, EntityKind::Class);
    out["userStudioRefs"] = studioRefsJson(model, EntityKind::User);
    return out;
}

int runCheck(const std::string& path)
{
    CRestrictionsModel model;
    RestrictionsParseResult result;
    if (!readModel(path, model, result))
        return kExitError;
    if (result.crcSeen && !result.crcMatches()) {
        char computed[8];
        std::snprintf(computed, sizeof computed, "%x", result.crcComputed);
        std::cerr << "vexilor-cli: warning: " << path << ": the CRC line does not match the lines "
                  << "before it (the file says " << std::hex << result.crcStated << std::dec
                  << ", the lines give " << computed << ")\n";
    }
    return kExitOk;
}

int runDump(const std::string& path)
{
    CRestrictionsModel model;
    RestrictionsParseResult result;
    if (!readModel(path, model, result))
        return kExitError;
    std::cout << modelJson(model).dump(2) << '\n';
    return kExitOk;
}

struct FmtOptions {
    std::string file;
    std::string out;
    std::string cfg;
};

int runFmt(const FmtOptions& options)
{
    CIntercom icom;
    if (!loadIntercom(options.cfg, icom))
        return kExitError;
    CRestrictionsModel model;
    RestrictionsParseResult result;
    if (!readModel(options.file, model, result))
        return kExitError;
    std::array<std::uint32_t, kResourceTypeCount> counts{};
    for (int type = 0; type < kResourceTypeCount; ++type)
        counts[type] = icom.Count(static_cast<unsigned>(type));
    prepareForSave(model, counts);
    const std::optional<std::string> bytes = restrictionsFileBytes(model, {.codePage = codePage()});
    if (!bytes)
        return fail("cannot write " + options.file + ": a studio reference has an unknown operation");
    if (options.out.empty()) {
        std::cout << *bytes << std::flush;
        return std::cout ? kExitOk : fail("cannot write to standard output");
    }
    std::string error;
    if (!writeFileAtomic(options.out, *bytes, error))
        return fail(error);
    return kExitOk;
}

void addResCommands(CLI::App& app)
{
    CLI::App* res = app.add_subcommand("res", "Restrictions files (.res)");
    res->require_subcommand(1);

    auto checkFile = std::make_shared<std::string>();
    CLI::App* check = res->add_subcommand(
        "check", "Read FILE; exit 0 when it reads, else print the parser's error and exit 1");
    check->add_option("FILE", *checkFile, "Restrictions file")->required();
    onRun(check, [checkFile] { return runCheck(*checkFile); });

    auto dumpFile = std::make_shared<std::string>();
    CLI::App* dump = res->add_subcommand("dump", "Print the model of FILE as JSON");
    dump->add_option("FILE", *dumpFile, "Restrictions file")->required();
    onRun(dump, [dumpFile] { return runDump(*dumpFile); });

    auto fmt = std::make_shared<FmtOptions>();
    CLI::App* fmtCmd = res->add_subcommand(
        "fmt", "Read FILE, compact it for the intercom's counts and write it as Vexilor saves it");
    fmtCmd->add_option("FILE", fmt->file, "Restrictions file")->required();
    fmtCmd->add_option("-o,--output", fmt->out, "Write here (atomically) instead of standard output");
    fmtCmd->add_option("--cfg", fmt->cfg,
                       "Take the resource counts from this configuration file (default: the "
                       "default intercom)");
    onRun(fmtCmd, [fmt] { return runFmt(*fmt); });
}

const CommandGroup group{"res", addResCommands};

}  // namespace
}  // namespace vexilor::cli
