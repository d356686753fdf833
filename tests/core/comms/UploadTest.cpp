#include "FakeNetwork.h"

#include "comms/Upload.h"
#include "comms/WireTypes.h"
#include "intercom/Capabilities.h"

#include <gtest/gtest.h>

using namespace vexilor;
using namespace vexilor::comms;
using vexilor::comms::testing::FakeNetwork;

namespace {

constexpr Ipv4 kMain = 0x0A000001;
constexpr Ipv4 kPartner = 0x0A000002;

// An intercom as its controller knows it: every type present, some alphas and texts of its own.
CIntercom controllerConfig()
{
    CIntercom icom;
    icom.name = u"ICOM";
    icom.keypanelCount = 250;
    icom.partyLineCount = 12;
    icom.groupCount = 5;
    icom.uplStatementCount = 20;
    icom.autoDialCount = 3;
    icom.assignmentGroupCount = 4;
    icom.ifbSpecialListCount = 2;
    icom.alphaSize = 6;
    icom.optionFlags = kOptionInputAlphas;
    for (unsigned c : {cap::NoUserProgrammableLogic, cap::NoAutoDial, cap::NoAlphaSizeConfiguration,
                       cap::NoAssignmentGroups, cap::NoIFBSpecialLists, cap::NoKeypanelMultipleAlphaSizes,
                       cap::NoUnicodeAlphas, cap::NoDescriptions})
        icom.capabilities.set(c);
    icom.alphas[ResourceKey(restype::kKeypanel, 3)].SetAlpha(u"DESK", 4);
    icom.alphas[ResourceKey(restype::kKeypanel, 3)].SetAlpha(u"DESK A", 6);
    icom.alphas[ResourceKey(restype::kKeypanel, 250)].SetAlpha(u"LAST0001", 8);
    icom.alphas[ResourceKey(restype::kKeypanel, 3)].SetAlpha(u"\u53F0\u672C", 16);
    icom.alphas[ResourceKey(restype::kInputAlpha, 3)].SetAlpha(u"MIC3", 4);
    icom.descriptions[ResourceKey(restype::kPartyLine, 2)].text = u"Studio talkback";
    icom.descriptions[ResourceKey(restype::kUplStatement, 9)].text = u"IF KP1 THEN RY2";
    return icom;
}

struct Upload : ::testing::Test {
    CIntercom controller = controllerConfig();
    FakeNetwork net;
    std::atomic<int> cancel{0};

    // The working copy starts as the program's configuration: defaults and the addresses.
    CIntercom work()
    {
        CIntercom w;
        w.name = u"ICOM";
        w.mainAddress = u"10.0.0.1";
        w.partnerAddress = u"0.0.0.0";
        return w;
    }

    // (wire type, first, size code, count) of every alpha request sent.
    std::vector<std::array<unsigned, 4>> alphaRequests() const
    {
        std::vector<std::array<unsigned, 4>> out;
        for (const auto& s : net.sent) {
            if (messageCommand(s.message.data()) != command::kAlphas)
                continue;
            const std::uint8_t* q = s.message.data() + kHeaderSize;
            out.push_back({unsigned(q[1] >> 4), (((q[1] & 0x0Fu) << 8) | q[2]) + 1u, unsigned(q[3] >> 4),
                           ((q[3] & 0x0Fu) << 8) | q[4]});
        }
        return out;
    }
};

struct RecordingProgress : IUploadProgress {
    struct Attempt {
        Ipv4 address;
        int attempt;
        int attempts;
        bool operator==(const Attempt&) const = default;
    };
    int total = -1;
    std::vector<int> positions;
    std::function<void(int)> onPosition;
    std::vector<Attempt> attempts;
    std::function<void(const Attempt&)> onAttempt;
    std::vector<Ipv4> connectedTo;
    void setRange(int t) override { total = t; }
    void setPosition(int p) override
    {
        positions.push_back(p);
        if (onPosition)
            onPosition(p);
    }
    void connecting(Ipv4 address, int attempt, int of) override
    {
        attempts.push_back({address, attempt, of});
        if (onAttempt)
            onAttempt(attempts.back());
    }
    void connected(Ipv4 address) override { connectedTo.push_back(address); }
};

}  // namespace

