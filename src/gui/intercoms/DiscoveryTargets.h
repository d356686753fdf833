#pragma once

#include "comms/Ipv4.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace vexilor {

struct CAppState;
struct SearchForIcomOptions;

namespace net {
class CIcomBroadcast;
}

// The discovery targets of the settings: IPv4 addresses (a controller beyond the local subnet, a
// directed broadcast, or the simulator's loopback address) to which discovery requests go instead of
// every adapter's broadcast address. Empty: every adapter's broadcast address.
struct DiscoveryTargetsParse {
    std::vector<comms::Ipv4> targets;
    QString badEntry;  // the first entry that is not an IPv4 address; empty when all are
    bool ok() const { return badEntry.isEmpty(); }
};

// Entries separated by blanks, commas or semicolons; 0.0.0.0 is no target.
DiscoveryTargetsParse ParseDiscoveryTargets(const QString& text);
// As stored and shown: dotted addresses separated by one blank.
QString FormatDiscoveryTargets(const std::vector<comms::Ipv4>& targets);

// The stored targets (entries that are not addresses are skipped); empty without settings.
std::vector<comms::Ipv4> StoredDiscoveryTargets(const CAppState& app);

// Where one discovery request goes.
struct DiscoveryPlan {
    std::vector<comms::Ipv4> targets;
    bool adapters = true;  // also every adapter's broadcast address
};

// With targets set, only they (and the options' extra targets) are asked, never an adapter's
// broadcast address; without, the adapters as the options allow.
DiscoveryPlan PlanDiscovery(const std::vector<comms::Ipv4>& configured, const SearchForIcomOptions& options);

// Sends one discovery request as planned; returns the datagrams sent.
int SendDiscovery(net::CIcomBroadcast& broadcast, const DiscoveryPlan& plan, std::uint16_t controllerPort);

}  // namespace vexilor
