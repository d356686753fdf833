// A request works in the link's own buffers: once open, exchanges allocate nothing. Heap use is
// counted by replacing the global allocation functions of this test program.
#include "comms/IcomLink.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

using namespace vexilor::comms;

namespace {

// Answers every request at once with its own header and a fixed payload, in fixed buffers.
class EchoPort : public IDatagramPort {
public:
    bool open() override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool send(Ipv4 address, std::uint16_t, std::span<const std::uint8_t> datagram) override
    {
        std::array<std::uint8_t, kMaxMessage> message{};
        const std::size_t n = unframeMessage(datagram, message);
        if (n < kHeaderSize)
            return true;
        std::memset(message.data() + kHeaderSize, 0x5A, 600);
        pendingLength_ = frameMessage({message.data(), kHeaderSize + 600}, pending_);
        from_ = address;
        return true;
    }
    int receive(std::span<std::uint8_t> buffer, int, Ipv4& from) override
    {
        if (pendingLength_ == 0 || buffer.size() < pendingLength_)
            return -1;
        std::memcpy(buffer.data(), pending_.data(), pendingLength_);
        from = from_;
        const int n = static_cast<int>(pendingLength_);
        pendingLength_ = 0;
        return n;
    }

private:
    std::array<std::uint8_t, kMaxFrame> pending_{};
    std::size_t pendingLength_ = 0;
    Ipv4 from_ = 0;
    bool open_ = false;
};

}  // namespace

TEST(LinkAllocation, RequestsAllocateNothing)
{
    EchoPort port;
    CIcomLink link(port);
    ASSERT_TRUE(link.Open(0x0A000001, kNoAddress));
    const std::array<std::uint8_t, 5> payload = {0x00, 0x00, 0x00, 0x14, 0x64};
    long during = 0;
    for (int i = 0; i < 500; ++i) {
        const long before = allocations.load();
        const bool ok = link.Request(command::kAlphas, payload);
        during += allocations.load() - before;
        ASSERT_TRUE(ok);
        ASSERT_EQ(link.replyPayload().size(), 600u);
    }
    EXPECT_EQ(during, 0);
}