TEST_F(Upload, FetchesSizesAlphasTextsAndNameFromTheController)
{
    CControllerSim sim(controller, {});
    net.addController(kMain, sim);
    CIntercom w = work();
    RecordingProgress progress;
    UploadStats stats;
    ASSERT_EQ(UploadConfiguration(cancel, w, &progress, net, {}, &stats), 0);

    EXPECT_TRUE(w.SameConfiguration(controller)) << "sizes and capabilities as the controller has them";
    EXPECT_EQ(w.name, u"ICOM");
    const CAlpha& kp3 = w.alphas.at(ResourceKey(restype::kKeypanel, 3));
    EXPECT_EQ(kp3.alpha4, u"DESK");
    EXPECT_EQ(kp3.alpha6, u"DESK A");
    EXPECT_EQ(w.alphas.at(ResourceKey(restype::kKeypanel, 250)).alpha8, u"LAST0001");
    EXPECT_EQ(kp3.alphaUnicode, controller.alphas.at(ResourceKey(restype::kKeypanel, 3)).alphaUnicode);
    EXPECT_EQ(w.alphas.at(ResourceKey(restype::kInputAlpha, 3)).alpha4, u"MIC3");
    EXPECT_EQ(w.DescriptionText(restype::kPartyLine, 2), u"Studio talkback");
    EXPECT_EQ(w.DescriptionText(restype::kUplStatement, 9), u"IF KP1 THEN RY2");
    EXPECT_EQ(w.alphas.count(ResourceKey(restype::kPartyLine, 12)), 1u);
    EXPECT_EQ(w.mainAddress, u"10.0.0.1");
    EXPECT_EQ(w.partnerAddress, u"255.255.255.255");
    EXPECT_FALSE(w.partnerActive);

    EXPECT_EQ(progress.total, UploadProgressTotal(w));
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_EQ(progress.positions.front(), 2);
    EXPECT_EQ(progress.positions.back(), progress.total) << "the bar ends full";
    EXPECT_EQ(stats.requests, net.sent.size()) << "no retries on a clean network";
}

TEST_F(Upload, BatchesOf100AlphasAnd20DescriptionsInSizeOrder)
{
    CControllerSim sim(controller, {});
    net.addController(kMain, sim);
    CIntercom w = work();
    ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, net), 0);

    std::vector<std::array<unsigned, 4>> keypanel;
    for (const auto& r : alphaRequests())
        if (r[0] == 0 || r[0] == unsigned(wire::kInputAlphaType))
            keypanel.push_back(r);
    // Each batch: sizes 4, 6, 8 and Unicode (capability 57 and 61), each followed by input alphas.
    ASSERT_EQ(keypanel.size(), 3u * 4u * 2u);
    const unsigned firsts[] = {1, 101, 201}, counts[] = {100, 100, 50};
    for (unsigned b = 0; b < 3; ++b) {
        for (unsigned s = 0; s < 4; ++s) {
            const auto& out = keypanel[b * 8 + s * 2];
            const auto& in = keypanel[b * 8 + s * 2 + 1];
            EXPECT_EQ(out, (std::array<unsigned, 4>{0, firsts[b], s + 1, counts[b]}));
            EXPECT_EQ(in, (std::array<unsigned, 4>{unsigned(wire::kInputAlphaType), firsts[b], s + 1, counts[b]}));
        }
    }
    std::vector<std::pair<unsigned, unsigned>> descriptions;
    for (const auto& s : net.sent) {
        const std::uint8_t* q = s.message.data() + kHeaderSize;
        if (messageCommand(s.message.data()) == command::kDescriptions && (q[0] & 0x7F) == 0)
            descriptions.emplace_back(readBe16(q + 1) + 1u, readBe16(q + 3));
    }
    ASSERT_EQ(descriptions.size(), 13u);
    EXPECT_EQ(descriptions.front(), std::make_pair(1u, 20u));
    EXPECT_EQ(descriptions.back(), std::make_pair(241u, 10u));
}

TEST_F(Upload, AsksOnlyForTheIntercomsOwnAlphaSizeWithoutMultipleSizes)
{
    controller.capabilities.clear(cap::NoKeypanelMultipleAlphaSizes);
    controller.capabilities.clear(cap::NoUnicodeAlphas);
    CControllerSim sim(controller, {});
    net.addController(kMain, sim);
    CIntercom w = work();
    ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, net), 0);
    for (const auto& r : alphaRequests()) {
        if (r[0] != unsigned(wire::kNameType)) {
            EXPECT_EQ(r[2], 2u) << "only 6-character alphas for an intercom with alpha size 6";
        }
    }
    EXPECT_EQ(w.alphaSize, 6);
}

