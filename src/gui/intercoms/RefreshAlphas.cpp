#include "intercoms/RefreshAlphas.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/Strings.h"
#include "comms/Upload.h"
#include "intercom/ConfigurationFile.h"
#include "intercoms/DlgLoadProgress.h"
#include "intercoms/IntercomList.h"

#include <QCoreApplication>

namespace vexilor {

namespace {

// The title, then the intercom and its two addresses ("none" for an absent one).
QString connectionMessage(const QString& title, const CIntercom& icom)
{
    return FormatText(u"%s     \n\n%s : %s / %s     ",
                      {title, QString::fromStdU16String(icom.name),
                       QString::fromStdU16String(comms::displayAddress(icom.mainAddress)),
                       QString::fromStdU16String(comms::displayAddress(icom.partnerAddress))});
}

QString connectionMessage(int titleId, const CIntercom& icom)
{
    return connectionMessage(strings::Text(titleId), icom);
}

QString nameMismatchMessage(const QString& contacted, const QString& current)
{
    return strings::Text(3275, {contacted, current}) + strings::Text(3276) + strings::Text(3277, {current, contacted})
        + strings::Text(3278, {contacted}) + strings::Text(3279, {current, contacted})
        + strings::Text(3280, {current});
}

}  // namespace

QString RefreshUploadingText(const CIntercom& current)
{
    return connectionMessage(3282, current);
}

RefreshResult RefreshAlphas(CAppState& app, CIntercom& current, QWidget* parent, const RefreshOptions& options)
{
    if (!comms::HasContactAddress(current))
        return RefreshResult::NoAddress;

    CIntercom work = current;
    comms::UploadSettings settings;
    settings.controllerPort = options.controllerPort;
    settings.attemptTimeoutMs = options.attemptTimeoutMs;
    settings.codePage = FilesCodePage(app.prefs);
    int uploadResult = 1;
    bool cancelled = false;
    {
        CdlgLoadProgress dialog(&work, RefreshUploadingText(current), settings, parent);
        uploadResult = dialog.exec() == QDialog::Accepted ? 0 : 1;
        cancelled = uploadResult != 0 && dialog.cancelRequested();
    }
    if (cancelled) {
        // The user stopped it: not a failed connection.
        Prompts::show(connectionMessage(QCoreApplication::translate("vexilor::RefreshAlphas", "Refresh cancelled"),
                                        current),
                      Prompts::Icon::Information);
        return RefreshResult::Cancelled;
    }

    const comms::RefreshOutcome outcome = comms::DecideRefresh(current, work, uploadResult);
    const QString name = QString::fromStdU16String(current.name);
    switch (outcome.action) {
    case comms::RefreshOutcome::Action::NoAddress:
        return RefreshResult::NoAddress;
    case comms::RefreshOutcome::Action::NotConnected:
        Prompts::show(connectionMessage(3283, current), Prompts::Icon::Information);
        return RefreshResult::NotConnected;
    case comms::RefreshOutcome::Action::NameMismatch:
        Prompts::show(nameMismatchMessage(QString::fromStdU16String(work.name), name), Prompts::Icon::Information);
        return RefreshResult::NameMismatch;
    case comms::RefreshOutcome::Action::Adopt:
        break;
    }

    if (outcome.configurationChanged)
        Prompts::show(strings::Text(3281, {name}), Prompts::Icon::Information);
    const std::u16string keptName = current.name;
    current = std::move(work);
    current.name = keptName;
    current.messages.clear();

    // The intercom list's own file of the name, whatever its letter case on disk: never a second
    // file beside a cache written as abcd.cfg.
    QString error;
    if (!icomlist::SaveIntercom(app.prefs.cfgFilesDirectory, current, error, FilesCodePage(app.prefs)))
        Prompts::show(strings::Text(3202, {error}), Prompts::Icon::Error);
    return RefreshResult::Adopted;
}

}  // namespace vexilor
