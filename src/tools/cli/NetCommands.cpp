// The verbs that talk to intercom controllers: refresh a configuration file, discover controllers.
#include "Cli.h"

#include "comms/Discovery.h"
#include "comms/Upload.h"
#include "intercom/ConfigurationFile.h"
#include "net/IcomBroadcast.h"
#include "net/UdpDatagramPort.h"
#include "text/Windows1252.h"

#include <nlohmann/json.hpp>

#include <QCoreApplication>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include <unistd.h>

namespace vexilor::cli {
namespace {

using Json = nlohmann::ordered_json;

// A one-line bar on a terminal's stderr.
class TerminalProgress : public comms::IUploadProgress {
public:
    void setRange(int total) override { total_ = total > 0 ? total : 1; }
    void setPosition(int position) override
    {
        const int width = 40;
        const int filled = static_cast<int>(static_cast<long long>(position) * width / total_);
        if (filled == shown_)
            return;
        shown_ = filled;
        std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(width - filled), ' ') << "] " << position << '/'
                  << total_ << std::flush;
    }
    ~TerminalProgress() override
    {
        if (shown_ >= 0)
            std::cerr << '\n';
    }

private:
    int total_ = 1;
    int shown_ = -1;
};

struct RefreshOptions {
    std::string cfg;
    std::uint16_t port = comms::kControllerPort;
    int timeoutMs = comms::kDefaultAttemptTimeoutMs;
};

int runRefresh(const RefreshOptions& o)
{
    CIntercom current;
    if (!LoadConfigurationFile(current, o.cfg, codePage()))
        return fail(current.messages.empty() ? "cannot read " + o.cfg : text::toUtf8(current.messages.front()));
    // The file does not carry the name: it is the file's, as in the intercom list.
    current.name = text::fromUtf8(std::filesystem::path(o.cfg).stem().string());
    if (!comms::HasContactAddress(current))
        return fail(o.cfg + " has no address to contact");

    CIntercom work = current;
    std::atomic<int> cancel{0};
    net::UdpDatagramPort port;
    std::unique_ptr<TerminalProgress> bar;
    if (isatty(STDERR_FILENO))
        bar = std::make_unique<TerminalProgress>();
    const int result = comms::UploadConfiguration(cancel, work, bar.get(), port, {o.port, o.timeoutMs, codePage()});
    bar.reset();
    const comms::RefreshOutcome outcome = comms::DecideRefresh(current, work, result);
    switch (outcome.action) {
    case comms::RefreshOutcome::Action::NoAddress:
        return fail(o.cfg + " has no address to contact");
    case comms::RefreshOutcome::Action::NotConnected:
    case comms::RefreshOutcome::Action::NameMismatch:
        std::cerr << text::toUtf8(outcome.message) << '\n';
        return kExitError;
    case comms::RefreshOutcome::Action::Adopt:
        break;
    }
    if (outcome.configurationChanged)
        std::cerr << text::toUtf8(outcome.message) << '\n';
    std::u16string error;
    if (!SaveConfigurationFile(o.cfg, work, error, codePage()))
        return fail("Error: " + text::toUtf8(error));
    return kExitOk;
}

struct DiscoverOptions {
    int waitMs = 2000;
    std::vector<std::string> to;
    std::uint16_t port = comms::kControllerPort;
    std::uint16_t bindPort = comms::kBroadcastPort;
    bool noAdapters = false;
    bool json = false;
};

int runDiscover(const DiscoverOptions& o)
{
    std::vector<comms::Ipv4> targets;
    for (const std::string& text : o.to) {
        const auto a = comms::parseIpv4(std::string_view(text));
        if (!a) {
            std::cerr << "vexilor-cli: not an IPv4 address: " << text << '\n';
            return kExitUsage;
        }
        targets.push_back(*a);
    }
    int argc = 1;
    char name[] = "vexilor-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    net::CIcomBroadcast broadcast;
    broadcast.setCodePage(codePage());
    if (!broadcast.openPort(o.bindPort))
        return fail("Could not open broadcast socket! Try again later.");
    // The latest answer of each controller, in the order they first answered.
    std::vector<comms::Ipv4> order;
    std::map<comms::Ipv4, comms::IcomReplyInfo> replies;
    QObject::connect(&broadcast, &net::CIcomBroadcast::replyReceived, &broadcast,
                     [&](const comms::IcomReplyInfo& reply) {
                         if (reply.deviceType <= 1)
                             return;  // never shown
                         if (!replies.count(reply.ipAddress))
                             order.push_back(reply.ipAddress);
                         replies[reply.ipAddress] = reply;
                     });
    broadcast.sendDiscovery(targets, o.port, !o.noAdapters);
    broadcast.waitForReplies(o.waitMs);

    Json list = Json::array();
    for (comms::Ipv4 ip : order) {
        const comms::IcomReplyInfo& r = replies[ip];
        const std::string partner = r.partnerAddress ? comms::formatIpv4(r.partnerAddress) : "";
        if (o.json) {
            list.push_back({{"name", text::toUtf8(r.name)}, {"type", text::toUtf8(comms::deviceTypeLabel(r.deviceType))},
                            {"status", text::toUtf8(comms::statusLabel(r.active))},
                            {"ip", comms::formatIpv4(r.ipAddress)}, {"partnerIp", partner},
                            {"connections", text::toUtf8(comms::connectionsText(r))},
                            {"description", text::toUtf8(r.description)}, {"deviceType", r.deviceType},
                            {"frameIndex", r.frameIndex}, {"frameCount", r.frameCount}});
        } else {
            std::cout << text::toUtf8(r.name) << '\t' << text::toUtf8(comms::deviceTypeLabel(r.deviceType)) << '\t'
                      << text::toUtf8(comms::statusLabel(r.active)) << '\t' << comms::formatIpv4(r.ipAddress) << '\t'
                      << partner << '\t' << text::toUtf8(comms::connectionsText(r)) << '\t'
                      << text::toUtf8(r.description) << '\n';
        }
    }
    if (o.json)
        std::cout << list.dump(2) << '\n';
    std::cout.flush();
    return kExitOk;
}

void addNetCommands(CLI::App& app)
{
    auto r = std::make_shared<RefreshOptions>();
    CLI::App* refresh = app.add_subcommand(
        "refresh", "Fetch an intercom's sizes, capabilities, alphas and name from its controller into CFG");
    refresh->add_option("CFG", r->cfg, "Configuration file (its addresses are contacted; NAME.cfg names it)")
        ->required();
    refresh->add_option("--port", r->port, "Controllers' UDP port")->capture_default_str();
    refresh->add_option("--timeout-ms", r->timeoutMs, "How long each attempt waits for a reply")
        ->check(CLI::Range(0, 600000))->capture_default_str();
    onRun(refresh, [r] { return runRefresh(*r); });

    auto d = std::make_shared<DiscoverOptions>();
    CLI::App* discover = app.add_subcommand("discover", "Find intercom controllers on the local network");
    discover->add_option("--wait-ms", d->waitMs, "How long to collect answers")->check(CLI::Range(0, 600000))
        ->capture_default_str();
    discover->add_option("--to", d->to, "Also ask this address (repeatable)");
    discover->add_option("--port", d->port, "Controllers' UDP port")->capture_default_str();
    discover->add_option("--bind-port", d->bindPort, "Local port to send from and listen on (0: any)")
        ->capture_default_str();
    discover->add_flag("--no-adapters", d->noAdapters, "Ask only the --to addresses, not the adapters' broadcast");
    discover->add_flag("--json", d->json, "Print a JSON array");
    onRun(discover, [d] { return runDiscover(*d); });
}

const CommandGroup group{"net", addNetCommands};

}  // namespace
}  // namespace vexilor::cli
