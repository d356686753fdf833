#include "intercoms/DlgAddEditIcom.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/Strings.h"
#include "comms/Ipv4.h"
#include "intercom/Intercom.h"
#include "intercoms/IntercomList.h"
#include "net/IcomBroadcast.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vexilor {

namespace {

constexpr int kTitleAdd = 3195;
constexpr int kTitleExport = 3205;

// The configuration file keeps an address in a 128-byte field ending in a zero byte; a longer
// text would be cut when written.
constexpr int kMaxAddressLength = 127;

const QString kNoPartner = QStringLiteral("0.0.0.0");

}  // namespace

CDlgAddEditIcom::CDlgAddEditIcom(CAppState& app, int titleId, const QString& name,
                                 const QString& mainAddress, const QString& partnerAddress,
                                 QWidget* parent, SearchForIcomOptions options)
    : QDialog(parent),
      app_(app),
      titleId_(titleId),
      options_(std::move(options)),
      name_(icomlist::TidyName(name)),
      currentName_(app.intercomName)
{
    buildUi();
    setWindowTitle(strings::Text(titleId_));
    nameEdit_->setText(name_);
    mainEdit_->setText(mainAddress);
    partnerEdit_->setText(partnerAddress);
    if (!name_.isEmpty()) {
        nameEdit_->setReadOnly(true);
        browse_->hide();
        browse_->setEnabled(false);
    }
    updateButtons();
    if (openBroadcast())
        SendDiscovery(*broadcast_, PlanDiscovery(StoredDiscoveryTargets(app_), options_), options_.controllerPort);
    (name_.isEmpty() ? nameEdit_ : mainEdit_)->setFocus();
}

CDlgAddEditIcom::~CDlgAddEditIcom() = default;

