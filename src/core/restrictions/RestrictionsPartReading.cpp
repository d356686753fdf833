#include "restrictions/RestrictionsPartReading.h"

#include <algorithm>

#include "restrictions/RestrictionsTokens.h"
#include "restrictions/RunAtOnce.h"

namespace vexilor::partreading {

namespace {

constexpr std::size_t kMinPartBytes = 1 << 18;

// A line that opens a studio, class or user section: nothing of the section before it is read
// past it, so a part can start there with no state but the names read before.
bool opensSection(std::string_view line)
{
    for (const std::string_view keyword : {"STUDIO", "CLASS", "USER"}) {
        ressyntax::CLineCursor c(line);
        std::string_view name;
        if (c.literal('[') && c.keyword(keyword) && c.name(name) && c.literal(']'))
            return true;
    }
    return false;
}

}  // namespace

unsigned partCount(std::string_view bytes, const RestrictionsReadOptions& options)
{
    if (options.parts != 0)
        return options.parts;
    if (bytes.size() < kPartsFromBytes)
        return 1;
    return static_cast<unsigned>(
        std::min<std::size_t>(usableThreads(), bytes.size() / kMinPartBytes));
}

std::vector<std::size_t> partStarts(std::string_view bytes, unsigned parts)
{
    std::vector<std::size_t> starts{0};
    for (unsigned k = 1; k < parts; ++k) {
        std::size_t pos = std::max(starts.back() + 1, bytes.size() / parts * k);
        std::size_t found = std::string_view::npos;
        while (pos < bytes.size()) {
            const std::size_t lf = bytes.find("\n[", pos - 1);
            if (lf == std::string_view::npos)
                break;
            const std::size_t start = lf + 1;
            const std::size_t end = std::min(bytes.find('\n', start), start + ressyntax::kPieceBytes);
            if (opensSection(bytes.substr(start, end - start))) {
                found = start;
                break;
            }
            pos = start + 1;
        }
        if (found == std::string_view::npos)
            break;
        starts.push_back(found);
    }
    return starts;
}

std::optional<RestrictionsParseResult> parseInParts(CRestrictionsModel& model,
                                                    std::string_view bytes,
                                                    const std::vector<std::size_t>& starts)
{
    const std::size_t count = starts.size();
    std::vector<PartOutcome> parts(count);
    std::vector<CRestrictionsModel> models(count - 1);
    std::vector<char> threw(count, 0);
    const auto read = [&](std::size_t k) {
        const std::size_t end = k + 1 < count ? starts[k + 1] : bytes.size();
        try {
            CRestrictionsModel& into = k == 0 ? model : models[k - 1];
            parts[k] = readPart(into, bytes.substr(starts[k], end - starts[k]), k > 0);
        } catch (...) {
            threw[k] = 1;  // read again in one piece, where it can reach the caller
        }
    };
    model.reset();
    runAtOnce(count, read);
    for (std::size_t k = 0; k < count; ++k) {
        if (threw[k] || !parts[k].result.ok || (k + 1 < count && parts[k].result.crcSeen))
            return std::nullopt;
    }

    RestrictionsParseResult joined = parts[0].result;
    CRestrictionsCrc crc = parts[0].crc;
    for (std::size_t k = 1; k < count; ++k) {
        CRestrictionsModel& part = models[k - 1];
        if (!part.deviceName().empty()) {
            if (!model.deviceName().empty())
                return std::nullopt;
            model.setDeviceName(part.deviceName());
        }
        for (const auto& [kind, name] : parts[k].namesFromEarlierParts)
            if (!model.exists(kind, name))
                return std::nullopt;
        // The records and their links lie in separate maps, and each step walks nodes another
        // thread made, so the links move while the names are checked and the records moved. A
        // clash means reading the file again in one piece, so links moved beside it do no harm.
        bool clash = false;
        runAtOnce(2, [&](std::size_t k) {
            if (k == 1) {
                model.takeLinksOf(part);
                return;
            }
            clash = !model.canTakeEntitiesOf(part);
            if (!clash)
                model.takeRecordsOf(part);
        });
        if (clash)
            return std::nullopt;
        if (parts[k].result.crcSeen) {
            CRestrictionsCrc atLine = crc;
            atLine.append(parts[k].crcAtCrcLine, parts[k].crcBytesAtCrcLine);
            joined.crcSeen = true;
            joined.crcStated = parts[k].result.crcStated;
            joined.crcComputed = atLine.value();
        }
        crc.append(parts[k].crc, parts[k].crcBytes);
    }
    return joined;
}

}  // namespace vexilor::partreading