TEST_F(Upload, SizeRecordVersionsAndShortRepliesAreBounded)
{
    struct Case {
        const char* what;
        std::uint16_t version;
        std::size_t cutPayloadTo;  // 0: whole
        bool sizesTaken;
    };
    const Case cases[] = {
        {"version 7", 7, 0, true},
        {"version 0", 0, 0, false},
        {"version 7 cut to 40 bytes", 7, 40, false},
        {"version 1 cut to 48 bytes", 1, 48, false},
    };
    for (const Case& c : cases) {
        FakeNetwork n;
        CControllerSim sim(controller, {.sizeVersion = c.version});
        n.addController(kMain, sim);
        n.editReply = [&](std::size_t, std::vector<std::uint8_t>& reply) {
            if (c.cutPayloadTo && messageCommand(reply.data()) == command::kSystem && reply.size() > kHeaderSize
                && reply[kHeaderSize] == system::kSize)
                reply.resize(kHeaderSize + c.cutPayloadTo);
        };
        CIntercom w = work();
        w.autoDialCount = 9;
        ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, n), 0) << c.what;
        EXPECT_EQ(w.keypanelCount, c.sizesTaken ? 250 : 136) << c.what;
        if (c.version == 0) {
            EXPECT_EQ(w.autoDialCount, 0) << "a version-0 record has no auto dials";
            EXPECT_EQ(w.assignmentGroupCount, 0);
            EXPECT_EQ(w.ifbSpecialListCount, 0);
            EXPECT_EQ(w.alphaSize, 4);
        }
        if (c.cutPayloadTo) {
            EXPECT_EQ(w.autoDialCount, 9) << c.what << ": a short record is not taken at all";
        }
    }
}

TEST_F(Upload, CapabilityGapsZeroTheSizesTheyGovern)
{
    controller.capabilities.clear(cap::NoUserProgrammableLogic);
    controller.capabilities.clear(cap::NoAutoDial);
    CControllerSim sim(controller, {});
    net.addController(kMain, sim);
    CIntercom w = work();
    ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, net), 0);
    EXPECT_EQ(w.uplResourceCount, 0);
    EXPECT_EQ(w.uplStatementCount, 0);
    EXPECT_EQ(w.autoDialCount, 0);
    EXPECT_EQ(w.assignmentGroupCount, 4);
}

TEST_F(Upload, AShortCapabilityReportSetsOnlyTheBitsItCarries)
{
    CControllerSim sim(controller, {});
    net.addController(kMain, sim);
    net.editReply = [](std::size_t, std::vector<std::uint8_t>& reply) {
        if (messageCommand(reply.data()) == command::kCapabilities)
            reply.resize(kHeaderSize + 2);
    };
    CIntercom w = work();
    ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, net), 0);
    for (unsigned c = 0; c < kCapabilityCount; ++c) {
        bool carried = false;
        for (unsigned r = 0; r < 16; ++r)
            carried = carried || CapabilityFromReportedBit(r) == int(c);
        if (!carried && c != 64 && c != 109) {  // derived bits may follow from carried ones
            EXPECT_FALSE(w.HasCapability(c)) << c;
        }
    }
}

TEST_F(Upload, CancelStopsAtTheNextTypeAndDisconnects)
{
    CControllerSim sim(controller, {});
    net.addController(kMain, sim);
    CIntercom w = work();
    RecordingProgress progress;
    progress.onPosition = [&](int p) {
        if (p > 2)
            cancel.fetch_add(1);  // raised during the keypanel alphas
    };
    EXPECT_EQ(UploadConfiguration(cancel, w, &progress, net), 1);
    for (const auto& s : net.sent)
        EXPECT_NE(messageCommand(s.message.data()), command::kDescriptions) << "cancelled before descriptions";
    EXPECT_EQ(net.commands().back(), command::kSystem);
    EXPECT_EQ(net.sent.back().message.at(kHeaderSize), system::kDisconnect);
    EXPECT_EQ(cancel.load(), 0) << "reading the flag resets it";
}

TEST_F(Upload, ConnectingReportsEachAttemptAndThenTheControllerReached)
{
    using A = RecordingProgress::Attempt;
    CControllerSim sim(controller, {});
    net.addController(kPartner, sim);  // the main controller is silent
    CIntercom w = work();
    w.partnerAddress = u"10.0.0.2";
    RecordingProgress progress;
    ASSERT_EQ(UploadConfiguration(cancel, w, &progress, net, {.attemptTimeoutMs = 1}), 0);
    // The connect tries the main controller twice, then the partner; the address request that
    // follows on the partner is part of connecting too. Requests after that are not reported.
    ASSERT_GE(progress.attempts.size(), 3u);
    EXPECT_EQ(progress.attempts[0], (A{kMain, 1, 2}));
    EXPECT_EQ(progress.attempts[1], (A{kMain, 2, 2}));
    EXPECT_EQ(progress.attempts[2], (A{kPartner, 1, 2}));
    EXPECT_EQ(progress.attempts.size(), 4u);
    EXPECT_EQ(progress.connectedTo, std::vector<Ipv4>{kPartner});
}

