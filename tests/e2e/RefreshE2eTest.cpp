#include "RunTool.h"
#include "SimProcess.h"

#include "comms/Frame.h"
#include "comms/Message.h"
#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "text/Windows1252.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace vexilor;

namespace {

const std::string kCli = VEXILOR_CLI;

// Each test has its own loopback addresses and port, so tests can run side by side.
struct Net {
    std::string a, b;
    std::string port;
};

// What the simulated controller holds: sizes, capabilities, alphas and descriptions of its own.
CIntercom controllerData()
{
    CIntercom icom;
    icom.keypanelCount = 180;
    icom.partyLineCount = 20;
    icom.groupCount = 7;
    icom.alphaSize = 6;
    icom.capabilities.set(57);  // every 8-bit alpha size
    icom.alphas[ResourceKey(0, 1)].SetAlpha(u"DESK", 4);
    icom.alphas[ResourceKey(0, 1)].SetAlpha(u"DESK 1", 6);
    icom.alphas[ResourceKey(0, 180)].SetAlpha(u"LASTPNL1", 8);
    icom.alphas[ResourceKey(1, 20)].SetAlpha(u"PL20", 4);
    icom.descriptions[ResourceKey(1, 3)].text = u"Talkback studio 3";
    return icom;
}

struct RefreshE2e : ::testing::Test {
    TempDir dir;
    std::string simCfg = dir.file("SIM.cfg");

    void SetUp() override
    {
        std::u16string error;
        ASSERT_TRUE(SaveConfigurationFile(simCfg, controllerData(), error));
    }

    // The program's cached configuration of intercom DEMO with the given addresses.
    std::string demoCfg(const std::string& main, const std::string& partner)
    {
        CIntercom icom;
        icom.mainAddress = text::fromUtf8(main);
        icom.partnerAddress = text::fromUtf8(partner);
        std::u16string error;
        const std::string path = dir.file("DEMO.cfg");
        EXPECT_TRUE(SaveConfigurationFile(path, icom, error));
        return path;
    }

