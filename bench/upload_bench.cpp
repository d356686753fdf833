// A whole configuration upload of a large intercom from a controller on loopback, against the same
// number of bare UDP round trips on the same sockets. The controller runs on a thread of this
// process, answering with the protocol's controller side.
#include "comms/ControllerSim.h"
#include "comms/Frame.h"
#include "comms/Upload.h"
#include "intercom/Capabilities.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace vexilor;
using namespace vexilor::comms;

constexpr Ipv4 kLoopback = 0x7F000001;

int udpSocket(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(kLoopback);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        std::abort();
    return fd;
}

std::uint16_t portOf(int fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

// The link's port on a plain POSIX socket.
class PosixPort : public IDatagramPort {
public:
    bool open() override { return (fd_ = udpSocket(0)) >= 0; }
    void close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool isOpen() const override { return fd_ >= 0; }
    bool send(Ipv4 address, std::uint16_t port, std::span<const std::uint8_t> d) override
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(address);
        return sendto(fd_, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a) == ssize_t(d.size());
    }
    int receive(std::span<std::uint8_t> buffer, int timeoutMs, Ipv4& from) override
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return -1;
        sockaddr_in a{};
        socklen_t len = sizeof a;
        const ssize_t n = recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&a), &len);
        from = ntohl(a.sin_addr.s_addr);
        return n < 0 ? -1 : int(n);
    }
    ~PosixPort() override { close(); }

private:
    int fd_ = -1;
};

// A controller thread: answers protocol requests, or echoes datagrams for the baseline.
class Controller {
public:
    Controller(const CIntercom& icom, bool echo) : sim_(icom, {}), echo_(echo), fd_(udpSocket(0)), thread_([this] { run(); }) {}
    ~Controller()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    std::uint16_t port() const { return portOf(fd_); }

private:
    void run()
    {
        std::vector<std::uint8_t> in(kMaxFrame), message(kMaxMessage), reply, frame;
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = recvfrom(fd_, in.data(), in.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0)
                continue;
            if (echo_) {
                sendto(fd_, in.data(), std::size_t(n), 0, reinterpret_cast<sockaddr*>(&from), len);
                continue;
            }
            message.resize(kMaxMessage);
            message.resize(unframeMessage({in.data(), std::size_t(n)}, message));
            if (!sim_.answer(message, reply))
                continue;
            frame.resize(2 * reply.size() + 4);
            frame.resize(frameMessage(reply, frame));
            sendto(fd_, frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
        }
    }

    CControllerSim sim_;
    bool echo_;
    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// 1,000 keypanels, every type present, every 8-bit size and Unicode.
CIntercom largeIntercom()
{
    CIntercom icom;
    icom.name = u"BIG1";
    icom.keypanelCount = 1000;
    icom.groupCount = 64;
    icom.dimTableCount = 32;
    for (unsigned c : {cap::NoUserProgrammableLogic, cap::NoAutoDial, cap::NoAlphaSizeConfiguration,
                       cap::NoAssignmentGroups, cap::NoIFBSpecialLists, cap::NoKeypanelMultipleAlphaSizes,
                       cap::NoUnicodeAlphas, cap::NoDornetSupport, cap::NoConfigurableSkelby,
                       cap::NoConfigurableFennby, cap::NoIOCardDescriptions})
        icom.capabilities.set(c);
    return icom;
}

std::uint64_t lastRequests = 0;

// What the batching rules give: per type, 100 alphas a request in each requested size, 20
// descriptions or 8 statement texts a request; plus connect, pair, capabilities, sizes, name and
// disconnect.
std::uint64_t expectedRequests(const CIntercom& icom)
{
    static constexpr bool kAlphas[18] = {1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0};
    static constexpr bool kDescriptions[18] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 1};
    const bool all8 = icom.HasCapability(cap::NoKeypanelMultipleAlphaSizes);
    const std::uint64_t sizes = (all8 ? 3 : 1) + (icom.HasCapability(cap::NoUnicodeAlphas) ? 1 : 0);
    std::uint64_t total = 6;
    for (unsigned t = 0; t < 18; ++t) {
        if (!icom.IsTypeAvailable(t))
            continue;
        const std::uint64_t n = icom.Count(t);
        if (kAlphas[t])
            total += (n + 99) / 100 * sizes * (t == 0 && icom.HasInputAlphas() ? 2 : 1);
        if (t == 12)
            total += (n + 7) / 8;
        else if (kDescriptions[t])
            total += (n + 19) / 20;
    }
    return total;
}

void BM_UploadLargeIntercom(benchmark::State& state)
{
    const CIntercom source = largeIntercom();
    Controller controller(source, false);
    UploadStats stats;
    for (auto _ : state) {
        CIntercom work;
        work.mainAddress = u"127.0.0.1";
        std::atomic<int> cancel{0};
        PosixPort port;
        if (UploadConfiguration(cancel, work, nullptr, port, {controller.port(), 1000}, &stats) != 0)
            state.SkipWithError("upload failed");
    }
    lastRequests = stats.requests;
    if (stats.requests != expectedRequests(source))
        state.SkipWithError("request count differs from the batching rules");
    state.counters["requests"] = double(stats.requests);
    state.counters["expected"] = double(expectedRequests(source));
    state.counters["datagrams"] = double(stats.datagrams);
}

// The same number of request/reply round trips with small datagrams and no protocol work.
void BM_BareRoundTrips(benchmark::State& state)
{
    const CIntercom source = largeIntercom();
    Controller echo(source, true);
    PosixPort port;
    port.open();
    const std::uint64_t trips = lastRequests ? lastRequests : 1;
    std::vector<std::uint8_t> out(16, 0x42), in(kMaxFrame);
    for (auto _ : state) {
        for (std::uint64_t i = 0; i < trips; ++i) {
            Ipv4 from = 0;
            port.send(kLoopback, echo.port(), out);
            if (port.receive(in, 1000, from) < 0)
                state.SkipWithError("echo lost");
        }
    }
    state.counters["round_trips"] = double(trips);
}

BENCHMARK(BM_UploadLargeIntercom)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareRoundTrips)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
