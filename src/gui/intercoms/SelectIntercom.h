#pragma once

#include "document/KestovaDoc.h"
#include "intercoms/DlgSearchForIcom.h"

#include <QString>

#include <optional>

class QWidget;

namespace vexilor {

struct CAppState;
class CIntercom;

// Runs the intercom selection until an intercom whose configuration file can be read is chosen,
// or the user gives up. The first round confirms itself when the application's start-intercom
// flag is set and preselect is listed; the flag is consumed. On success the chosen name becomes
// the application's start name, its configuration becomes the application's current one, and
// the name is returned; nothing on Cancel.
std::optional<QString> SelectIntercom(CAppState& app, const QString& preselect, QWidget* parent,
                                      const SearchForIcomOptions& options = {});

// The "Export to Intercom" form of the add/edit dialog: the target's name and addresses (a known
// intercom's stored ones unless the user changes them), asking before another intercom's
// restrictions file or addresses are replaced; the open intercom is refused. Nothing on Cancel.
std::optional<ExportTarget> ChooseExportTarget(CAppState& app, const CIntercom& current,
                                               QWidget* parent,
                                               const SearchForIcomOptions& options = {});

}  // namespace vexilor