void CDlgAddEditIcom::buildUi()
{
    auto* nameGroup = new QGroupBox(QStringLiteral("Intercom"), this);
    auto* nameLabel = new QLabel(QStringLiteral("Name: "), nameGroup);
    nameEdit_ = new QLineEdit(nameGroup);
    nameEdit_->setMaxLength(icomlist::kMaxNameLength);
    nameLabel->setBuddy(nameEdit_);
    browse_ = new QPushButton(QStringLiteral("..."), nameGroup);
    browse_->setAutoDefault(false);
    browse_->setToolTip(QStringLiteral("Available Intercoms"));
    auto* nameRow = new QHBoxLayout(nameGroup);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(nameEdit_, 1);
    nameRow->addWidget(browse_);

    auto* addressGroup = new QGroupBox(QStringLiteral("IP Address"), this);
    auto* mainLabel = new QLabel(QStringLiteral("Main: "), addressGroup);
    mainEdit_ = new QLineEdit(addressGroup);
    mainEdit_->setMaxLength(kMaxAddressLength);
    mainLabel->setBuddy(mainEdit_);
    fillIn_ = new QPushButton(QStringLiteral("<"), addressGroup);
    fillIn_->setAutoDefault(false);
    auto* partnerLabel = new QLabel(QStringLiteral("Partner: "), addressGroup);
    partnerEdit_ = new QLineEdit(addressGroup);
    partnerEdit_->setMaxLength(kMaxAddressLength);
    partnerEdit_->setReadOnly(true);
    partnerLabel->setBuddy(partnerEdit_);
    auto* addressGrid = new QGridLayout(addressGroup);
    addressGrid->addWidget(mainLabel, 0, 0);
    addressGrid->addWidget(mainEdit_, 0, 1);
    addressGrid->addWidget(fillIn_, 0, 2);
    addressGrid->addWidget(partnerLabel, 1, 0);
    addressGrid->addWidget(partnerEdit_, 1, 1);
    addressGrid->setColumnStretch(1, 1);

    // The two small buttons share one width so the fields line up.
    const int smallWidth = std::max(browse_->fontMetrics().horizontalAdvance(QStringLiteral("...")),
                                    fillIn_->fontMetrics().horizontalAdvance(QStringLiteral("<")))
                           + 16;
    browse_->setFixedWidth(smallWidth);
    fillIn_->setFixedWidth(smallWidth);

    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);

    auto* fields = new QVBoxLayout;
    fields->addWidget(nameGroup);
    fields->addWidget(addressGroup);
    fields->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    setTabOrder(nameEdit_, browse_);
    setTabOrder(browse_, mainEdit_);
    setTabOrder(mainEdit_, fillIn_);
    setTabOrder(fillIn_, partnerEdit_);
    setTabOrder(partnerEdit_, ok_);
    setTabOrder(ok_, cancel_);
    setMinimumWidth(360);

    connect(nameEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        // Names are kept in upper case; show them so while typing.
        const QString upper = text.toUpper();
        if (upper != text) {
            const int cursor = nameEdit_->cursorPosition();
            nameEdit_->setText(upper);
            nameEdit_->setCursorPosition(cursor);
        }
    });
    connect(nameEdit_, &QLineEdit::textChanged, this, [this] {
        if (titleId_ == kTitleExport)
            showStoredAddresses();
        updateButtons();
    });
    // A typed main address no longer belongs to the partner that was filled in with it.
    connect(mainEdit_, &QLineEdit::textEdited, this, [this] { partnerEdit_->setText(kNoPartner); });
    connect(fillIn_, &QPushButton::clicked, this, [this] { fillInFromReply(); });
    connect(browse_, &QPushButton::clicked, this, [this] { browse(); });
    connect(ok_, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgAddEditIcom::updateButtons()
{
    const bool hasName = !icomlist::TidyName(nameEdit_->text()).isEmpty();
    ok_->setEnabled(hasName);
    fillIn_->setEnabled(hasName && broadcastOpen());
    ok_->setDefault(hasName);
    cancel_->setDefault(!hasName);
}

QString CDlgAddEditIcom::mainAddress() const
{
    return mainEdit_->text().trimmed();
}

QString CDlgAddEditIcom::partnerAddress() const
{
    return partnerEdit_->text().trimmed();
}

bool CDlgAddEditIcom::broadcastOpen() const
{
    return broadcast_ && broadcast_->isOpen();
}

bool CDlgAddEditIcom::openBroadcast()
{
    if (!broadcast_) {
        broadcast_ = std::make_unique<net::CIcomBroadcast>();
        broadcast_->setCodePage(FilesCodePage(app_.prefs));
        connect(broadcast_.get(), &net::CIcomBroadcast::replyReceived, this,
                [this](const comms::IcomReplyInfo& reply) { recordReply(reply); });
    }
    const bool open = broadcast_->isOpen() || broadcast_->openPort(options_.bindPort);
    if (!open) {
        fillIn_->hide();
        fillIn_->setEnabled(false);
    }
    updateButtons();
    return open;
}

void CDlgAddEditIcom::closeBroadcast()
{
    if (broadcast_)
        broadcast_->closePort();
}

void CDlgAddEditIcom::recordReply(const comms::IcomReplyInfo& reply)
{
    replies_[reply.ipAddress] = reply;
}

void CDlgAddEditIcom::fillInFromReply()
{
    const QString typed = icomlist::TidyName(nameEdit_->text());
    nameEdit_->setText(typed);
    for (const auto& [address, reply] : replies_) {
        if (!reply.active || !icomlist::SameName(QString::fromStdU16String(reply.name), typed))
            continue;
        mainEdit_->setText(QString::fromStdString(comms::formatIpv4(address)));
        partnerEdit_->setText(reply.partnerAddress != 0
                                  ? QString::fromStdString(comms::formatIpv4(reply.partnerAddress))
                                  : kNoPartner);
        return;
    }
}

void CDlgAddEditIcom::browse()
{
    // The list dialog listens on the same port; give it up while the list is open.
    closeBroadcast();
    {
        CDlgSearchForIcom dlg(app_, options_, this);
        if (dlg.exec() == QDialog::Accepted) {
            nameEdit_->setText(icomlist::TidyName(dlg.selectedName()));
            mainEdit_->setText(dlg.selectedIpAddress());
            partnerEdit_->setText(dlg.selectedPartnerAddress());
        }
    }
    openBroadcast();
    updateButtons();
}

void CDlgAddEditIcom::showStoredAddresses()
{
    // Tidying the name (upper case, blanks) is no new choice: addresses typed since stay.
    const QString name = icomlist::TidyName(nameEdit_->text());
    if (name == lookedUpName_)
        return;
    lookedUpName_ = name;
    CIntercom stored;
    QString error;
    if (icomlist::FileExists(app_.prefs.cfgFilesDirectory, name, icomlist::kConfigurationExt)
        && icomlist::LoadIntercom(app_.prefs.cfgFilesDirectory, name, stored, error)) {
        shownStored_.emplace(QString::fromStdU16String(stored.mainAddress),
                             QString::fromStdU16String(stored.partnerAddress));
        mainEdit_->setText(shownStored_->first);
        partnerEdit_->setText(shownStored_->second);
        return;
    }
    // Another intercom's addresses must not go with a name they do not belong to; what the user
    // typed stays.
    if (shownStored_ && mainEdit_->text() == shownStored_->first
        && partnerEdit_->text() == shownStored_->second) {
        mainEdit_->clear();
        partnerEdit_->clear();
    }
    shownStored_.reset();
}

bool CDlgAddEditIcom::confirmOverwrite(const QString& name)
{
    if (titleId_ == kTitleExport)
        return confirmExport(name);
    if (titleId_ != kTitleAdd)
        return true;
    const bool exists =
        icomlist::FileExists(app_.prefs.resFilesDirectory, name, icomlist::kRestrictionsExt)
        || icomlist::FileExists(app_.prefs.cfgFilesDirectory, name, icomlist::kConfigurationExt);
    if (!exists)
        return true;
    return Prompts::show(strings::Text(3219, {name}), Prompts::Icon::Question,
                         Prompts::Buttons::OkCancel)
           == Prompts::Answer::Ok;
}

bool CDlgAddEditIcom::confirmExport(const QString& name)
{
    // The export replaces the target's restrictions file; of its configuration file only the
    // addresses, and only when they were changed here (the document decides the same way).
    QString replaced;
    if (icomlist::FileExists(app_.prefs.resFilesDirectory, name, icomlist::kRestrictionsExt))
        replaced += strings::Text(3222);
    if (icomlist::FileExists(app_.prefs.cfgFilesDirectory, name, icomlist::kConfigurationExt)) {
        CIntercom stored;
        QString error;
        if (!icomlist::LoadIntercom(app_.prefs.cfgFilesDirectory, name, stored, error)) {
            replaced += strings::Text(3224);
        } else {
            const QString main = QString::fromStdU16String(stored.mainAddress);
            const QString partner = QString::fromStdU16String(stored.partnerAddress);
            if (main != mainAddress() || partner != partnerAddress()) {
                const auto shown = [](const QString& address) {
                    return address.isEmpty() ? strings::Text(3432) : address;
                };
                replaced += strings::Text(3223, {shown(main), shown(partner),
                                                 shown(mainAddress()), shown(partnerAddress())});
            }
        }
    }
    if (replaced.isEmpty())
        return true;
    return Prompts::show(strings::Text(3221, {name, currentName_, replaced}),
                         Prompts::Icon::Question, Prompts::Buttons::OkCancel)
           == Prompts::Answer::Ok;
}

void CDlgAddEditIcom::accept()
{
    const QString name = icomlist::TidyName(nameEdit_->text());
    nameEdit_->setText(name);
    if (name.isEmpty())
        return;
    if (icomlist::HasForbiddenChar(name)) {
        Prompts::show(strings::Text(3218), Prompts::Icon::Error);
        nameEdit_->setFocus();
        return;
    }
    // Save writes the open intercom's files; an export over them would not ask about unsaved
    // changes.
    if (titleId_ == kTitleExport && icomlist::SameName(name, currentName_)) {
        Prompts::show(strings::Text(3225, {name}), Prompts::Icon::Warning);
        nameEdit_->setFocus();
        return;
    }
    if (!confirmOverwrite(name)) {
        nameEdit_->setFocus();
        return;
    }
    name_ = name;
    QDialog::accept();
}

void CDlgAddEditIcom::done(int result)
{
    closeBroadcast();
    QDialog::done(result);
}

}  // namespace vexilor
