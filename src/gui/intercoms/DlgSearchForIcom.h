#pragma once

#include "comms/Discovery.h"
#include "intercoms/DiscoveryTargets.h"

#include <QDialog>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QStandardItem;
class QStandardItemModel;
class QTreeView;

namespace vexilor {

struct CAppState;

namespace net {
class CIcomBroadcast;
}

// Where the "Available Intercoms" dialog listens and what it asks besides the discovery targets of
// the settings or the adapters' broadcast addresses (tests point it at a simulator on loopback and
// switch the adapters off).
struct SearchForIcomOptions {
    std::uint16_t bindPort = comms::kBroadcastPort;
    std::uint16_t controllerPort = 27410;
    std::vector<comms::Ipv4> extraTargets;
    bool adapters = true;
};

// "Available Intercoms": broadcasts one discovery request when shown and lists the controllers that
// answer, redundant system controllers grouped by name, frame count, state and frame. OK is offered
// only for an active controller; the caller then reads the selected reply. The discovery targets
// of the settings are shown and edited here ("Search" stores them and asks again).
class CDlgSearchForIcom : public QDialog {
    Q_OBJECT

public:
    explicit CDlgSearchForIcom(CAppState& app, QWidget* parent = nullptr);
    CDlgSearchForIcom(CAppState& app, SearchForIcomOptions options, QWidget* parent = nullptr);
    ~CDlgSearchForIcom() override;

    // Opens the broadcast port and sends the request; shows the port error and rejects the dialog
    // when the port cannot be opened. exec() and open() call it; returns false on the port error.
    bool startSearch();

    // The reply of the selected controller (empty before a controller is selected).
    const comms::IcomReplyInfo& selectedReply() const { return selected_; }
    // Remembered for the caller: the name, and the addresses in dotted form ("0.0.0.0" without a
    // partner).
    QString selectedName() const;
    QString selectedIpAddress() const;
    QString selectedPartnerAddress() const;

    // Places one reply in the tree as if it had arrived from the network (device types 0 and 1
    // are ignored).
    void addReply(const comms::IcomReplyInfo& reply);

    // "Search": takes the targets field; an entry that is not an IPv4 address is reported and
    // nothing changes. Otherwise stores the targets in the settings and sends another request.
    bool searchAgain();
    // Where the last request went.
    const DiscoveryPlan& discoveryPlan() const { return plan_; }

    // Item roles of the tree model: the item's data (an IP address of 2^24 or more; for a system
    // controller's top-level item frame count * 65536 + 3; 0 for a state item above frames) and
    // its image (0 active, 1 standby or not yet active).
    static constexpr int ItemDataRole = Qt::UserRole + 1;
    static constexpr int ImageRole = Qt::UserRole + 2;

    QTreeView* tree() const { return tree_; }
    QStandardItemModel* model() const { return model_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLineEdit* targetsEdit() const { return targets_; }
    QPushButton* searchButton() const { return search_; }
    // The value shown beside a caption, 0 = Name ... 6 = Description.
    QString detailText(int field) const;

    int exec() override;
    void open() override;
    void accept() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void showDetails();
    void clearDetails();
    void placeReply(const comms::IcomReplyInfo& reply);
    void placeSystemController(const comms::IcomReplyInfo& reply);
    QStandardItem* addTopLevel(const QString& name, std::uint32_t data, int image);
    QStandardItem* addChild(QStandardItem* parent, const QString& text, std::uint32_t data, int image, int order);

    CAppState& app_;
    SearchForIcomOptions options_;
    std::unique_ptr<net::CIcomBroadcast> broadcast_;
    DiscoveryPlan plan_;
    bool started_ = false;
    std::map<comms::Ipv4, comms::IcomReplyInfo> replies_;
    comms::IcomReplyInfo selected_;
    bool hasSelection_ = false;

    QTreeView* tree_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QGroupBox* details_ = nullptr;
    std::vector<QLabel*> captions_;
    std::vector<QLabel*> values_;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLineEdit* targets_ = nullptr;
    QPushButton* search_ = nullptr;
};

}  // namespace vexilor
