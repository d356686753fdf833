#include "comms/Discovery.h"
#include "comms/Frame.h"
#include "comms/Message.h"

#include <gtest/gtest.h>

using namespace vexilor::comms;

namespace {

IcomReplyInfo sampleInfo()
{
    IcomReplyInfo info;
    info.command = command::kDiscovery;
    info.deviceType = 3;
    info.active = true;
    info.firstConnections = 12;
    info.secondConnections = 32;
    info.ipAddress = 0xC0A80114;
    info.partnerAddress = 0xC0A80115;
    info.name = u"ICOM";
    info.description = u"Studio B \u00E9  ";
    info.frameIndex = 1;
    info.frameCount = 2;
    return info;
}

std::vector<std::uint8_t> frameOf(const std::vector<std::uint8_t>& message)
{
    std::vector<std::uint8_t> frame(2 * message.size() + 4);
    frame.resize(frameMessage(message, frame));
    return frame;
}

}  // namespace

TEST(Discovery, RequestIsCommand222FromAnUnknownDevice)
{
    std::vector<std::uint8_t> message(kMaxMessage);
    message.resize(unframeMessage(discoveryRequestFrame(5), message));
    ASSERT_EQ(message.size(), kHeaderSize);
    EXPECT_EQ(messageDevice(message.data()), kUnknownDevice);
    EXPECT_EQ(messageCommand(message.data()), command::kDiscovery);
    EXPECT_EQ(messageSequence(message.data()), 5u);
}

TEST(Discovery, ReplyRoundTripsWithAndWithoutFrameBytes)
{
    const IcomReplyInfo info = sampleInfo();
    const auto with = parseDiscoveryReply(frameOf(discoveryReplyMessage(info, 1, 5, true)), info.ipAddress);
    ASSERT_TRUE(with);
    EXPECT_EQ(*with, info);

    const auto without = parseDiscoveryReply(frameOf(discoveryReplyMessage(info, 1, 5, false)), info.ipAddress);
    ASSERT_TRUE(without);
    EXPECT_EQ(without->frameIndex, 0u);
    EXPECT_EQ(without->frameCount, 0u);

    std::vector<std::uint8_t> oneExtra = discoveryReplyMessage(info, 1, 5, false);
    oneExtra.push_back(7);
    const auto single = parseDiscoveryReply(frameOf(oneExtra), info.ipAddress);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->frameCount, 0u) << "one byte after the description carries no frame information";
}

TEST(Discovery, NameIsTrimmedDescriptionIsNot)
{
    IcomReplyInfo info = sampleInfo();
    info.name = u"  AB  ";
    const auto reply = parseDiscoveryReply(frameOf(discoveryReplyMessage(info, 1, 1, true)), 1);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->name, u"AB");
    EXPECT_EQ(reply->description, u"Studio B \u00E9  ");
}

TEST(Discovery, RejectsErrorsForeignCommandsAndLengthsPastTheDatagram)
{
    const std::vector<std::uint8_t> good = discoveryReplyMessage(sampleInfo(), 1, 5, true);
    const std::size_t nameLength = kHeaderSize + 10;
    const std::size_t descLength = kHeaderSize + 11 + 4;
    struct Case { const char* what; std::function<void(std::vector<std::uint8_t>&)> edit; };
    const Case cases[] = {
        {"error flag", [](auto& m) { m[3] |= 0x80; }},
        {"status flag 0x40", [](auto& m) { m[3] |= 0x40; }},
        {"status flag 0x08", [](auto& m) { m[3] |= 0x08; }},
        {"another command", [](auto& m) { m[2] = 221; }},
        {"command bit 8", [](auto& m) { m[3] |= 0x10; }},
        {"too short", [](auto& m) { m.resize(11); }},
        {"name runs past the end", [&](auto& m) { m[nameLength] = 200; }},
        {"description runs past the end", [&](auto& m) { m[descLength] = 200; }},
        {"cut inside the name", [&](auto& m) { m.resize(nameLength + 3); }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> m = good;
        c.edit(m);
        EXPECT_FALSE(parseDiscoveryReply(frameOf(m), 1)) << c.what;
    }
    EXPECT_FALSE(parseDiscoveryReply(std::vector<std::uint8_t>{0x00, 0x01}, 1));
}

TEST(Discovery, LabelsAndBroadcastAddresses)
{
    EXPECT_EQ(deviceTypeLabel(2), u"Malvet Intercom");
    EXPECT_EQ(deviceTypeLabel(3), u"Pendra System Controller");
    EXPECT_EQ(deviceTypeLabel(4), u"KOLT-III Intercom");
    EXPECT_EQ(deviceTypeLabel(5), u"KOLT-III Lite Intercom");
    EXPECT_EQ(deviceTypeLabel(9), u"Unknown device type");
    EXPECT_EQ(statusLabel(true), u"Active");
    EXPECT_EQ(statusLabel(false), u"Standby");
    EXPECT_EQ(connectionsText(sampleInfo()), u"12/32 Available");

    struct Case { Ipv4 address; unsigned prefix; Ipv4 broadcast; };
    const Case cases[] = {
        {0xC0A80114, 24, 0xC0A801FF}, {0x0A010203, 8, 0x0AFFFFFF}, {0x0A010203, 32, 0x0A010203},
        {0x0A010203, 0, 0xFFFFFFFF}, {0xAC100505, 20, 0xAC100FFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(directedBroadcast(c.address, c.prefix), c.broadcast) << c.prefix;
}

TEST(Ipv4Text, ParsesOnlyDottedDecimal)
{
    struct Case { const char* text; std::optional<Ipv4> value; };
    const Case cases[] = {
        {"10.0.0.1", 0x0A000001}, {" 192.168.1.255 ", 0xC0A801FF}, {"255.255.255.255", 0xFFFFFFFF},
        {"256.0.0.1", std::nullopt}, {"10.0.0", std::nullopt}, {"10.0.0.1.5", std::nullopt},
        {"a.b.c.d", std::nullopt}, {"", std::nullopt}, {"1..2.3", std::nullopt}, {"0001.2.3.4", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseIpv4(std::string_view(c.text)), c.value) << c.text;
    EXPECT_EQ(formatIpv4(0xC0A80001), "192.168.0.1");
    EXPECT_FALSE(usableAddress(u"0.0.0.0"));
    EXPECT_TRUE(usableAddress(u"10.0.0.1"));
}
