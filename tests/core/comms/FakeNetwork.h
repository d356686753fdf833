#pragma once

#include "comms/ControllerSim.h"
#include "comms/DatagramPort.h"
#include "comms/Frame.h"
#include "comms/Message.h"

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace vexilor::comms::testing {

// A scripted network behind the link's port: controllers at addresses answer each request at
// once; faults are injected by index of the datagram sent. Nothing waits: receive returns what
// is queued or reports the time-out straight away.
class FakeNetwork : public IDatagramPort {
public:
    struct Sent {
        Ipv4 address;
        std::uint16_t port;
        std::vector<std::uint8_t> frame;
        std::vector<std::uint8_t> message;  // unframed
    };

    void addController(Ipv4 address, const CControllerSim& controller) { controllers_[address] = &controller; }

    // Datagrams (by 0-based index of send) that get no answer.
    std::set<std::size_t> dropped;
    // Datagrams answered first with a stale reply (the sequence number one lower), then properly.
    std::set<std::size_t> wrongSequence;
    // Datagrams whose reply is preceded by a datagram from a foreign host with the right sequence.
    std::set<std::size_t> foreignFirst;
    // Called for every reply message before it is framed; may change it.
    std::function<void(std::size_t index, std::vector<std::uint8_t>& reply)> editReply;

    std::vector<Sent> sent;
    int opens = 0;
    bool failOpen = false;

    bool open() override
    {
        if (failOpen)
            return false;
        ++opens;
        open_ = true;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

    bool send(Ipv4 address, std::uint16_t port, std::span<const std::uint8_t> datagram) override
    {
        Sent s{address, port, {datagram.begin(), datagram.end()}, std::vector<std::uint8_t>(kMaxMessage)};
        s.message.resize(unframeMessage(datagram, s.message));
        const std::size_t index = sent.size();
        sent.push_back(s);
        const auto it = controllers_.find(address);
        if (it == controllers_.end() || dropped.count(index))
            return true;
        std::vector<std::uint8_t> reply;
        if (!it->second->answer(s.message, reply))
            return true;
        if (editReply)
            editReply(index, reply);
        if (wrongSequence.count(index)) {
            std::vector<std::uint8_t> stale = reply;
            const std::uint32_t seq = (messageSequence(stale.data()) - 1) & kSequenceMask;
            stale[3] = static_cast<std::uint8_t>((stale[3] & ~0x07) | ((seq >> 8) & 0x07));
            stale[4] = static_cast<std::uint8_t>(seq);
            queue(address, stale);
        }
        if (foreignFirst.count(index))
            queue(address + 1, reply);
        queue(address, reply);
        return true;
    }

    int receive(std::span<std::uint8_t> buffer, int, Ipv4& from) override
    {
        if (inbox_.empty())
            return -1;
        auto [address, frame] = std::move(inbox_.front());
        inbox_.pop_front();
        const std::size_t n = std::min(buffer.size(), frame.size());
        std::copy(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(n), buffer.begin());
        from = address;
        return static_cast<int>(n);
    }

    // Puts a raw datagram in the inbox, as if it had arrived from address.
    void deliver(Ipv4 address, std::vector<std::uint8_t> datagram) { inbox_.emplace_back(address, std::move(datagram)); }

    // Commands of the requests sent, in order.
    std::vector<std::uint16_t> commands() const
    {
        std::vector<std::uint16_t> out;
        for (const Sent& s : sent)
            if (s.message.size() >= kHeaderSize)
                out.push_back(messageCommand(s.message.data()));
        return out;
    }

private:
    void queue(Ipv4 from, const std::vector<std::uint8_t>& message)
    {
        std::vector<std::uint8_t> frame(2 * message.size() + 4);
        frame.resize(frameMessage(message, frame));
        inbox_.emplace_back(from, std::move(frame));
    }

    std::map<Ipv4, const CControllerSim*> controllers_;
    std::deque<std::pair<Ipv4, std::vector<std::uint8_t>>> inbox_;
    bool open_ = false;
};

}  // namespace vexilor::comms::testing
