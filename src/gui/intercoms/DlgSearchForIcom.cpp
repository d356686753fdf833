#include "intercoms/DlgSearchForIcom.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "net/IcomBroadcast.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <functional>

namespace vexilor {

namespace {

constexpr std::uint32_t kSystemController = 3;
constexpr std::uint32_t kFirstAddress = 0x01000000u;  // item data at or above this is an IP address
constexpr int kOrderRole = Qt::UserRole + 3;           // keeps states and frames in their order
constexpr int kRowHeight = 20;

// The marks beside the items: a filled green dot for an active controller, a hollow amber ring for
// standby (and for a system that has no active controller yet).
QIcon markIcon(bool active)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (active) {
        p.setPen(QPen(QColor(0x1b, 0x7a, 0x2e), 1.2));
        p.setBrush(QColor(0x3c, 0xb9, 0x4e));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    } else {
        p.setPen(QPen(QColor(0xb0, 0x78, 0x10), 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    }
    return QIcon(pixmap);
}

QString deviceTypeText(std::uint32_t deviceType)
{
    switch (deviceType) {
    case 2: return strings::Text(3250);
    case 3: return strings::Text(3251);
    case 4: return strings::Text(3301);
    case 5: return strings::Text(3321);
    default: return strings::Text(3252);
    }
}

QString statusText(bool active)
{
    return strings::Text(active ? 3247 : 3248);
}

// Tree order of top-level names: without regard to case, then by code unit so equal-looking
// names keep a fixed order.
bool nameBefore(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

std::uint32_t itemData(const QStandardItem* item)
{
    return item->data(CDlgSearchForIcom::ItemDataRole).toUInt();
}

QStandardItem* childWithText(QStandardItem* parent, const QString& text)
{
    for (int row = 0; row < parent->rowCount(); ++row) {
        if (parent->child(row)->text() == text)
            return parent->child(row);
    }
    return nullptr;
}

}  // namespace

CDlgSearchForIcom::CDlgSearchForIcom(CAppState& app, QWidget* parent)
    : CDlgSearchForIcom(app, SearchForIcomOptions{}, parent)
{
}

CDlgSearchForIcom::CDlgSearchForIcom(CAppState& app, SearchForIcomOptions options, QWidget* parent)
    : QDialog(parent), app_(app), options_(std::move(options))
{
    buildUi();
    clearDetails();
}

CDlgSearchForIcom::~CDlgSearchForIcom() = default;

void CDlgSearchForIcom::buildUi()
{
    setWindowTitle(tr("Available Intercoms"));

    model_ = new QStandardItemModel(this);
    tree_ = new QTreeView;
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setUniformRowHeights(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setIconSize(QSize(16, 16));
    tree_->setMinimumWidth(220);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { showDetails(); });

    auto* intercoms = new QGroupBox(tr("Intercoms"));
    auto* treeLayout = new QVBoxLayout(intercoms);
    treeLayout->addWidget(tree_);

    details_ = new QGroupBox(tr("Selected Intercom"));
    auto* grid = new QGridLayout(details_);
    const QString captions[] = {tr("Name:"), tr("Type:"), tr("Status:"), tr("IP Address:"),
                                tr("IP Partner:"), tr("Connections:"), tr("Description:")};
    for (int i = 0; i < 7; ++i) {
        auto* caption = new QLabel(captions[i]);
        auto* value = new QLabel;
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(170);
        grid->addWidget(caption, i, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(value, i, 1, Qt::AlignLeft | Qt::AlignTop);
        captions_.push_back(caption);
        values_.push_back(value);
    }
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);

    buttons_ = new QDialogButtonBox;
    ok_ = buttons_->addButton(QDialogButtonBox::Ok);
    cancel_ = buttons_->addButton(QDialogButtonBox::Cancel);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CDlgSearchForIcom::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CDlgSearchForIcom::reject);

    // The discovery targets: addresses beyond the local subnet, or nothing for every adapter.
    auto* targetsLabel = new QLabel(tr("Ask &at:"));
    targets_ = new QLineEdit(FormatDiscoveryTargets(StoredDiscoveryTargets(app_)));
    targets_->setPlaceholderText(tr("every adapter's broadcast address"));
    targets_->setToolTip(tr("IPv4 addresses the discovery request goes to, separated by blanks; "
                            "empty asks every adapter's broadcast address"));
    targetsLabel->setBuddy(targets_);
    targets_->installEventFilter(this);
    search_ = new QPushButton(tr("&Search"));
    search_->setAutoDefault(false);
    connect(search_, &QPushButton::clicked, this, [this] { searchAgain(); });
    auto* targetsRow = new QHBoxLayout;
    targetsRow->addWidget(targetsLabel);
    targetsRow->addWidget(targets_, 1);
    targetsRow->addWidget(search_);

    auto* columns = new QHBoxLayout;
    columns->addWidget(intercoms, 1);
    columns->addWidget(details_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(targetsRow);
    layout->addWidget(buttons_);
    resize(560, 340);
}

bool CDlgSearchForIcom::startSearch()
{
    if (started_)
        return broadcast_ && broadcast_->isOpen();
    started_ = true;
    broadcast_ = std::make_unique<net::CIcomBroadcast>();
    broadcast_->setCodePage(FilesCodePage(app_.prefs));
    connect(broadcast_.get(), &net::CIcomBroadcast::replyReceived, this, &CDlgSearchForIcom::addReply);
    if (!broadcast_->openPort(options_.bindPort)) {
        broadcast_.reset();
        Prompts::show(tr("Could not open broadcast socket! Try again later."), Prompts::Icon::Error);
        return false;
    }
    plan_ = PlanDiscovery(StoredDiscoveryTargets(app_), options_);
    SendDiscovery(*broadcast_, plan_, options_.controllerPort);
    return true;
}

bool CDlgSearchForIcom::searchAgain()
{
    const DiscoveryTargetsParse parsed = ParseDiscoveryTargets(targets_->text());
    if (!parsed.ok()) {
        Prompts::show(tr("\"%1\" is not an IPv4 address.     \n\nEnter IPv4 addresses such as 10.1.1.5, "
                         "separated by blanks, or leave the field empty to ask every adapter's broadcast "
                         "address.     ")
                          .arg(parsed.badEntry),
                      Prompts::Icon::Warning);
        targets_->setFocus(Qt::OtherFocusReason);
        const int at = targets_->text().indexOf(parsed.badEntry);
        if (at >= 0)
            targets_->setSelection(at, int(parsed.badEntry.size()));
        return false;
    }
    const QString text = FormatDiscoveryTargets(parsed.targets);
    targets_->setText(text);
    if (app_.settings)
        app_.settings->writeString(SettingKey::DiscoveryTargets, text);
    plan_ = PlanDiscovery(parsed.targets, options_);
    if (broadcast_ && broadcast_->isOpen())
        SendDiscovery(*broadcast_, plan_, options_.controllerPort);
    return true;
}

bool CDlgSearchForIcom::eventFilter(QObject* watched, QEvent* event)
{
    // Return in the targets field searches; it never confirms the dialog.
    if (watched == targets_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            searchAgain();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int CDlgSearchForIcom::exec()
{
    if (!startSearch()) {
        setResult(Rejected);
        return Rejected;
    }
    return QDialog::exec();
}

void CDlgSearchForIcom::open()
{
    if (!startSearch()) {
        done(Rejected);
        return;
    }
    QDialog::open();
}

void CDlgSearchForIcom::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started_ && !startSearch())
        QTimer::singleShot(0, this, [this] { done(Rejected); });
}

void CDlgSearchForIcom::accept()
{
    if (ok_->isEnabled())
        QDialog::accept();
}

void CDlgSearchForIcom::done(int result)
{
    if (broadcast_)
        broadcast_->closePort();
    QDialog::done(result);
}

QString CDlgSearchForIcom::selectedName() const
{
    return hasSelection_ ? QString::fromStdU16String(selected_.name) : QString();
}

QString CDlgSearchForIcom::selectedIpAddress() const
{
    return hasSelection_ ? QString::fromStdU16String(comms::formatIpv4u(selected_.ipAddress)) : QString();
}

QString CDlgSearchForIcom::selectedPartnerAddress() const
{
    return hasSelection_ ? QString::fromStdU16String(comms::formatIpv4u(selected_.partnerAddress)) : QString();
}

QString CDlgSearchForIcom::detailText(int field) const
{
    return field >= 0 && field < static_cast<int>(values_.size()) ? values_[field]->text() : QString();
}

void CDlgSearchForIcom::addReply(const comms::IcomReplyInfo& reply)
{
    if (reply.deviceType <= 1)
        return;
    replies_[reply.ipAddress] = reply;
    placeReply(reply);
    // The selection may lead to this address (or, through a new first child, to another one).
    showDetails();
}

QStandardItem* CDlgSearchForIcom::addTopLevel(const QString& name, std::uint32_t data, int image)
{
    auto* item = new QStandardItem(markIcon(image == 0), name);
    item->setData(data, ItemDataRole);
    item->setData(image, ImageRole);
    item->setSizeHint(QSize(0, kRowHeight));
    int row = 0;
    while (row < model_->rowCount() && !nameBefore(name, model_->item(row)->text()))
        ++row;
    model_->insertRow(row, item);
    return item;
}

QStandardItem* CDlgSearchForIcom::addChild(QStandardItem* parent, const QString& text, std::uint32_t data,
                                           int image, int order)
{
    auto* item = new QStandardItem(markIcon(image == 0), text);
    item->setData(data, ItemDataRole);
    item->setData(image, ImageRole);
    item->setData(order, kOrderRole);
    item->setSizeHint(QSize(0, kRowHeight));
    int row = 0;
    while (row < parent->rowCount() && parent->child(row)->data(kOrderRole).toInt() <= order)
        ++row;
    parent->insertRow(row, item);
    return item;
}

void CDlgSearchForIcom::placeReply(const comms::IcomReplyInfo& reply)
{
    const QString name = QString::fromStdU16String(reply.name);
    const bool system = reply.deviceType == kSystemController;
    const QString stateText = statusText(reply.active);
    const QString frameLabel = FormatText(tr("Frame %u of %u"), {reply.frameIndex + 1, reply.frameCount});
    const std::uint32_t topData = system ? reply.frameCount * 65536u + kSystemController : reply.ipAddress;

    // Where this address already hangs. A reply from it that lands in the same place only updates
    // the record; one that moved (renamed, or switched between active and standby) leaves its old
    // place, so an address is never listed twice.
    QStandardItem* old = nullptr;
    const std::function<void(QStandardItem*)> find = [&](QStandardItem* parent) {
        for (int row = 0; row < parent->rowCount() && !old; ++row) {
            QStandardItem* item = parent->child(row);
            if (itemData(item) == reply.ipAddress)
                old = item;
            else
                find(item);
        }
    };
    find(model_->invisibleRootItem());
    if (old) {
        QStringList path;
        QStandardItem* top = old;
        for (QStandardItem* i = old; i; i = i->parent()) {
            path.prepend(i->text());
            top = i;
        }
        QStringList wanted{name};
        if (system) {
            wanted << stateText;
            if (reply.frameCount > 1)
                wanted << frameLabel;
        }
        if (path == wanted && itemData(top) == topData)
            return;
        const bool wasCurrent = model_->indexFromItem(old) == tree_->currentIndex();
        // Remove the old item and every ancestor it leaves empty.
        QStandardItem* gone = old;
        while (gone->parent() && gone->parent()->rowCount() == 1)
            gone = gone->parent();
        QStandardItem* parent = gone->parent() ? gone->parent() : model_->invisibleRootItem();
        parent->removeRow(gone->row());
        placeReply(reply);
        if (wasCurrent) {
            old = nullptr;
            find(model_->invisibleRootItem());
            if (old)
                tree_->setCurrentIndex(model_->indexFromItem(old));
        }
        return;
    }

    if (!system) {
        addTopLevel(name, reply.ipAddress, 0);
        return;
    }
    placeSystemController(reply);
}

void CDlgSearchForIcom::placeSystemController(const comms::IcomReplyInfo& reply)
{
    const QString name = QString::fromStdU16String(reply.name);
    const std::uint32_t topData = reply.frameCount * 65536u + kSystemController;
    const QString stateText = statusText(reply.active);
    const int image = reply.active ? 0 : 1;
    const bool framed = reply.frameCount > 1;
    const QString frameLabel = FormatText(tr("Frame %u of %u"), {reply.frameIndex + 1, reply.frameCount});

    // The first system of this name and frame count whose place for the reply is free; a taken
    // place means another controller of the same name, which gets a system of its own.
    auto fits = [&](QStandardItem* top) {
        QStandardItem* state = childWithText(top, stateText);
        if (!state)
            return true;
        return framed && !childWithText(state, frameLabel);
    };
    QStandardItem* top = nullptr;
    for (int row = 0; row < model_->rowCount() && !top; ++row) {
        QStandardItem* item = model_->item(row);
        if (item->text() == name && itemData(item) == topData && fits(item))
            top = item;
    }
    if (!top)
        top = addTopLevel(name, topData, 1);

    QStandardItem* state = childWithText(top, stateText);
    if (!state)
        state = addChild(top, stateText, framed ? 0 : reply.ipAddress, image, reply.active ? 0 : 1);
    if (framed)
        addChild(state, frameLabel, reply.ipAddress, image, static_cast<int>(reply.frameIndex));
    if (reply.active) {
        top->setData(0, ImageRole);
        top->setIcon(markIcon(true));
    }
    tree_->expand(model_->indexFromItem(top));
    tree_->expand(model_->indexFromItem(state));
}

void CDlgSearchForIcom::clearDetails()
{
    hasSelection_ = false;
    selected_ = {};
    for (QLabel* value : values_)
        value->clear();
    details_->setEnabled(false);
    ok_->setEnabled(false);
    ok_->setDefault(false);
    cancel_->setDefault(true);
}

void CDlgSearchForIcom::showDetails()
{
    QStandardItem* item = model_->itemFromIndex(tree_->currentIndex());
    while (item && itemData(item) < kFirstAddress)
        item = item->rowCount() > 0 ? item->child(0) : nullptr;
    const auto found = item ? replies_.find(itemData(item)) : replies_.end();
    if (found == replies_.end()) {
        clearDetails();
        return;
    }
    const comms::IcomReplyInfo& r = found->second;
    selected_ = r;
    hasSelection_ = true;
    const QString space = QStringLiteral(" ");
    const QString texts[] = {
        QString::fromStdU16String(r.name),
        deviceTypeText(r.deviceType),
        statusText(r.active),
        QString::fromStdU16String(comms::formatIpv4u(r.ipAddress)),
        r.partnerAddress == 0 ? QString() : QString::fromStdU16String(comms::formatIpv4u(r.partnerAddress)),
        strings::Text(3253, {r.firstConnections, r.secondConnections}),
        QString::fromStdU16String(r.description),
    };
    for (std::size_t i = 0; i < values_.size(); ++i)
        values_[i]->setText(i == 4 && texts[i].isEmpty() ? QString() : space + texts[i]);
    details_->setEnabled(true);
    ok_->setEnabled(r.active);
    ok_->setDefault(r.active);
    cancel_->setDefault(!r.active);
}

}  // namespace vexilor