TEST_F(Upload, CancelWhileConnectingStopsBeforeTheNextAttempt)
{
    // Nobody answers; the user cancels while the first attempt waits.
    CIntercom w = work();
    w.partnerAddress = u"10.0.0.2";
    RecordingProgress progress;
    progress.onAttempt = [&](const RecordingProgress::Attempt& a) {
        if (a.attempt == 1 && a.address == kMain)
            cancel.fetch_add(1);
    };
    EXPECT_EQ(UploadConfiguration(cancel, w, &progress, net, {.attemptTimeoutMs = 1}), 1);
    ASSERT_EQ(net.sent.size(), 1u) << "neither the retry nor the partner is tried";
    EXPECT_EQ(net.sent.front().address, kMain);
    EXPECT_TRUE(progress.connectedTo.empty());
    EXPECT_EQ(cancel.load(), 0) << "reading the flag resets it";
}

TEST_F(Upload, AddressOrderFollowsTheControllerThatAnsweredLast)
{
    struct Case { const char16_t* main; const char16_t* partner; bool partnerActive; Ipv4 firstTried; };
    const Case cases[] = {
        {u"10.0.0.1", u"10.0.0.2", false, kMain},
        {u"10.0.0.1", u"10.0.0.2", true, kPartner},
        {u"", u"10.0.0.2", false, kPartner},
        {u"0.0.0.0", u"10.0.0.2", false, kPartner},
        {u"10.0.0.1", u"0.0.0.0", true, kMain},
    };
    for (const Case& c : cases) {
        FakeNetwork n;
        CIntercom w = work();
        w.mainAddress = c.main;
        w.partnerAddress = c.partner;
        w.partnerActive = c.partnerActive;
        EXPECT_EQ(UploadConfiguration(cancel, w, nullptr, n, {.attemptTimeoutMs = 1}), 1);
        ASSERT_FALSE(n.sent.empty());
        EXPECT_EQ(n.sent.front().address, c.firstTried);
        for (const auto& s : n.sent)
            EXPECT_NE(s.address, 0u) << "nothing is ever sent to 0.0.0.0";
    }
}

TEST_F(Upload, PartnerOnlyIntercomStoresThePartnerAsMain)
{
    CControllerSim sim(controller, {});
    net.addController(kPartner, sim);
    CIntercom w = work();
    w.mainAddress = u"";
    w.partnerAddress = u"10.0.0.2";
    ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, net), 0);
    EXPECT_EQ(w.mainAddress, u"10.0.0.2");
    EXPECT_EQ(w.partnerAddress, u"255.255.255.255");
    EXPECT_FALSE(w.partnerActive);
}

TEST_F(Upload, ANameReplyTooShortGivesAnEmptyName)
{
    CControllerSim sim(controller, {});
    net.addController(kMain, sim);
    net.editReply = [](std::size_t, std::vector<std::uint8_t>& reply) {
        if (messageCommand(reply.data()) == command::kAlphas && reply.size() == kHeaderSize + 6)
            reply.resize(kHeaderSize + 5);
    };
    CIntercom w = work();
    ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, net), 0);
    EXPECT_EQ(w.name, u"");
}

