// vexilor-icomsim: one intercom controller on a UDP address and port, serving the configuration
// of a .cfg file over the real protocol, with faults on demand for tests and demos.
#include "comms/ControllerSim.h"
#include "comms/Frame.h"
#include "comms/Message.h"
#include "intercom/ConfigurationFile.h"
#include "text/CodePage.h"
#include "text/Windows1252.h"

#include <CLI/CLI.hpp>

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QUdpSocket>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void onSignal(int)
{
    stopRequested = true;
}

struct Options {
    std::string cfg;
    unsigned codePage = vexilor::text::systemCodePage();
    std::string address = "127.0.0.1";
    std::uint16_t port = 27410;
    std::string name;
    std::string pair;  // "A,B": what the controller-address request reports
    bool standby = false;
    unsigned sizeVersion = 7;
    unsigned deviceType = 2;
    unsigned deviceAddress = 1;
    unsigned frameIndex = 0;
    unsigned frameCount = 0;
    unsigned dropFirst = 0;
    unsigned dropEvery = 0;
    unsigned wrongSequenceEvery = 0;
    bool garbageBefore = false;
    unsigned delayMs = 0;
    unsigned timeLimitMs = 0;
    bool quiet = false;
};

vexilor::comms::Ipv4 addressOrExit(const std::string& text)
{
    const auto a = vexilor::comms::parseIpv4(std::string_view(text));
    if (!a) {
        std::cerr << "vexilor-icomsim: not an IPv4 address: " << text << '\n';
        std::exit(2);
    }
    return *a;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vexilor;
    Options o;
#ifdef _WIN32
    // Output is bytes as written: a file printed to stdout keeps its exact line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    CLI::App app{"Simulates one intercom controller over UDP, serving the data of a configuration file."};
    app.add_option("--cfg", o.cfg, "Configuration file to serve (counts, capabilities, alphas, texts)")->required();
    app.add_option("--address", o.address, "IPv4 address to listen on")->capture_default_str();
    app.add_option("--port", o.port, "UDP port to listen on")->capture_default_str();
    app.add_option("--name", o.name, "Intercom name to report (default: the file's base name)");
    app.add_option("--pair", o.pair, "Controller addresses to report for the pair, as FIRST,SECOND");
    app.add_flag("--standby", o.standby, "Be the standby controller of a pair (connect answers FFFE)");
    app.add_option("--size-version", o.sizeVersion, "Version of the system-size record (0-7)")
        ->check(CLI::Range(0, 7))->capture_default_str();
    app.add_option("--device-type", o.deviceType, "Device type in discovery replies")->capture_default_str();
    app.add_option("--device-address", o.deviceAddress, "Device address given on connect")->capture_default_str();
    app.add_option("--frame-index", o.frameIndex, "0-based frame index in discovery replies");
    app.add_option("--frame-count", o.frameCount, "Frame count in discovery replies (0: none sent)");
    app.add_option("--drop-first", o.dropFirst, "Ignore the first N datagrams");
    app.add_option("--drop-every", o.dropEvery, "Ignore every Kth datagram");
    app.add_option("--wrong-sequence-every", o.wrongSequenceEvery,
                   "Answer every Kth request with a wrong sequence number");
    app.add_flag("--garbage-before", o.garbageBefore, "Send a garbage datagram before every reply");
    app.add_option("--delay-ms", o.delayMs, "Delay every reply");
    app.add_option("--time-limit-ms", o.timeLimitMs, "Stop after this long (0: run until a signal)");
    app.add_flag("--quiet", o.quiet, "Print nothing but errors");
    app.add_option("--code-page", o.codePage,
                   "ANSI code page of the file's 8-bit texts and of those sent")
        ->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    const std::optional<text::CodePage> codePage = text::CodePage::make(o.codePage);
    if (!codePage) {
        std::cerr << "vexilor-icomsim: code page " << o.codePage
                  << " cannot be converted on this system\n";
        return 2;
    }
    CIntercom icom;
    if (!LoadConfigurationFile(icom, o.cfg, *codePage)) {
        std::cerr << "vexilor-icomsim: " << (icom.messages.empty() ? "cannot read " + o.cfg
                                                                    : text::toUtf8(icom.messages.front()))
                  << '\n';
        return 1;
    }
    icom.name = text::fromUtf8(o.name.empty() ? std::filesystem::path(o.cfg).stem().string() : o.name);
    comms::ControllerIdentity id;
    id.deviceAddress = static_cast<std::uint16_t>(o.deviceAddress);
    id.standby = o.standby;
    id.sizeVersion = static_cast<std::uint16_t>(o.sizeVersion);
    id.deviceType = o.deviceType;
    id.frameIndex = o.frameIndex;
    id.frameCount = o.frameCount;
    id.sendFrameBytes = o.frameCount > 0;
    if (!o.pair.empty()) {
        const auto comma = o.pair.find(',');
        id.firstController = addressOrExit(o.pair.substr(0, comma));
        id.secondController = comma == std::string::npos ? comms::kNoAddress : addressOrExit(o.pair.substr(comma + 1));
    }
    const comms::CControllerSim controller(icom, id, *codePage);

    QUdpSocket socket;
    if (!socket.bind(QHostAddress(addressOrExit(o.address)), o.port)) {
        std::cerr << "vexilor-icomsim: cannot listen on " << o.address << ':' << o.port << ": "
                  << socket.errorString().toStdString() << '\n';
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    if (!o.quiet)
        std::cout << "listening on " << o.address << ':' << socket.localPort() << std::endl;

    const auto started = std::chrono::steady_clock::now();
    std::uint64_t received = 0, requests = 0;
    std::vector<std::uint8_t> datagram(comms::kMaxFrame), message(comms::kMaxMessage), reply, frame;
    while (!stopRequested) {
        if (o.timeLimitMs && std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(o.timeLimitMs))
            break;
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(100))
            continue;
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 n = socket.readDatagram(reinterpret_cast<char*>(datagram.data()),
                                             static_cast<qint64>(datagram.size()), &sender, &senderPort);
        if (n <= 0)
            continue;
        ++received;
        if (received <= o.dropFirst || (o.dropEvery && received % o.dropEvery == 0))
            continue;
        message.resize(comms::kMaxMessage);
        message.resize(comms::unframeMessage({datagram.data(), static_cast<std::size_t>(n)}, message));
        if (message.size() < comms::kHeaderSize || !controller.answer(message, reply))
            continue;  // garbage: no answer
        ++requests;
        if (o.wrongSequenceEvery && requests % o.wrongSequenceEvery == 0) {
            reply[4] = static_cast<std::uint8_t>(reply[4] ^ 0x01);
        }
        frame.resize(2 * reply.size() + 4);
        frame.resize(comms::frameMessage(reply, frame));
        if (o.delayMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(o.delayMs));
        if (o.garbageBefore) {
            static const char garbage[] = "\x00\x13garbage\xD5";
            socket.writeDatagram(garbage, sizeof garbage - 1, sender, senderPort);
        }
        socket.writeDatagram(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()), sender,
                             senderPort);
    }
    if (!o.quiet)
        std::cout << "stopped after " << received << " datagrams" << std::endl;
    return 0;
}
