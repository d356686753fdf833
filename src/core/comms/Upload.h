#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "comms/DatagramPort.h"
#include "comms/IcomLink.h"
#include "intercom/Intercom.h"
#include "text/CodePage.h"

namespace vexilor::comms {

// Where the upload reports how far it is; the dialog forwards it to its progress bar.
class IUploadProgress {
public:
    virtual ~IUploadProgress() = default;
    virtual void setRange(int total) = 0;
    virtual void setPosition(int position) = 0;
    // While connecting, before each attempt: the controller tried and the attempt (1-based) of
    // attempts. A silent controller takes seconds per attempt; the user sees what is waited for.
    virtual void connecting(Ipv4 /*address*/, int /*attempt*/, int /*attempts*/) {}
    // The link is up on this controller; the upload proper begins.
    virtual void connected(Ipv4 /*address*/) {}
};

struct UploadSettings {
    std::uint16_t controllerPort = kControllerPort;
    int attemptTimeoutMs = kDefaultAttemptTimeoutMs;
    // The code page of the 8-bit alphas, descriptions and statement texts.
    text::CodePage codePage{};
};

// What an upload did, for the caller's reports and for benchmarks.
struct UploadStats {
    std::uint64_t requests = 0;   // exchanges asked for, link requests and disconnect included
    std::uint64_t datagrams = 0;  // datagrams sent, retries included
};

// Fills work from the intercom's controllers: capabilities, sizes, alphas in every size the
// intercom has, descriptions, UPL statement texts and the name. Returns 0 when a controller was
// reached and the upload ran to its end; 1 when none answered or cancel was raised (cancel is read
// between steps and types by exchanging it with 0, and before each attempt while connecting; raise
// it by incrementing it). Requests that get no usable reply leave the defaults in place and the
// upload goes on.
int UploadConfiguration(std::atomic<int>& cancel, CIntercom& work, IUploadProgress* progress,
                        IDatagramPort& port, const UploadSettings& settings = {},
                        UploadStats* stats = nullptr);

// The number of progress steps an upload of icom makes (2 plus one per resource and request).
int UploadProgressTotal(const CIntercom& icom);

// What to do once the progress dialog has ended.
struct RefreshOutcome {
    enum class Action {
        NoAddress,      // nothing to contact: nothing shown, nothing changes
        NotConnected,   // no controller answered or the user cancelled: message, nothing changes
        NameMismatch,   // another intercom answered: message, the working copy is discarded
        Adopt,          // the working copy becomes the current configuration and is saved
    };
    Action action = Action::NoAddress;
    // For Adopt: the configuration changed and the old one had alphas; show changedText first.
    bool configurationChanged = false;
    std::u16string message;  // the information message to show (empty for NoAddress and a quiet Adopt)
};

// The dialog text while uploading: "Uploading from intercom:", the name and the two addresses.
std::u16string UploadingText(const CIntercom& current);
// True when current has an address to contact.
bool HasContactAddress(const CIntercom& current);
// The decision after the upload: uploadResult is UploadConfiguration's (0 reached, 1 not).
RefreshOutcome DecideRefresh(const CIntercom& current, const CIntercom& work, int uploadResult);

}  // namespace vexilor::comms
