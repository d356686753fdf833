#include "FakeNetwork.h"

#include "comms/IcomLink.h"
#include "intercom/Capabilities.h"

#include <gtest/gtest.h>

using namespace vexilor;
using namespace vexilor::comms;
using vexilor::comms::testing::FakeNetwork;

namespace {

constexpr Ipv4 kMain = 0x0A000001;     // 10.0.0.1
constexpr Ipv4 kPartner = 0x0A000002;  // 10.0.0.2

struct LinkFixture : ::testing::Test {
    CIntercom icom;
    FakeNetwork net;
    CIcomLink link{net};
};

}  // namespace

TEST_F(LinkFixture, OpensOnTheMainControllerAndAsksForItsPair)
{
    CControllerSim main(icom, {.deviceAddress = 0x0042});
    net.addController(kMain, main);
    ASSERT_TRUE(link.Open(kMain, kPartner));
    EXPECT_EQ(link.deviceAddress(), 0x0042);
    EXPECT_FALSE(link.IsUsingPartner());
    ASSERT_EQ(net.sent.size(), 2u);
    EXPECT_EQ(net.sent[0].frame, (std::vector<std::uint8_t>{0xD5, 0xFF, 0xFF, 0xDA, 0xDA, 0x00, 0x01, 0x27, 0xDD}));
    EXPECT_EQ(net.sent[0].port, kControllerPort);
    EXPECT_EQ(messageCommand(net.sent[1].message.data()), command::kControllerAddresses);
    EXPECT_EQ(messageDevice(net.sent[1].message.data()), 0x0042) << "later requests carry the device address";
    EXPECT_EQ(messageSequence(net.sent[1].message.data()), 2u);
}

TEST_F(LinkFixture, FailsOverToThePartnerWhenTheMainIsSilent)
{
    CControllerSim partner(icom, {});
    net.addController(kPartner, partner);
    ASSERT_TRUE(link.Open(kMain, kPartner));
    EXPECT_TRUE(link.IsUsingPartner());
    // Two attempts at the main, then the connect at the partner still with device address FFFF.
    ASSERT_GE(net.sent.size(), 3u);
    EXPECT_EQ(net.sent[0].address, kMain);
    EXPECT_EQ(net.sent[1].address, kMain);
    EXPECT_EQ(net.sent[1].frame, net.sent[0].frame) << "a retry resends the same frame";
    EXPECT_EQ(net.sent[2].address, kPartner);
    EXPECT_EQ(messageDevice(net.sent[2].message.data()), kUnknownDevice);
}

TEST_F(LinkFixture, OnlyAPartnerAddressIsTriedFirst)
{
    CControllerSim partner(icom, {});
    net.addController(kPartner, partner);
    ASSERT_TRUE(link.Open(kNoAddress, kPartner));
    EXPECT_EQ(net.sent[0].address, kPartner);
    EXPECT_TRUE(link.IsUsingPartner());
}

TEST_F(LinkFixture, MovesFromAStandbyControllerToItsPartner)
{
    CControllerSim standby(icom, {.standby = true, .firstController = kMain, .secondController = 0x0A000009});
    CControllerSim active(icom, {.deviceAddress = 7, .firstController = 0x0A000009, .secondController = kMain});
    net.addController(kMain, standby);
    net.addController(0x0A000009, active);
    ASSERT_TRUE(link.Open(kMain, kNoAddress));
    EXPECT_TRUE(link.IsUsingPartner());
    EXPECT_EQ(link.GetPartnerAddress(), 0x0A000009u) << "the standby told where its partner is";
    EXPECT_EQ(link.GetMainAddress(), kMain);
    EXPECT_EQ(link.deviceAddress(), 7);
}

TEST_F(LinkFixture, TwoStandbyControllersMeanNoConnection)
{
    CControllerSim a(icom, {.standby = true, .firstController = kMain, .secondController = kPartner});
    CControllerSim b(icom, {.standby = true, .firstController = kPartner, .secondController = kMain});
    net.addController(kMain, a);
    net.addController(kPartner, b);
    EXPECT_FALSE(link.Open(kMain, kPartner));
    EXPECT_FALSE(net.isOpen());
    EXPECT_EQ(link.deviceAddress(), kUnknownDevice);
}

TEST_F(LinkFixture, ControllerAddressUpdateFollowsOnlyValidReports)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> edit;
        Ipv4 partnerAfter;
    };
    const Ipv4 reported = 0x0A000005;
    const Case cases[] = {
        {"valid, A is the main: partner becomes B", [](auto&) {}, reported},
        {"both addresses FF", [](auto& r) { std::fill(r.begin() + 5, r.end(), 0xFF); r[5] = 3; }, kPartner},
        {"bit 1 missing", [](auto& r) { r[5] = 1; }, kPartner},
        {"error flag", [](auto& r) { r[3] |= 0x80; }, kPartner},
        {"reply too short", [](auto& r) { r.resize(20); }, kPartner},
    };
    for (const Case& c : cases) {
        FakeNetwork net2;
        CControllerSim main(icom, {.firstController = kMain, .secondController = reported});
        net2.addController(kMain, main);
        net2.editReply = [&](std::size_t, std::vector<std::uint8_t>& reply) {
            if (messageCommand(reply.data()) == command::kControllerAddresses)
                c.edit(reply);
        };
        CIcomLink l(net2);
        ASSERT_TRUE(l.Open(kMain, kPartner)) << c.what;
        EXPECT_EQ(l.GetPartnerAddress(), c.partnerAfter) << c.what;
        EXPECT_EQ(l.GetMainAddress(), kMain) << c.what << ": the address in use never changes";
    }
}

