// Replies from the network, arbitrary bytes: the discovery reply parser and an upload whose every
// reply is taken from the input must never read out of bounds or crash.
#include "comms/Discovery.h"
#include "comms/Frame.h"
#include "comms/Message.h"
#include "comms/Upload.h"

#include <atomic>
#include <vector>

using namespace vexilor;
using namespace vexilor::comms;

namespace {

// Answers each request with the next slice of the fuzzer's bytes, framed, with the request's
// sequence number so the link takes it: a length byte, a flags byte (bits 0x80, 0x40, 0x08 go to
// the reply's status bits, bit 0 makes the reply come from a standby controller), the payload.
class ReplayPort : public IDatagramPort {
public:
    ReplayPort(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool open() override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool send(Ipv4 address, std::uint16_t, std::span<const std::uint8_t> datagram) override
    {
        std::vector<std::uint8_t> request(kMaxMessage);
        request.resize(unframeMessage(datagram, request));
        if (request.size() < kHeaderSize || size_ - pos_ < 2)
            return true;
        const std::size_t want = data_[pos_];
        const std::uint8_t flags = data_[pos_ + 1];
        pos_ += 2;
        const std::size_t len = std::min<std::size_t>(want, size_ - pos_);
        std::vector<std::uint8_t> reply(request.begin(), request.begin() + kHeaderSize);
        reply.insert(reply.end(), data_ + pos_, data_ + pos_ + len);
        pos_ += len;
        reply[3] = static_cast<std::uint8_t>((reply[3] & 0x07) | (flags & 0xC8));
        // Counts in a size record stay below 1100 (still past 999 and several batches), so that
        // one input does not fill hundreds of thousands of default alphas.
        if (messageCommand(request.data()) == command::kSystem && request.size() > kHeaderSize
            && request[kHeaderSize] == system::kSize)
            for (std::size_t at = kHeaderSize + 5; at + 1 < reply.size(); at += 2)
                writeBe16(reply.data() + at, static_cast<std::uint16_t>(readBe16(reply.data() + at) % 1100));
        if (flags & 0x01)
            writeBe16(reply.data(), kStandbyDevice);
        pending_.resize(2 * reply.size() + 4);
        pending_.resize(frameMessage(reply, pending_));
        from_ = address;
        return true;
    }
    int receive(std::span<std::uint8_t> buffer, int, Ipv4& from) override
    {
        if (pending_.empty())
            return -1;
        const std::size_t n = std::min(buffer.size(), pending_.size());
        std::copy(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n), buffer.begin());
        pending_.clear();
        from = from_;
        return static_cast<int>(n);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::vector<std::uint8_t> pending_;
    Ipv4 from_ = 0;
    bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)parseDiscoveryReply({data, size}, 0x0A000001);
    std::vector<std::uint8_t> framed(2 * size + 4);
    framed.resize(frameMessage({data, size}, framed));
    (void)parseDiscoveryReply(framed, 0x0A000001);

    CIntercom work;
    work.mainAddress = u"10.0.0.1";
    ReplayPort port(data, size);
    std::atomic<int> cancel{0};
    UploadConfiguration(cancel, work, nullptr, port, {.attemptTimeoutMs = 0});
    return 0;
}