TEST_F(Upload, EightBitTextsArriveInTheChosenCodePageAndEndAtTheirFirstZeroByte)
{
    const std::optional<text::CodePage> sjis = text::CodePage::make(932);
    ASSERT_TRUE(sjis);
    controller.alphas[ResourceKey(restype::kKeypanel, 3)].SetAlpha(u"ﾏｲｸ3", 4);
    controller.alphas[ResourceKey(restype::kKeypanel, 3)].SetAlpha(u"表ｿｰｽ", 6);
    controller.alphas[ResourceKey(restype::kKeypanel, 4)].SetAlpha(std::u16string(u"AB\0\0\0\0", 6), 6);
    controller.descriptions[ResourceKey(restype::kPartyLine, 2)].text = u"音声卓の返し";
    controller.descriptions[ResourceKey(restype::kUplStatement, 9)].text = u"表示ソ";
    CControllerSim sim(controller, {}, *sjis);
    net.addController(kMain, sim);
    CIntercom w = work();
    ASSERT_EQ(UploadConfiguration(cancel, w, nullptr, net, {.codePage = *sjis}), 0);
    EXPECT_EQ(w.alphas.at(ResourceKey(restype::kKeypanel, 3)).alpha4, u"ﾏｲｸ3");
    // 表 takes two of the six bytes: the alpha holds five characters, then a space.
    EXPECT_EQ(w.alphas.at(ResourceKey(restype::kKeypanel, 3)).alpha6, u"表ｿｰｽ  ");
    EXPECT_EQ(w.alphas.at(ResourceKey(restype::kKeypanel, 4)).alpha6, u"AB    ");
    EXPECT_EQ(w.DescriptionText(restype::kPartyLine, 2), u"音声卓の返し");
    EXPECT_EQ(w.DescriptionText(restype::kUplStatement, 9), u"表示ソ");
}

TEST(RefreshDecision, FollowsTheUploadAndTheNames)
{
    CIntercom current;
    current.name = u"ICOM";
    current.mainAddress = u"10.0.0.1";
    current.partnerAddress = u"0.0.0.0";

    CIntercom noAddress = current;
    noAddress.mainAddress = u"not an address";
    EXPECT_EQ(DecideRefresh(noAddress, current, 1).action, RefreshOutcome::Action::NoAddress);

    const RefreshOutcome failed = DecideRefresh(current, current, 1);
    EXPECT_EQ(failed.action, RefreshOutcome::Action::NotConnected);
    // An absent address reads "none", whichever way it is stored.
    EXPECT_EQ(failed.message, u"Could not connect to intercom:     \n\nICOM : 10.0.0.1 / none     ");
    EXPECT_EQ(UploadingText(current), u"Uploading from intercom:     \n\nICOM : 10.0.0.1 / none     ");
    CIntercom partnerOnly = current;
    partnerOnly.mainAddress = u"";
    partnerOnly.partnerAddress = u"10.0.0.2";
    EXPECT_EQ(UploadingText(partnerOnly), u"Uploading from intercom:     \n\nICOM : none / 10.0.0.2     ");
    partnerOnly.mainAddress = u"10.0.0.2";
    partnerOnly.partnerAddress = u"255.255.255.255";  // what an upload stores for no partner
    EXPECT_EQ(UploadingText(partnerOnly), u"Uploading from intercom:     \n\nICOM : 10.0.0.2 / none     ");

    CIntercom other = current;
    other.name = u"BETA";
    const RefreshOutcome mismatch = DecideRefresh(current, other, 0);
    EXPECT_EQ(mismatch.action, RefreshOutcome::Action::NameMismatch);
    EXPECT_EQ(mismatch.message,
              u"The contacted intercom (BETA) has a different name than the current intercom (ICOM).     \n\n"
              u"This can mean one of two things:     \n\n"
              u"1) The IP address for ICOM is correct, but the intercom name has been changed to BETA.     \n\n"
              u"     - In this case, you should export the restrictions file with the new intercom name BETA."
              u"     \n\n"
              u"2) The IP address for ICOM has changed, and the old IP address is now used by BETA     \n\n"
              u"     - In this case, you should edit the settings for ICOM and enter the correct IP address.     ");
    // A name that looks like a placeholder is shown as it is, never filled in again.
    other.name = u"%2%1";
    EXPECT_EQ(DecideRefresh(current, other, 0).message.substr(0, 64),
              u"The contacted intercom (%2%1) has a different name than the curr");

    CIntercom lower = current;
    lower.name = u"icom";
    EXPECT_EQ(DecideRefresh(current, lower, 0).action, RefreshOutcome::Action::Adopt);

    CIntercom unnamed = current;
    unnamed.name.clear();
    EXPECT_EQ(DecideRefresh(current, unnamed, 0).action, RefreshOutcome::Action::NameMismatch);

    CIntercom resized = current;
    resized.keypanelCount = 32;
    EXPECT_FALSE(DecideRefresh(current, resized, 0).configurationChanged) << "no alphas before: quiet";
    CIntercom withAlphas = current;
    withAlphas.alphas[ResourceKey(0, 1)];
    const RefreshOutcome changed = DecideRefresh(withAlphas, resized, 0);
    EXPECT_TRUE(changed.configurationChanged);
    EXPECT_EQ(changed.message, u"The intercom configuration for ICOM has changed since you last connected to it.     ");
}
