#include "comms/Frame.h"
#include "comms/Message.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace vexilor::comms;

namespace {

std::vector<std::uint8_t> framed(const std::vector<std::uint8_t>& message)
{
    std::vector<std::uint8_t> frame(2 * message.size() + 4);
    frame.resize(frameMessage(message, frame));
    return frame;
}

std::vector<std::uint8_t> unframed(const std::vector<std::uint8_t>& frame)
{
    std::vector<std::uint8_t> message(kMaxMessage);
    message.resize(unframeMessage(frame, message));
    return message;
}

}  // namespace

TEST(Frame, ConnectRequestHasItsKnownBytes)
{
    std::array<std::uint8_t, kHeaderSize> message{};
    writeHeader(message, kUnknownDevice, command::kConnect, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(message.begin(), message.end()),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xDA, 0x00, 0x01}));
    EXPECT_EQ(framed({message.begin(), message.end()}),
              (std::vector<std::uint8_t>{0xD5, 0xFF, 0xFF, 0xDA, 0xDA, 0x00, 0x01, 0x27, 0xDD}));
}

TEST(Frame, EscapesTheSevenValuesInBodyAndChecksumAndRoundTrips)
{
    struct Case { std::vector<std::uint8_t> message; std::size_t escapes; };
    const Case cases[] = {
        {{0x1A, 0x9E, 0xA5, 0xAD, 0xD5, 0xDA, 0xDD}, 7},
        {{0x00, 0x01, 0x02}, 0},
        {{0x2B}, 1},  // checksum 0xD5
        {{0xDD, 0xDD}, 2},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> frame = framed(c.message);
        EXPECT_EQ(frame.size(), c.message.size() + 3 + c.escapes);
        EXPECT_EQ(frame.front(), kFrameStart);
        EXPECT_EQ(frame.back(), kFrameEnd);
        std::uint8_t sum = 0;
        for (std::uint8_t b : c.message)
            sum = static_cast<std::uint8_t>(sum + b);
        const std::uint8_t checksum = frame[frame.size() - 2];
        EXPECT_EQ(static_cast<std::uint8_t>(sum + checksum), 0);
        EXPECT_EQ(unframed(frame), c.message);
    }
}

TEST(Frame, UnframingRejectsWhatIsNotAWholeFrame)
{
    struct Case { const char* what; std::vector<std::uint8_t> frame; std::vector<std::uint8_t> message; };
    const Case cases[] = {
        {"no start byte", {0x00, 0x01, 0x02, 0xDD}, {}},
        {"start byte inside", {0xD5, 0x01, 0xD5, 0x02, 0x03, 0xDD}, {}},
        {"escaped start byte is data", {0xD5, 0x01, 0xDA, 0xD5, 0x77, 0xDD}, {0x01, 0xD5}},
        {"wrong checksum still taken", {0xD5, 0x01, 0x02, 0x99, 0xDD}, {0x01, 0x02}},
        {"no end byte", {0xD5, 0x01, 0x02, 0x03}, {0x01, 0x02}},
        {"only a checksum", {0xD5, 0x00, 0xDD}, {}},
        {"empty", {}, {}},
        {"bytes after the end are ignored", {0xD5, 0x01, 0x00, 0xDD, 0x05, 0x06}, {0x01}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(unframed(c.frame), c.message) << c.what;
}

TEST(Frame, NeverUnframesPastTheMessageBuffer)
{
    for (std::size_t size : {kMaxMessage - 1, kMaxMessage, kMaxMessage + 1, 3 * kMaxMessage}) {
        std::vector<std::uint8_t> message(size, 0xD5);  // every byte escaped: the longest frame
        std::vector<std::uint8_t> frame(2 * size + 4);
        frame.resize(frameMessage(message, frame));
        std::vector<std::uint8_t> out(kMaxMessage + 16, 0x11);
        const std::size_t n = unframeMessage(frame, std::span<std::uint8_t>(out.data(), kMaxMessage));
        EXPECT_EQ(n, size <= kMaxMessage ? size : 0) << size;
        for (std::size_t i = kMaxMessage; i < out.size(); ++i)
            ASSERT_EQ(out[i], 0x11) << "written past the buffer at " << i;
    }
}

TEST(Message, HeaderCarriesTenBitCommandAndElevenBitSequence)
{
    std::array<std::uint8_t, kHeaderSize> m{};
    writeHeader(m, 0x1234, 0x3DE, 0x7FF);
    EXPECT_EQ(messageDevice(m.data()), 0x1234);
    EXPECT_EQ(messageCommand(m.data()), 0x3DE);
    EXPECT_EQ(messageSequence(m.data()), 0x7FFu);
    EXPECT_EQ(m[3], 0x37) << "sequence bits 8-10 low, command bits 8-9 in bits 4-5";
}
