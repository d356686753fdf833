#pragma once

#include "comms/IcomLink.h"

#include <QString>

#include <cstdint>

class QWidget;

namespace vexilor {

struct CAppState;
class CIntercom;

// Where the controllers listen and how long one exchange waits (tests point these at a simulator).
struct RefreshOptions {
    std::uint16_t controllerPort = comms::kControllerPort;
    int attemptTimeoutMs = comms::kDefaultAttemptTimeoutMs;
};

// What a refresh ended with.
enum class RefreshResult {
    NoAddress,     // nothing to contact; nothing shown
    NotConnected,  // no controller answered
    Cancelled,     // the user stopped the upload; nothing changed
    NameMismatch,  // another intercom answered; nothing changed
    Adopted,       // current holds the uploaded configuration (its file may still have failed)
};

// "Refresh Alphas": uploads current's configuration from its controllers behind the progress
// dialog, tells the user what went wrong or changed, and on success adopts the upload into
// current and writes its configuration file into the configuration directory. current keeps its
// name: the file and the restrictions are known by it, and the controller answers in capitals.
RefreshResult RefreshAlphas(CAppState& app, CIntercom& current, QWidget* parent,
                            const RefreshOptions& options = {});

// The progress dialog's text: "Uploading from intercom:", the name and both addresses ("none" for
// an absent one).
QString RefreshUploadingText(const CIntercom& current);

}  // namespace vexilor