TEST_F(LinkFixture, StaleAndForeignDatagramsAreSkipped)
{
    CControllerSim main(icom, {});
    net.addController(kMain, main);
    ASSERT_TRUE(link.Open(kMain, kNoAddress));
    const std::size_t before = net.sent.size();

    net.foreignFirst.insert(before);
    EXPECT_TRUE(link.Request(command::kCapabilities));
    EXPECT_EQ(net.sent.size(), before + 1) << "the foreign datagram did not cost an attempt";

    // A stale reply ahead of the right one is skipped within the same attempt.
    net.wrongSequence.insert(before + 1);
    EXPECT_TRUE(link.Request(command::kCapabilities));
    EXPECT_EQ(net.sent.size(), before + 2) << "a stale reply costs no attempt";
    EXPECT_EQ(messageSequence(link.reply().data()), link.sequence());

    // Nothing but stale and foreign datagrams: both attempts run out, the exchange fails.
    net.dropped = {before + 2, before + 3};
    net.deliver(kMain, {0xD5, 0x00, 0x01, 0xDD});
    EXPECT_FALSE(link.Request(command::kCapabilities));
    EXPECT_EQ(net.sent.size(), before + 4);
    EXPECT_TRUE(link.reply().empty());
}

TEST_F(LinkFixture, GarbageAndOversizedRepliesAreNotTaken)
{
    CControllerSim main(icom, {});
    net.addController(kMain, main);
    ASSERT_TRUE(link.Open(kMain, kNoAddress));
    net.dropped = {net.sent.size(), net.sent.size() + 1};
    net.deliver(kMain, {0x01, 0x02, 0x03});
    std::vector<std::uint8_t> huge(kMaxFrame, 0x41);
    huge.front() = kFrameStart;
    huge.back() = kFrameEnd;
    net.deliver(kMain, huge);
    EXPECT_FALSE(link.Request(command::kCapabilities));
}

TEST_F(LinkFixture, SequenceNumberWrapsAfter2047)
{
    CControllerSim main(icom, {});
    net.addController(kMain, main);
    ASSERT_TRUE(link.Open(kMain, kNoAddress));
    while (link.sequence() != 2047)
        ASSERT_TRUE(link.Request(command::kCapabilities));
    ASSERT_TRUE(link.Request(command::kCapabilities));
    EXPECT_EQ(link.sequence(), 0u);
    EXPECT_EQ(messageSequence(net.sent.back().message.data()), 0u);
}

TEST_F(LinkFixture, OpenRefusesWithoutAddressesOrWhileOpen)
{
    EXPECT_FALSE(link.Open(kNoAddress, kNoAddress));
    EXPECT_EQ(net.opens, 0) << "no socket without an address";
    net.failOpen = true;
    EXPECT_FALSE(link.Open(kMain, kNoAddress));
    net.failOpen = false;
    CControllerSim main(icom, {});
    net.addController(kMain, main);
    ASSERT_TRUE(link.Open(kMain, kNoAddress));
    EXPECT_FALSE(link.Open(kMain, kNoAddress));
    link.Disconnect();
    EXPECT_FALSE(net.isOpen());
    EXPECT_EQ(net.commands().back(), command::kSystem);
    EXPECT_EQ(net.sent.back().message.at(kHeaderSize), system::kDisconnect);
    link.Close();  // again: harmless
}

TEST(ControllerSim, RepliesNeverOutgrowOneMessage)
{
    CIntercom icom;
    icom.keypanelCount = 600;
    icom.uplStatementCount = 100;
    icom.capabilities.set(cap::NoUserProgrammableLogic);
    CControllerSim sim(icom, {});
    struct Case {
        const char* what;
        std::uint16_t command;
        std::vector<std::uint8_t> payload;
        std::size_t entryBytes;
    };
    const Case cases[] = {
        {"200 Unicode alphas", command::kAlphas, {0x00, 0x00, 0x00, 0x40, 0xC8}, 16},
        {"500 four-character alphas", command::kAlphas, {0x00, 0x00, 0x00, 0x11, 0xF4}, 4},
        {"100 Unicode descriptions", command::kDescriptions, {0x80, 0x00, 0x00, 0x00, 0x64}, 48},
        {"50 statement texts", command::kStatementTexts, {0x00, 0x00, 0x00, 0x32}, 64},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> request(kHeaderSize);
        writeHeader(std::span<std::uint8_t, kHeaderSize>(request.data(), kHeaderSize), 1, c.command, 9);
        request.insert(request.end(), c.payload.begin(), c.payload.end());
        std::vector<std::uint8_t> reply;
        ASSERT_TRUE(sim.answer(request, reply)) << c.what;
        EXPECT_LE(reply.size(), kMaxMessage) << c.what;
        EXPECT_GT(reply.size() + c.entryBytes, kMaxMessage) << c.what << ": as many entries as fit";
    }
}