    std::vector<std::string> sim(const std::string& address, const std::string& port,
                                 std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"--cfg", simCfg, "--name", "DEMO", "--address", address, "--port", port,
                                         "--time-limit-ms", "60000"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    ToolResult refresh(const std::string& cfg, const std::string& port, const std::string& timeoutMs = "300")
    {
        return runTool(kCli, {"refresh", cfg, "--port", port, "--timeout-ms", timeoutMs});
    }

    static CIntercom load(const std::string& path)
    {
        CIntercom icom;
        EXPECT_TRUE(LoadConfigurationFile(icom, path));
        return icom;
    }

    static void expectControllerData(const CIntercom& got)
    {
        const CIntercom want = controllerData();
        EXPECT_EQ(got.keypanelCount, want.keypanelCount);
        EXPECT_EQ(got.groupCount, want.groupCount);
        EXPECT_EQ(got.AlphaText(0, 1, 4), u"DESK");
        EXPECT_EQ(got.AlphaText(0, 1, 6), u"DESK 1");
        EXPECT_EQ(got.AlphaText(0, 180, 8), u"LASTPNL1");
        EXPECT_EQ(got.AlphaText(1, 20, 4), u"PL20");
        EXPECT_EQ(got.DescriptionText(1, 3), u"Talkback studio 3");
    }
};

}  // namespace

TEST_F(RefreshE2e, FetchesTheControllersConfigurationIntoTheFile)
{
    SimProcess controller(sim("127.0.0.21", "27621"));
    ASSERT_TRUE(controller.ready());
    const std::string cfg = demoCfg("127.0.0.21", "0.0.0.0");
    const ToolResult r = refresh(cfg, "27621");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const CIntercom got = load(cfg);
    expectControllerData(got);
    EXPECT_EQ(got.mainAddress, u"127.0.0.21");
    EXPECT_FALSE(got.partnerActive);
}

TEST_F(RefreshE2e, FallsBackToThePartnerWhenTheMainIsSilent)
{
    SimProcess partner(sim("127.0.0.23", "27623"));
    ASSERT_TRUE(partner.ready());
    const std::string cfg = demoCfg("127.0.0.22", "127.0.0.23");
    const ToolResult r = refresh(cfg, "27623", "200");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const CIntercom got = load(cfg);
    expectControllerData(got);
    EXPECT_TRUE(got.partnerActive);
    EXPECT_EQ(got.partnerAddress, u"127.0.0.23");
}

TEST_F(RefreshE2e, MovesFromTheStandbyToTheActiveControllerOfAPair)
{
    SimProcess standby(sim("127.0.0.24", "27624", {"--standby", "--pair", "127.0.0.24,127.0.0.25"}));
    SimProcess active(sim("127.0.0.25", "27624", {"--pair", "127.0.0.25,127.0.0.24"}));
    ASSERT_TRUE(standby.ready() && active.ready());
    const std::string cfg = demoCfg("127.0.0.24", "0.0.0.0");
    const ToolResult r = refresh(cfg, "27624");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const CIntercom got = load(cfg);
    expectControllerData(got);
    EXPECT_EQ(got.mainAddress, u"127.0.0.24");
    EXPECT_EQ(got.partnerAddress, u"127.0.0.25");
    EXPECT_TRUE(got.partnerActive);
}

TEST_F(RefreshE2e, SurvivesTenPercentLoss)
{
    SimProcess controller(sim("127.0.0.26", "27626", {"--drop-every", "10"}));
    ASSERT_TRUE(controller.ready());
    const std::string cfg = demoCfg("127.0.0.26", "0.0.0.0");
    const ToolResult r = refresh(cfg, "27626", "150");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectControllerData(load(cfg));
}

TEST_F(RefreshE2e, GarbageAndWrongSequenceNumbersAreSkipped)
{
    for (const char* fault : {"--garbage-before", "--wrong-sequence-every=7"}) {
        SimProcess controller(sim("127.0.0.32", "27632", {fault}));
        ASSERT_TRUE(controller.ready());
        const std::string cfg = demoCfg("127.0.0.32", "0.0.0.0");
        const ToolResult r = refresh(cfg, "27632", "150");
        ASSERT_EQ(r.exitCode, 0) << fault << ": " << r.err;
        expectControllerData(load(cfg));
    }
}

TEST_F(RefreshE2e, TheSimulatorKeepsServingAfterGarbageRequests)
{
    SimProcess controller(sim("127.0.0.33", "27633"));
    ASSERT_TRUE(controller.ready());
#ifdef _WIN32
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    const SOCKET fd = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(fd, INVALID_SOCKET);
#else
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
#endif
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(27633);
    to.sin_addr.s_addr = inet_addr("127.0.0.33");
    // Raw bytes, and well-framed requests of every command the controller knows (and some it does
    // not) with headers and payloads of random bytes and lengths.
    std::mt19937 rng(7);
    const std::uint16_t commands[] = {comms::command::kAlphas, comms::command::kDescriptions,
                                      comms::command::kCapabilities, comms::command::kStatementTexts,
                                      comms::command::kConnect, comms::command::kSystem,
                                      comms::command::kControllerAddresses, comms::command::kDiscovery, 0, 1023};
    std::vector<std::uint8_t> message, frame;
    for (int i = 0; i < 2000; ++i) {
        message.resize(rng() % 48);
        for (std::uint8_t& b : message)
            b = static_cast<std::uint8_t>(rng());
        if (i % 4 != 0 && message.size() >= comms::kHeaderSize) {
            const std::uint16_t c = commands[rng() % std::size(commands)];
            message[2] = static_cast<std::uint8_t>(c);
            message[3] = static_cast<std::uint8_t>((message[3] & 0x07) | (c >> 8) << 4);
            frame.resize(2 * message.size() + 4);
            frame.resize(comms::frameMessage(message, frame));
        } else {
            frame = message;
        }
        sendto(fd, reinterpret_cast<const char*>(frame.data()), int(frame.size()), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
#ifdef _WIN32
    closesocket(fd);
    WSACleanup();
#else
    close(fd);
#endif
    const std::string cfg = demoCfg("127.0.0.33", "0.0.0.0");
    const ToolResult r = refresh(cfg, "27633");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectControllerData(load(cfg));
}

TEST_F(RefreshE2e, ANameMismatchLeavesTheFileUntouched)
{
    std::vector<std::string> args = sim("127.0.0.27", "27627");
    args[3] = "BETA";
    SimProcess controller(args);
    ASSERT_TRUE(controller.ready());
    const std::string cfg = demoCfg("127.0.0.27", "0.0.0.0");
    const std::string before = readWholeFile(cfg);
    const ToolResult r = refresh(cfg, "27627");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("The contacted intercom (BETA) has a different name than the current intercom (DEMO)."),
              std::string::npos) << r.err;
    EXPECT_EQ(readWholeFile(cfg), before);
}

TEST_F(RefreshE2e, NothingAnsweringIsReportedAndChangesNothing)
{
    const std::string cfg = demoCfg("127.0.0.28", "127.0.0.29");
    const std::string before = readWholeFile(cfg);
    const ToolResult r = refresh(cfg, "27628", "100");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Could not connect to intercom:     \n\nDEMO : 127.0.0.28 / 127.0.0.29     \n");
    EXPECT_EQ(readWholeFile(cfg), before);
}

TEST_F(RefreshE2e, DiscoverListsTheControllersThatAnswer)
{
    SimProcess a(sim("127.0.0.30", "27630", {"--device-type", "3", "--frame-index", "1", "--frame-count", "2"}));
    SimProcess hidden(sim("127.0.0.31", "27630", {"--device-type", "1"}));
    ASSERT_TRUE(a.ready() && hidden.ready());
    const ToolResult r = runTool(kCli, {"discover", "--to", "127.0.0.30", "--to", "127.0.0.31", "--port", "27630",
                                        "--bind-port", "0", "--no-adapters", "--wait-ms", "500", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto list = nlohmann::json::parse(r.out);
    ASSERT_EQ(list.size(), 1u) << "device type 1 is never shown: " << r.out;
    EXPECT_EQ(list[0]["name"], "DEMO");
    EXPECT_EQ(list[0]["type"], "Pendra System Controller");
    EXPECT_EQ(list[0]["status"], "Active");
    EXPECT_EQ(list[0]["ip"], "127.0.0.30");
    EXPECT_EQ(list[0]["connections"], "4/8 Available");
    EXPECT_EQ(list[0]["frameIndex"], 1);
    EXPECT_EQ(list[0]["frameCount"], 2);

    const ToolResult text = runTool(kCli, {"discover", "--to", "127.0.0.30", "--port", "27630", "--bind-port", "0",
                                           "--no-adapters", "--wait-ms", "300"});
    EXPECT_EQ(text.out, "DEMO\tPendra System Controller\tActive\t127.0.0.30\t\t4/8 Available\t\n");
    EXPECT_EQ(runTool(kCli, {"discover", "--to", "not-an-ip"}).exitCode, 2);
}

#ifndef _WIN32
namespace {

// Two network namespaces joined by a veth pair, removed again when the object goes.
class VethPair {
public:
    explicit VethPair(const std::string& ip) : ip_(ip)
    {
        const std::string id = std::to_string(getpid() % 100000);
        a_ = "vx" + id + "a";
        b_ = "vx" + id + "b";
        const std::vector<std::string> steps = {
            "netns add " + a_,
            "netns add " + b_,
            "link add " + a_ + " type veth peer name " + b_,
            "link set " + a_ + " netns " + a_,
            "link set " + b_ + " netns " + b_,
            "-n " + a_ + " addr add 10.77.0.1/24 dev " + a_,
            "-n " + b_ + " addr add 10.77.0.2/24 dev " + b_,
            "-n " + a_ + " link set " + a_ + " up",
            "-n " + b_ + " link set " + b_ + " up",
        };
        ok_ = true;
        for (const std::string& step : steps)
            ok_ = ok_ && std::system((ip_ + " " + step + " >/dev/null 2>&1").c_str()) == 0;
    }
    ~VethPair()
    {
        // Deleting a namespace takes its end of the veth pair, and with it the other end.
        for (const std::string& ns : {a_, b_})
            (void)std::system((ip_ + " netns del " + ns + " >/dev/null 2>&1").c_str());
    }
    bool ok() const { return ok_; }
    const std::string& a() const { return a_; }
    const std::string& b() const { return b_; }

private:
    std::string ip_, a_, b_;
    bool ok_ = false;
};

}  // namespace
#endif

TEST_F(RefreshE2e, DiscoverReachesAControllerByRealBroadcast)
{
#ifdef _WIN32
    GTEST_SKIP() << "network namespaces, to carry a real broadcast between two hosts, are Linux's";
#else
    std::string ip;
    for (const char* candidate : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"})
        if (ip.empty() && std::filesystem::exists(candidate))
            ip = candidate;
    if (geteuid() != 0 || ip.empty())
        GTEST_SKIP() << "needs root and ip netns";
    VethPair net(ip);
    if (!net.ok())
        GTEST_SKIP() << "network namespaces are not available here";
    // The controller listens on every address of its namespace, as a broadcast reaches it there.
    std::vector<std::string> args = sim("0.0.0.0", "27410");
    args[3] = "NETB";
    SimProcess controller(args, {ip, "netns", "exec", net.b()});
    ASSERT_TRUE(controller.ready());
    const ToolResult r = runTool(ip, {"netns", "exec", net.a(), kCli, "discover", "--wait-ms", "1000", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto list = nlohmann::json::parse(r.out);
    ASSERT_EQ(list.size(), 1u) << r.out;
    EXPECT_EQ(list[0]["name"], "NETB");
    EXPECT_EQ(list[0]["ip"], "10.77.0.2");
#endif
}
