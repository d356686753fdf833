#include "Cli.h"
#include "Ranges.h"

#include "intercom/ConfigFileFormat.h"
#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "text/Windows1252.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

namespace vexilor::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string keyText(std::uint32_t key)
{
    return std::to_string(ResourceKeyType(key)) + ':' + std::to_string(ResourceKeyNumber(key));
}

std::u16string upper(std::u16string text)
{
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return text;
}

Json dumpJson(const CIntercom& icom)
{
    Json out;
    for (unsigned w = 1; w <= cfg::kConfigurationWords; ++w) {
        if (auto field = cfg::ConfigurationWordField(w))
            out[cfg::ConfigurationWordName(w)] = icom.*field;
    }
    out["name"] = text::toUtf8(icom.name);
    out["infoText"] = text::toUtf8(icom.infoText);
    out["mainAddress"] = text::toUtf8(icom.mainAddress);
    out["partnerAddress"] = text::toUtf8(icom.partnerAddress);
    out["partnerActive"] = icom.partnerActive;
    out["capabilities"] = {{"count", icom.capabilities.count()},
                           {"set", rangeText(icom.capabilities)}};
    Json alphas = Json::object();
    for (const auto& [key, alpha] : icom.alphas) {
        alphas[keyText(key)] = {
            text::toUtf8(alpha.alpha4.view()), text::toUtf8(alpha.alpha6.view()),
            text::toUtf8(alpha.alpha8.view()), text::toUtf8(alpha.alphaUnicode.view())};
    }
    out["alphas"] = std::move(alphas);
    Json descriptions = Json::object();
    for (const auto& [key, desc] : icom.descriptions)
        descriptions[keyText(key)] = text::toUtf8(desc.text);
    out["descriptions"] = std::move(descriptions);
    Json messages = Json::array();
    for (const std::u16string& message : icom.messages)
        messages.push_back(text::toUtf8(message));
    out["messages"] = std::move(messages);
    return out;
}

int runDump(const std::string& file)
{
    CIntercom icom;
    const std::filesystem::path path(file);
    icom.name = upper(text::fromUtf8(path.stem().string()));
    if (!LoadConfigurationFile(icom, path, codePage()))
        return fail(text::toUtf8(icom.messages.front()));
    std::cout << dumpJson(icom).dump(2) << '\n';
    return kExitOk;
}

struct NewOptions {
    std::string name;
    std::string mainAddress;
    // Typing a main address in the Add Intercom dialog sets the partner to this.
    std::string partnerAddress = "0.0.0.0";
    std::string output;
};

bool isTrimmed(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int runNew(const NewOptions& options)
{
    std::u16string name = upper(text::fromUtf8(options.name));
    const auto first = std::find_if_not(name.begin(), name.end(), isTrimmed);
    const auto last = std::find_if_not(name.rbegin(), name.rend(), isTrimmed).base();
    name = first < last ? std::u16string(first, last) : std::u16string();
    if (name.empty() || name.size() > 4) {
        std::cerr << "vexilor-cli: an intercom name has 1 to 4 characters\n";
        return kExitUsage;
    }
    if (name.find_first_of(u":\\/*?\"<>|") != std::u16string::npos) {
        std::cerr << "vexilor-cli: The intercom name cannot contain any of the following "
                     "characters:\n\n: \\ / * ? \" < > |\n";
        return kExitUsage;
    }
    CIntercom icom;
    icom.name = name;
    icom.mainAddress = text::fromUtf8(options.mainAddress);
    icom.partnerAddress = text::fromUtf8(options.partnerAddress);
    icom.partnerActive = false;
    std::u16string error;
    if (!SaveConfigurationFile(options.output, icom, error, codePage()))
        return fail(text::toUtf8(error));
    return kExitOk;
}

void addCfgCommands(CLI::App& app)
{
    CLI::App* cfg = app.add_subcommand("cfg", "Intercom configuration files (.cfg)");
    cfg->require_subcommand(1);

    auto file = std::make_shared<std::string>();
    CLI::App* dump = cfg->add_subcommand(
        "dump", "Print a configuration file as JSON: every field, capabilities, alphas by "
                "\"TYPE:NUMBER\" as [alpha4, alpha6, alpha8, Unicode], descriptions, messages");
    dump->add_option("FILE", *file, "Configuration file")->required();
    onRun(dump, [file] { return runDump(*file); });

    auto options = std::make_shared<NewOptions>();
    CLI::App* create = cfg->add_subcommand(
        "new", "Write the default configuration of a new intercom, as Add Intercom saves it");
    create->add_option("NAME", options->name, "Intercom name: 1 to 4 characters")->required();
    create->add_option("--main", options->mainAddress, "Main controller IP address")->required();
    create->add_option("--partner", options->partnerAddress, "Partner controller IP address")
        ->capture_default_str();
    create->add_option("-o,--output", options->output, "Configuration file to write")->required();
    onRun(create, [options] { return runNew(*options); });
}

const CommandGroup group{"cfg", addCfgCommands};

}  // namespace
}  // namespace vexilor::cli
