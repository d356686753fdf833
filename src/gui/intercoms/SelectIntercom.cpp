#include "intercoms/SelectIntercom.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/Strings.h"
#include "intercom/Intercom.h"
#include "intercoms/DlgAddEditIcom.h"
#include "intercoms/DlgSelectIcom.h"
#include "intercoms/IntercomList.h"

namespace vexilor {

std::optional<QString> SelectIntercom(CAppState& app, const QString& preselect, QWidget* parent,
                                      const SearchForIcomOptions& options)
{
    QString wanted = preselect;
    for (;;) {
        CDlgSelectIcom dlg(app, app.startIntercomGiven, wanted, parent);
        dlg.setSearchOptions(options);
        app.startIntercomGiven = false;
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;

        const QString name = icomlist::TidyName(dlg.selectedName());
        app.startIntercomName = name;
        CIntercom icom;
        QString error;
        if (icomlist::LoadIntercom(app.prefs.cfgFilesDirectory, name, icom, error,
                                   FilesCodePage(app.prefs))) {
            app.intercom = std::move(icom);
            return name;
        }
        if (Prompts::show(strings::Text(3203, {error}), Prompts::Icon::Error,
                          Prompts::Buttons::OkCancel)
            != Prompts::Answer::Ok)
            return std::nullopt;
        wanted = name;
    }
}

std::optional<ExportTarget> ChooseExportTarget(CAppState& app, const CIntercom& current,
                                               QWidget* parent, const SearchForIcomOptions& options)
{
    CDlgAddEditIcom dlg(app, 3205, {}, {}, {}, parent, options);
    if (!current.name.empty())
        dlg.setCurrentIntercomName(QString::fromStdU16String(current.name));
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return ExportTarget{dlg.name(), dlg.mainAddress(), dlg.partnerAddress()};
}

}  // namespace vexilor
