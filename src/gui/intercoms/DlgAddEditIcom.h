#pragma once

#include "comms/Discovery.h"
#include "intercoms/DlgSearchForIcom.h"

#include <QDialog>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <utility>

class QLineEdit;
class QPushButton;

namespace vexilor {

struct CAppState;

namespace net {
class CIcomBroadcast;
}

// "Add Intercom", "Edit Intercom IP Address" and "Export to Intercom": a name of at most four
// characters and the main and partner addresses, typed, filled in from a controller that answered
// the dialog's discovery request ("<"), or picked from the "Available Intercoms" list ("...").
// After OK the caller reads name(), mainAddress() and partnerAddress(). In the export form a name
// of a known intercom shows that intercom's stored addresses, which an export keeps unless they are
// changed here; the open intercom cannot be the target (Save writes its files).
class CDlgAddEditIcom : public QDialog {
    Q_OBJECT

public:
    // The title string id (3195 add, 3200 edit, 3205 export) decides the form: a given name
    // (edit) cannot be changed; add asks before it overwrites an intercom's files, export before
    // it replaces another intercom's restrictions file or changes its stored addresses.
    // options say where the discovery request goes (tests use loopback).
    CDlgAddEditIcom(CAppState& app, int titleId, const QString& name, const QString& mainAddress,
                    const QString& partnerAddress, QWidget* parent = nullptr,
                    SearchForIcomOptions options = {});
    ~CDlgAddEditIcom() override;

    // The export question names the intercom whose settings are exported (default: the open one).
    void setCurrentIntercomName(const QString& name) { currentName_ = name; }

    int titleId() const { return titleId_; }
    // After OK: the tidied name and the address texts as typed, blanks around them removed.
    QString name() const { return name_; }
    QString mainAddress() const;
    QString partnerAddress() const;

    // "<": the address of the first active controller (lowest address first) that answered with
    // the typed name; nothing happens when none did.
    void fillInFromReply();
    // "...": the "Available Intercoms" dialog; its choice replaces the name and both addresses.
    void browse();
    // Records an answer to the discovery request as if it had arrived from the network; a later
    // answer from the same address replaces the earlier one.
    void recordReply(const comms::IcomReplyInfo& reply);
    bool broadcastOpen() const;

    QLineEdit* nameEdit() const { return nameEdit_; }
    QLineEdit* mainEdit() const { return mainEdit_; }
    QLineEdit* partnerEdit() const { return partnerEdit_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* fillInButton() const { return fillIn_; }

    void accept() override;
    void done(int result) override;

private:
    void buildUi();
    void updateButtons();
    bool openBroadcast();
    void closeBroadcast();
    bool confirmOverwrite(const QString& name);
    bool confirmExport(const QString& name);
    // Export form: the stored addresses of the intercom named in the field, when it has readable
    // ones; addresses shown for a name that is no longer there are taken away again.
    void showStoredAddresses();

    CAppState& app_;
    int titleId_;
    SearchForIcomOptions options_;
    QString name_;
    QString currentName_;
    std::unique_ptr<net::CIcomBroadcast> broadcast_;
    std::map<comms::Ipv4, comms::IcomReplyInfo> replies_;
    // The addresses showStoredAddresses() put in the fields (main, partner), while they are there.
    std::optional<std::pair<QString, QString>> shownStored_;
    // The tidied name whose stored addresses were last looked up.
    QString lookedUpName_;

    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* mainEdit_ = nullptr;
    QLineEdit* partnerEdit_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* fillIn_ = nullptr;
};

}  // namespace vexilor
