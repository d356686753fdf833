#include "intercoms/DiscoveryTargets.h"

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "intercoms/DlgSearchForIcom.h"
#include "net/IcomBroadcast.h"

#include <QRegularExpression>

#include <algorithm>

namespace vexilor {

namespace {

QStringList entries(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

std::optional<comms::Ipv4> target(const QString& entry)
{
    const std::optional<comms::Ipv4> address = comms::parseIpv4(entry.toStdU16String());
    return address && *address != 0 ? address : std::nullopt;
}

void addOnce(std::vector<comms::Ipv4>& targets, comms::Ipv4 address)
{
    if (std::find(targets.begin(), targets.end(), address) == targets.end())
        targets.push_back(address);
}

}  // namespace

DiscoveryTargetsParse ParseDiscoveryTargets(const QString& text)
{
    DiscoveryTargetsParse out;
    for (const QString& entry : entries(text)) {
        const std::optional<comms::Ipv4> address = target(entry);
        if (!address) {
            out.targets.clear();
            out.badEntry = entry;
            return out;
        }
        addOnce(out.targets, *address);
    }
    return out;
}

QString FormatDiscoveryTargets(const std::vector<comms::Ipv4>& targets)
{
    QStringList parts;
    for (comms::Ipv4 target : targets)
        parts << QString::fromStdString(comms::formatIpv4(target));
    return parts.join(u' ');
}

std::vector<comms::Ipv4> StoredDiscoveryTargets(const CAppState& app)
{
    std::vector<comms::Ipv4> out;
    if (!app.settings)
        return out;
    for (const QString& entry : entries(app.settings->readString(SettingKey::DiscoveryTargets)))
        if (const std::optional<comms::Ipv4> address = target(entry))
            addOnce(out, *address);
    return out;
}

DiscoveryPlan PlanDiscovery(const std::vector<comms::Ipv4>& configured, const SearchForIcomOptions& options)
{
    DiscoveryPlan plan;
    plan.targets = configured;
    plan.targets.insert(plan.targets.end(), options.extraTargets.begin(), options.extraTargets.end());
    plan.adapters = options.adapters && configured.empty();
    return plan;
}

int SendDiscovery(net::CIcomBroadcast& broadcast, const DiscoveryPlan& plan, std::uint16_t controllerPort)
{
    return broadcast.sendDiscovery(plan.targets, controllerPort, plan.adapters);
}

}  // namespace vexilor
