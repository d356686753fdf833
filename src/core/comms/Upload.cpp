#include "comms/Upload.h"

#include "comms/Message.h"
#include "comms/WireTypes.h"
#include "intercom/Capabilities.h"
#include "text/Windows1252.h"

#include <algorithm>
#include <array>

namespace vexilor::comms {
namespace {

using wire::AlphaSize;
using wire::kAlphaSizes;
constexpr int kNone = wire::kNone;
constexpr auto& kAlphaWireType = wire::kAlphaType;
constexpr auto& kDescWireType = wire::kDescriptionType;
constexpr int kInputAlphaWireType = wire::kInputAlphaType;
constexpr int kNameWireType = wire::kNameType;

constexpr unsigned kAlphaBatch = 100;
constexpr unsigned kDescBatch = 20;
constexpr unsigned kStatementBatch = 8;
constexpr std::size_t kDescLength = wire::kDescriptionLength;
constexpr std::size_t kStatementEntry = wire::kStatementEntry;
constexpr std::size_t kStatementText = wire::kStatementText;

bool rejected(const CIcomLink& link)
{
    return (link.replyFlags() & kReplyRejectFlags) != 0;
}

// The alpha sizes to ask for: every 8-bit size with capability 57, else the intercom's own;
// Unicode with capability 61.
std::array<bool, 4> requestedSizes(const CIntercom& icom)
{
    const bool all8 = icom.HasCapability(cap::NoKeypanelMultipleAlphaSizes);
    return {all8 || icom.alphaSize == 4, all8 || icom.alphaSize == 6, all8 || icom.alphaSize == 8,
            icom.HasCapability(cap::NoUnicodeAlphas)};
}

bool hasAlphas(unsigned t)
{
    return t < kAlphaWireType.size() && kAlphaWireType[t] != kNone;
}
bool hasDescriptions(unsigned t)
{
    return t == restype::kUplStatement || (t < kDescWireType.size() && kDescWireType[t] != kNone);
}

std::u16string upperName(std::u16string text)
{
    for (char16_t& c : text) {
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            c = static_cast<char16_t>(c - 0x20);
    }
    const auto blank = [](char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0; };
    std::size_t b = 0, e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

class Uploader {
public:
    Uploader(CIcomLink& link, CIntercom& work, IUploadProgress* progress,
             const text::CodePage& codePage)
        : link_(link), work_(work), progress_(progress), codePage_(codePage)
    {
    }

    bool request(std::uint16_t command, std::span<const std::uint8_t> payload)
    {
        return link_.Request(command, payload);
    }

    void capabilities()
    {
        if (request(command::kCapabilities, {}) && (link_.replyFlags() & kReplyError) == 0)
            work_.StoreCapabilityReport(link_.replyPayload());
    }

    void systemSize()
    {
        const std::uint8_t sub = system::kSize;
        if (!request(command::kSystem, {&sub, 1}) || (link_.replyFlags() & kReplyError) != 0)
            return;
        const std::span<const std::uint8_t> p = link_.replyPayload();
        if (p.size() < 5 || p[0] != system::kSize)
            return;
        const unsigned version = readBe16(p.data() + 3);
        // A record shorter than its version says is not taken at all: the sizes stay as they were.
        static constexpr std::array<std::size_t, 8> kLengthByVersion = {5, 49, 51, 53, 55, 63, 65, 69};
        if (p.size() < kLengthByVersion[std::min<unsigned>(version, 7)])
            return;
        auto word = [&p](std::size_t at) { return readBe16(p.data() + at); };
        work_.sizeReportWord = word(1);
        work_.sizeReportVersion = static_cast<std::uint16_t>(version);
        if (version >= 1) {
            work_.keypanelCount = word(5);
            work_.partyLineCount = word(7);
            work_.ifbCount = word(9);
            work_.specialListCount = word(11);
            work_.gpiOutputCount = word(13);
            work_.isoCount = word(15);
            work_.groupCount = word(17);
            work_.uplResourceCount = word(19);
            work_.spareCount1 = word(21);
            work_.gpiInputCount = word(23);
            work_.spareCount2 = word(25);
            work_.uplStatementCount = word(27);
            work_.dimTableCount = word(29);
            work_.spareCount3 = word(31);
            work_.frameCount = word(33);
            work_.ioCardCount = word(35);
            work_.panelCount = word(37);
            work_.RecomputeGpiCardCount();
        }
        if (version >= 2)
            work_.optionFlags = word(49);
        work_.autoDialCount = version >= 3 ? word(51) : 0;
        work_.alphaSize = version >= 4 ? word(53) : 4;
        work_.assignmentGroupCount = version >= 7 ? word(65) : 0;
        work_.ifbSpecialListCount = version >= 7 ? word(67) : 0;

        if (!work_.HasCapability(cap::NoUserProgrammableLogic))
            work_.uplResourceCount = work_.uplStatementCount = 0;
        if (!work_.HasCapability(cap::NoAutoDial))
            work_.autoDialCount = 0;
        if (!work_.HasCapability(cap::NoAlphaSizeConfiguration))
            work_.alphaSize = 4;
        if (!work_.HasCapability(cap::NoAssignmentGroups))
            work_.assignmentGroupCount = 0;
        if (!work_.HasCapability(cap::NoIFBSpecialLists))
            work_.ifbSpecialListCount = 0;
    }

    void defaultAlphas(unsigned t, unsigned n, bool inputAlphas)
    {
        for (unsigned number = 1; number <= n; ++number) {
            setDefault(t, number);
            if (inputAlphas)
                setDefault(restype::kInputAlpha, number);
        }
    }

    void alphaBatch(unsigned storeType, int wireType, unsigned first, unsigned count, const AlphaSize& size)
    {
        const unsigned start = first - 1;
        const std::array<std::uint8_t, 5> payload = {
            0x00, static_cast<std::uint8_t>((wireType << 4) | ((start >> 8) & 0x0F)),
            static_cast<std::uint8_t>(start), static_cast<std::uint8_t>((size.wireCode << 4) | ((count >> 8) & 0x0F)),
            static_cast<std::uint8_t>(count)};
        advance(count);
        if (!request(command::kAlphas, payload) || rejected(link_))
            return;
        const std::span<const std::uint8_t> p = link_.replyPayload();
        if (p.size() < 6)
            return;
        for (unsigned i = 0; i < count && 2 + (i + 1) * size.bytes <= p.size(); ++i) {
            const std::uint8_t* entry = p.data() + 2 + i * size.bytes;
            std::u16string text;
            if (size.sizeCode == 16) {
                text.resize(8);
                for (std::size_t u = 0; u < 8; ++u)
                    text[u] = static_cast<char16_t>(readBe16(entry + 2 * u));
            } else {
                // Up to the first zero byte.
                const std::string_view bytes(reinterpret_cast<const char*>(entry), size.bytes);
                text = codePage_.decode(bytes.substr(0, bytes.find('\0')));
            }
            work_.alphas[ResourceKey(storeType, first + i)].SetAlpha(text, size.sizeCode);
        }
    }

    void descriptionBatch(unsigned t, unsigned first, unsigned count, bool unicode)
    {
        std::array<std::uint8_t, 5> payload{};
        payload[0] = static_cast<std::uint8_t>(kDescWireType[t] | (unicode ? 0x80 : 0));
        writeBe16(payload.data() + 1, static_cast<std::uint16_t>(first - 1));
        writeBe16(payload.data() + 3, static_cast<std::uint16_t>(count));
        advance(count);
        if (!request(command::kDescriptions, payload) || rejected(link_))
            return;
        const std::span<const std::uint8_t> p = link_.replyPayload();
        const std::size_t entryBytes = unicode ? 2 * kDescLength : kDescLength;
        for (unsigned i = 0; i < count && (i + 1) * entryBytes <= p.size(); ++i) {
            const std::uint8_t* entry = p.data() + i * entryBytes;
            std::u16string text;
            if (unicode) {
                text.resize(kDescLength);
                for (std::size_t u = 0; u < kDescLength; ++u)
                    text[u] = static_cast<char16_t>(readBe16(entry + 2 * u));
            } else {
                text = codePage_.decode({reinterpret_cast<const char*>(entry), kDescLength});
            }
            work_.descriptions[ResourceKey(t, first + i)].text = std::move(text);
        }
    }

    void statementBatch(unsigned first, unsigned count)
    {
        std::array<std::uint8_t, 4> payload{};
        writeBe16(payload.data(), static_cast<std::uint16_t>(first - 1));
        writeBe16(payload.data() + 2, static_cast<std::uint16_t>(count));
        advance(count);
        if (!request(command::kStatementTexts, payload) || rejected(link_))
            return;
        const std::span<const std::uint8_t> p = link_.replyPayload();
        if (p.size() < kStatementEntry)
            return;
        for (unsigned i = 0; i < count && (i + 1) * kStatementEntry <= p.size(); ++i) {
            const char* text = reinterpret_cast<const char*>(p.data() + i * kStatementEntry + kStatementText);
            work_.descriptions[ResourceKey(restype::kUplStatement, first + i)].text =
                codePage_.decode({text, kStatementText});
        }
    }

    std::u16string name()
    {
        static constexpr std::array<std::uint8_t, 5> payload = {0x00, kNameWireType << 4, 0x00, 0x10, 0x01};
        if (!request(command::kAlphas, payload) || rejected(link_))
            return {};
        const std::span<const std::uint8_t> p = link_.replyPayload();
        if (p.size() < 6)  // two unused bytes, then four characters
            return {};
        std::u16string text(4, u' ');
        for (std::size_t i = 0; i < 4; ++i)
            text[i] = p[2 + i];  // character codes 0-255 as they are
        return upperName(std::move(text));
    }

    void startProgress(int total)
    {
        position_ = 2;
        if (progress_) {
            progress_->setRange(total);
            progress_->setPosition(position_);
        }
    }

private:
    void setDefault(unsigned storeType, unsigned number)
    {
        CAlpha& alpha = work_.alphas[ResourceKey(storeType, number)];
        const std::u16string text = work_.DefaultAlpha(storeType, number);
        for (const AlphaSize& size : kAlphaSizes)
            alpha.SetAlpha(text, size.sizeCode);
    }

    void advance(unsigned count)
    {
        position_ += static_cast<int>(count);
        if (progress_)
            progress_->setPosition(position_);
    }

    CIcomLink& link_;
    CIntercom& work_;
    IUploadProgress* progress_;
    const text::CodePage codePage_;
    int position_ = 0;
};

bool cancelled(std::atomic<int>& cancel)
{
    return cancel.exchange(0) != 0;
}

// While the link connects: tells the progress which controller is tried, and lets a cancel stop
// the connect between attempts instead of after every controller has been waited for.
class ConnectReporter final : public ILinkObserver {
public:
    ConnectReporter(std::atomic<int>& cancel, IUploadProgress* progress) : cancel_(cancel), progress_(progress) {}
    bool attempting(Ipv4 address, int attempt, int attempts) override
    {
        // Once stopped, the failover and the standby hop send nothing either.
        if (stopped_ || cancelled(cancel_)) {
            stopped_ = true;
            return false;
        }
        if (progress_)
            progress_->connecting(address, attempt, attempts);
        return true;
    }
    // A cancel was taken while connecting (the flag is reset by then).
    bool stopped() const { return stopped_; }

private:
    std::atomic<int>& cancel_;
    IUploadProgress* progress_;
    bool stopped_ = false;
};

std::u16string addressText(Ipv4 address)
{
    return formatIpv4u(address);
}

// Fills %1 and %2 in one pass, so that a name holding "%2" is not filled again.
std::u16string fillArgs(std::u16string_view format, std::u16string_view arg1, std::u16string_view arg2 = {})
{
    std::u16string out;
    out.reserve(format.size() + arg1.size() + arg2.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && (format[i + 1] == u'1' || format[i + 1] == u'2')) {
            out += format[i + 1] == u'1' ? arg1 : arg2;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

std::u16string connectionText(std::u16string_view title, const CIntercom& icom)
{
    return std::u16string(title) + u"     \n\n" + icom.name + u" : " + displayAddress(icom.mainAddress) + u" / "
        + displayAddress(icom.partnerAddress) + u"     ";
}

bool sameNameIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    const auto fold = [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ? char16_t(c - 0x20) : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

}  // namespace

int UploadProgressTotal(const CIntercom& icom)
{
    const std::array<bool, 4> sizes = requestedSizes(icom);
    const int k = static_cast<int>(std::count(sizes.begin(), sizes.end(), true));
    int total = 2;
    for (unsigned t = 0; t < restype::kRestrictableCount; ++t) {
        if (!icom.IsTypeAvailable(t))
            continue;
        const int n = icom.Count(t);
        if (hasAlphas(t)) {
            const int m = (t == restype::kKeypanel && icom.HasInputAlphas()) ? 2 : 1;
            total += n * m * k;
        }
        if (hasDescriptions(t))
            total += n;
    }
    return total;
}

int UploadConfiguration(std::atomic<int>& cancel, CIntercom& work, IUploadProgress* progress,
                        IDatagramPort& port, const UploadSettings& settings, UploadStats* stats)
{
    // 0.0.0.0 counts as no address for the partner too: nothing is ever sent to it.
    Ipv4 first = usableAddress(work.mainAddress).value_or(kNoAddress);
    Ipv4 second = usableAddress(work.partnerAddress).value_or(kNoAddress);
    // The controller that answered last time (or the only one known) is tried first.
    if (work.partnerActive || first == kNoAddress)
        std::swap(first, second);

    CIcomLink link(port);
    link.setAttemptTimeoutMs(settings.attemptTimeoutMs);
    link.setControllerPort(settings.controllerPort);
    Uploader up(link, work, progress, settings.codePage);
    const auto finish = [&](int result) {
        if (stats) {
            stats->requests = link.requestsMade();
            stats->datagrams = link.datagramsSent();
        }
        return result;
    };
    ConnectReporter reporter(cancel, progress);
    link.setObserver(&reporter);
    const bool opened = link.Open(first, second);
    link.setObserver(nullptr);
    if (!opened) {
        link.Close();
        return finish(1);
    }
    const auto stop = [&] {
        link.Disconnect();
        return finish(1);
    };
    if (reporter.stopped())
        return stop();  // cancelled during the address update, after the connect itself
    if (progress)
        progress->connected(link.IsUsingPartner() ? link.GetPartnerAddress() : link.GetMainAddress());
    work.mainAddress = addressText(link.GetMainAddress());
    work.partnerAddress = addressText(link.GetPartnerAddress());
    work.partnerActive = link.IsUsingPartner();
    if (cancelled(cancel))
        return stop();

    up.capabilities();
    up.systemSize();
    if (cancelled(cancel))
        return stop();

    up.startProgress(UploadProgressTotal(work));
    work.ClearContents();

    const std::array<bool, 4> sizes = requestedSizes(work);
    const bool unicodeDescriptions = work.HasCapability(cap::NoUnicodeAlphas);
    for (unsigned t = 0; t < restype::kRestrictableCount; ++t) {
        if (cancelled(cancel))
            return stop();
        if (!work.IsTypeAvailable(t))
            continue;
        const unsigned n = work.Count(t);
        if (hasAlphas(t)) {
            const bool inputAlphas = t == restype::kKeypanel && work.HasInputAlphas();
            up.defaultAlphas(t, n, inputAlphas);
            for (unsigned start = 1; start <= n; start += kAlphaBatch) {
                const unsigned count = std::min(kAlphaBatch, n - start + 1);
                for (std::size_t s = 0; s < kAlphaSizes.size(); ++s) {
                    if (!sizes[s])
                        continue;
                    up.alphaBatch(t, kAlphaWireType[t], start, count, kAlphaSizes[s]);
                    if (inputAlphas)
                        up.alphaBatch(restype::kInputAlpha, kInputAlphaWireType, start, count, kAlphaSizes[s]);
                }
            }
        }
        if (cancelled(cancel))
            return stop();
        if (t == restype::kUplStatement) {
            for (unsigned start = 1; start <= n; start += kStatementBatch)
                up.statementBatch(start, std::min(kStatementBatch, n - start + 1));
        } else if (hasDescriptions(t)) {
            for (unsigned start = 1; start <= n; start += kDescBatch)
                up.descriptionBatch(t, start, std::min(kDescBatch, n - start + 1), unicodeDescriptions);
        }
    }
    work.name = up.name();
    link.Disconnect();
    return finish(0);
}

bool HasContactAddress(const CIntercom& current)
{
    return usableAddress(current.mainAddress) || usableAddress(current.partnerAddress);
}

std::u16string UploadingText(const CIntercom& current)
{
    return connectionText(u"Uploading from intercom:", current);
}

RefreshOutcome DecideRefresh(const CIntercom& current, const CIntercom& work, int uploadResult)
{
    RefreshOutcome out;
    if (!HasContactAddress(current))
        return out;
    if (uploadResult != 0) {
        out.action = RefreshOutcome::Action::NotConnected;
        out.message = connectionText(u"Could not connect to intercom:", current);
        return out;
    }
    if (!sameNameIgnoringCase(work.name, current.name)) {
        const std::u16string& contacted = work.name;
        const std::u16string& cur = current.name;
        out.action = RefreshOutcome::Action::NameMismatch;
        out.message =
            fillArgs(u"The contacted intercom (%1) has a different name than the current intercom "
                     u"(%2).     \n\n",
                     contacted, cur)
            + u"This can mean one of two things:     \n\n"
            + fillArgs(u"1) The IP address for %1 is correct, but the intercom name has been changed "
                       u"to %2.     \n\n",
                       cur, contacted)
            + fillArgs(u"     - In this case, you should export the restrictions file with the new "
                       u"intercom name %1.     \n\n",
                       contacted)
            + fillArgs(u"2) The IP address for %1 has changed, and the old IP address is now used "
                       u"by %2     \n\n",
                       cur, contacted)
            + fillArgs(u"     - In this case, you should edit the settings for %1 and enter the "
                       u"correct IP address.     ",
                       cur);
        return out;
    }
    out.action = RefreshOutcome::Action::Adopt;
    out.configurationChanged = !work.SameConfiguration(current) && !current.alphas.empty();
    if (out.configurationChanged)
        out.message = u"The intercom configuration for " + current.name
            + u" has changed since you last connected to it.     ";
    return out;
}

}  // namespace vexilor::comms
