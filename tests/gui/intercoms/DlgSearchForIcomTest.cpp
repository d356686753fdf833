#include "intercoms/DlgSearchForIcom.h"

#include "SimulatedController.h"
#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "comms/Frame.h"
#include "support/PromptsTestScope.h"

#include <QAbstractItemModelTester>
#include <QHostAddress>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <QUdpSocket>

#include <vector>

using namespace vexilor;
using namespace Qt::Literals::StringLiterals;
using comms::IcomReplyInfo;

Q_DECLARE_METATYPE(std::vector<vexilor::comms::IcomReplyInfo>)

namespace {

comms::Ipv4 ip(const char* text)
{
    return *comms::parseIpv4(std::string_view(text));
}

// A reply as a controller sends it. type 3 is a system controller; frames 0 means none reported.
IcomReplyInfo reply(const char16_t* name, const char* address, std::uint32_t type = 2, bool active = true,
                    std::uint32_t frameIndex = 0, std::uint32_t frameCount = 0)
{
    IcomReplyInfo r;
    r.command = 222;
    r.deviceType = type;
    r.active = active;
    r.firstConnections = 3;
    r.secondConnections = 12;
    r.ipAddress = ip(address);
    r.name = name;
    r.description = u"Studio block";
    r.frameIndex = frameIndex;
    r.frameCount = frameCount;
    return r;
}

// The tree as text: "text/image" per item, "=address" where the item carries one, children in [].
QString dump(const QStandardItem* parent)
{
    QStringList parts;
    for (int row = 0; row < parent->rowCount(); ++row) {
        const QStandardItem* item = parent->child(row);
        QString s = item->text() + u'/' + QString::number(item->data(CDlgSearchForIcom::ImageRole).toInt());
        const std::uint32_t data = item->data(CDlgSearchForIcom::ItemDataRole).toUInt();
        if (data >= 0x01000000u)
            s += u'=' + QString::fromStdString(comms::formatIpv4(data));
        if (item->rowCount() > 0)
            s += u'[' + dump(item) + u']';
        parts << s;
    }
    return parts.join(u", ");
}

QString dump(const CDlgSearchForIcom& dialog)
{
    return dump(dialog.model()->invisibleRootItem());
}

QModelIndex find(const CDlgSearchForIcom& dialog, const QStringList& path)
{
    QModelIndex at;
    for (const QString& text : path) {
        const QModelIndexList hits =
            dialog.model()->match(dialog.model()->index(0, 0, at), Qt::DisplayRole, text, 1, Qt::MatchExactly);
        if (hits.isEmpty())
            return {};
        at = hits.first();
    }
    return at;
}

// A framed discovery reply datagram.
QByteArray datagram(const IcomReplyInfo& info, bool withFrameBytes)
{
    const std::vector<std::uint8_t> message = comms::discoveryReplyMessage(info, 1, 7, withFrameBytes);
    std::vector<std::uint8_t> frame(2 * message.size() + 4);
    frame.resize(comms::frameMessage(message, frame));
    return QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()));
}

SearchForIcomOptions quietOptions(std::uint16_t bindPort)
{
    SearchForIcomOptions o;
    o.bindPort = bindPort;
    o.adapters = false;  // the tests talk to loopback only
    return o;
}

}  // namespace

class DlgSearchForIcomTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placesReplies_data();
    void placesReplies();
    void detailsAndOkFollowTheSelection();
    void repliesArriveAsDatagrams();
    void findsTheSimulatedControllers();
    void portInUseIsReportedAndCancels();
    void discoveryTargetsAreIpv4Addresses_data();
    void discoveryTargetsAreIpv4Addresses();
    void targetsTakeThePlaceOfTheAdapters();
    void asksTheStoredTargets();
    void searchStoresGoodTargetsAndRefusesBadOnes();

private:
    // Settings of their own in a temporary INI file, for the tests of the discovery targets.
    void useSettings(const QString& targets);

    CAppState app_;
    std::unique_ptr<QTemporaryDir> settingsDir_;
    std::unique_ptr<SettingsStore> settings_;
};

void DlgSearchForIcomTest::useSettings(const QString& targets)
{
    settingsDir_ = std::make_unique<QTemporaryDir>();
    settings_ = std::make_unique<SettingsStore>(
        std::make_unique<QSettings>(settingsDir_->filePath(u"settings.ini"_s), QSettings::IniFormat), SystemDefaults{});
    settings_->writeString(SettingKey::DiscoveryTargets, targets);
    app_.settings = settings_.get();
}

void DlgSearchForIcomTest::placesReplies_data()
{
    QTest::addColumn<std::vector<IcomReplyInfo>>("replies");
    QTest::addColumn<QString>("tree");

    QTest::newRow("names sorted without regard to case")
        << std::vector{reply(u"MAIN", "10.0.0.3"), reply(u"annex", "10.0.0.1"), reply(u"Bravo", "10.0.0.2")}
        << u"annex/0=10.0.0.1, Bravo/0=10.0.0.2, MAIN/0=10.0.0.3"_s;
    QTest::newRow("one name, two addresses: two intercoms")
        << std::vector{reply(u"MAIN", "10.0.0.3"), reply(u"MAIN", "10.0.0.4")}
        << u"MAIN/0=10.0.0.3, MAIN/0=10.0.0.4"_s;
    QTest::newRow("second reply of an address updates it")
        << std::vector{reply(u"MAIN", "10.0.0.3"), reply(u"MAIN", "10.0.0.3")} << u"MAIN/0=10.0.0.3"_s;
    QTest::newRow("device types 0 and 1 are never shown")
        << std::vector{reply(u"ZERO", "10.0.0.5", 0), reply(u"ONE", "10.0.0.6", 1), reply(u"KOLT", "10.0.0.7", 4)}
        << u"KOLT/0=10.0.0.7"_s;
    QTest::newRow("redundant pair under one system")
        << std::vector{reply(u"SYS", "10.0.1.2", 3, false), reply(u"SYS", "10.0.1.1", 3, true)}
        << u"SYS/0[Active/0=10.0.1.1, Standby/1=10.0.1.2]"_s;
    QTest::newRow("standby alone keeps the system unmarked")
        << std::vector{reply(u"SYS", "10.0.1.2", 3, false)} << u"SYS/1[Standby/1=10.0.1.2]"_s;
    QTest::newRow("frames below their state, in frame order")
        << std::vector{reply(u"SYS", "10.0.2.2", 3, true, 1, 2), reply(u"SYS", "10.0.2.1", 3, true, 0, 2),
                       reply(u"SYS", "10.0.2.3", 3, false, 0, 2)}
        << u"SYS/0[Active/0[Frame 1 of 2/0=10.0.2.1, Frame 2 of 2/0=10.0.2.2], Standby/1[Frame 1 of 2/1=10.0.2.3]]"_s;
    QTest::newRow("other frame count: another system")
        << std::vector{reply(u"SYS", "10.0.3.1", 3, true), reply(u"SYS", "10.0.3.2", 3, true, 0, 2)}
        << u"SYS/0[Active/0=10.0.3.1], SYS/0[Active/0[Frame 1 of 2/0=10.0.3.2]]"_s;
    QTest::newRow("taken state: another system, and a repeat does not add a third")
        << std::vector{reply(u"SYS", "10.0.4.1", 3, true), reply(u"SYS", "10.0.4.2", 3, true),
                       reply(u"SYS", "10.0.4.2", 3, true)}
        << u"SYS/0[Active/0=10.0.4.1], SYS/0[Active/0=10.0.4.2]"_s;
    QTest::newRow("controller that switched to active moves")
        << std::vector{reply(u"SYS", "10.0.5.1", 3, false), reply(u"SYS", "10.0.5.2", 3, false),
                       reply(u"SYS", "10.0.5.1", 3, true)}
        << u"SYS/0[Active/0=10.0.5.1, Standby/1=10.0.5.2]"_s;
    QTest::newRow("renamed intercom leaves its old name")
        << std::vector{reply(u"OLD", "10.0.6.1"), reply(u"NEW", "10.0.6.1")} << u"NEW/0=10.0.6.1"_s;
}

void DlgSearchForIcomTest::placesReplies()
{
    QFETCH(std::vector<IcomReplyInfo>, replies);
    QFETCH(QString, tree);
    CDlgSearchForIcom dialog(app_);
    QAbstractItemModelTester tester(dialog.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const IcomReplyInfo& r : replies)
        dialog.addReply(r);
    QCOMPARE(dump(dialog), tree);
}

void DlgSearchForIcomTest::detailsAndOkFollowTheSelection()
{
    CDlgSearchForIcom dialog(app_);
    QVERIFY(!dialog.okButton()->isEnabled());
    QVERIFY(dialog.cancelButton()->isDefault());

    IcomReplyInfo active = reply(u"SYS", "10.0.1.1", 3, true, 0, 2);
    active.partnerAddress = ip("10.0.1.2");
    dialog.addReply(active);
    dialog.addReply(reply(u"SYS", "10.0.1.2", 3, false, 0, 2));
    dialog.addReply(reply(u"ANNEX", "10.0.9.9", 2, true));

    // The system's top-level item leads through its first children to the active frame.
    dialog.tree()->setCurrentIndex(find(dialog, {u"SYS"_s}));
    const QStringList shown{u" SYS"_s, u" Pendra System Controller"_s, u" Active"_s, u" 10.0.1.1"_s,
                            u" 10.0.1.2"_s, u" 3/12 Available"_s, u" Studio block"_s};
    for (int field = 0; field < shown.size(); ++field)
        QCOMPARE(dialog.detailText(field), shown[field]);
    QVERIFY(dialog.okButton()->isEnabled());
    QVERIFY(dialog.okButton()->isDefault());
    QCOMPARE(dialog.selectedName(), u"SYS"_s);
    QCOMPARE(dialog.selectedIpAddress(), u"10.0.1.1"_s);
    QCOMPARE(dialog.selectedPartnerAddress(), u"10.0.1.2"_s);
    QCOMPARE(dialog.selectedReply(), active);

    // A standby controller: its details, but no OK, and Cancel is the default again.
    dialog.tree()->setCurrentIndex(find(dialog, {u"SYS"_s, u"Standby"_s, u"Frame 1 of 2"_s}));
    QCOMPARE(dialog.detailText(2), u" Standby"_s);
    QCOMPARE(dialog.detailText(4), QString());  // no partner: left empty
    QCOMPARE(dialog.selectedPartnerAddress(), u"0.0.0.0"_s);
    QVERIFY(!dialog.okButton()->isEnabled());
    QVERIFY(dialog.cancelButton()->isDefault());
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));  // OK only while it is enabled

    // Another reply of the selected address shows at once.
    dialog.tree()->setCurrentIndex(find(dialog, {u"ANNEX"_s}));
    IcomReplyInfo changed = reply(u"ANNEX", "10.0.9.9", 5, true);
    changed.description = u"Moved to block C";
    dialog.addReply(changed);
    QCOMPARE(dialog.detailText(1), u" KOLT-III Lite Intercom"_s);
    QCOMPARE(dialog.detailText(6), u" Moved to block C"_s);
    QCOMPARE(dump(dialog).count(u"10.0.9.9"_s), 1);

    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedReply(), changed);
}

void DlgSearchForIcomTest::repliesArriveAsDatagrams()
{
    test::PromptsTestScope prompts;
    const std::uint16_t port = 27791;
    CDlgSearchForIcom dialog(app_, quietOptions(port));
    dialog.open();
    QVERIFY(dialog.isVisible());

    auto sendFrom = [&](const char* address, const QByteArray& bytes) {
        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress(QString::fromLatin1(address)), 0));
        QCOMPARE(socket.writeDatagram(bytes, QHostAddress(QHostAddress::LocalHost), port), bytes.size());
    };
    // The address is the sender's, whatever the reply says; garbage and device type 1 are dropped.
    const IcomReplyInfo standby = reply(u"SYS", "1.2.3.4", 3, false, 0, 0);
    sendFrom("127.0.0.71", datagram(reply(u"ONE", "1.2.3.4", 1), true));
    sendFrom("127.0.0.71", QByteArray("\x00\x13 not a frame", 14));
    sendFrom("127.0.0.72", datagram(standby, false));
    sendFrom("127.0.0.73", datagram(reply(u"SYS", "1.2.3.4", 3, true, 0, 0), false));
    QTRY_COMPARE(dump(dialog), u"SYS/0[Active/0=127.0.0.73, Standby/1=127.0.0.72]"_s);

    dialog.tree()->setCurrentIndex(find(dialog, {u"SYS"_s, u"Active"_s}));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedIpAddress(), u"127.0.0.73"_s);
}

void DlgSearchForIcomTest::findsTheSimulatedControllers()
{
    test::PromptsTestScope prompts;
    const QString port = u"27792"_s;
    test::SimulatedController active({u"--address"_s, u"127.0.0.74"_s, u"--port"_s, port, u"--name"_s,
                                      u"DEMO"_s, u"--device-type"_s, u"3"_s, u"--pair"_s,
                                      u"127.0.0.74,127.0.0.75"_s});
    test::SimulatedController standby({u"--address"_s, u"127.0.0.75"_s, u"--port"_s, port, u"--name"_s,
                                       u"DEMO"_s, u"--device-type"_s, u"3"_s, u"--standby"_s});
    QVERIFY(active.ready() && standby.ready());

    SearchForIcomOptions options = quietOptions(0);
    options.controllerPort = 27792;
    options.extraTargets = {ip("127.0.0.74"), ip("127.0.0.75")};
    CDlgSearchForIcom dialog(app_, options);
    dialog.open();
    QTRY_COMPARE(dump(dialog), u"DEMO/0[Active/0=127.0.0.74, Standby/1=127.0.0.75]"_s);

    dialog.tree()->setCurrentIndex(find(dialog, {u"DEMO"_s}));
    QCOMPARE(dialog.detailText(4), u" 127.0.0.75"_s);
    dialog.resize(560, 300);
    QVERIFY(dialog.grab().save(u"/tmp/h11-search.png"_s));
    QTest::keyClick(dialog.tree(), Qt::Key_Return);  // the default button is OK
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedName(), u"DEMO"_s);
    QCOMPARE(dialog.selectedIpAddress(), u"127.0.0.74"_s);
    QCOMPARE(dialog.selectedPartnerAddress(), u"127.0.0.75"_s);
}

void DlgSearchForIcomTest::portInUseIsReportedAndCancels()
{
    test::PromptsTestScope prompts;
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress(QHostAddress::AnyIPv4), 27793, QUdpSocket::DontShareAddress));
    CDlgSearchForIcom dialog(app_, quietOptions(27793));
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).text, u"Could not open broadcast socket! Try again later."_s);
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Error);
    QVERIFY(!dialog.isVisible());
}

void DlgSearchForIcomTest::discoveryTargetsAreIpv4Addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");  // as formatted; unused when bad
    QTest::addColumn<QString>("bad");

    QTest::newRow("empty: the adapters") << u""_s << u""_s << QString();
    QTest::newRow("blanks only") << u"   "_s << u""_s << QString();
    QTest::newRow("one address") << u" 127.0.0.2 "_s << u"127.0.0.2"_s << QString();
    QTest::newRow("blanks, commas, semicolons; once each")
        << u"10.1.1.5, 10.2.0.255;127.0.0.2  10.1.1.5"_s << u"10.1.1.5 10.2.0.255 127.0.0.2"_s << QString();
    QTest::newRow("three parts") << u"10.1.1.5 10.1.1"_s << QString() << u"10.1.1"_s;
    QTest::newRow("a name") << u"demo.local"_s << QString() << u"demo.local"_s;
    QTest::newRow("part above 255") << u"10.1.256.5"_s << QString() << u"10.1.256.5"_s;
    QTest::newRow("0.0.0.0 is no target") << u"0.0.0.0"_s << QString() << u"0.0.0.0"_s;
}

void DlgSearchForIcomTest::discoveryTargetsAreIpv4Addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QFETCH(QString, bad);
    const DiscoveryTargetsParse parsed = ParseDiscoveryTargets(text);
    QCOMPARE(parsed.badEntry, bad);
    if (bad.isEmpty())
        QCOMPARE(FormatDiscoveryTargets(parsed.targets), stored);
    else
        QVERIFY(parsed.targets.empty());
}

void DlgSearchForIcomTest::targetsTakeThePlaceOfTheAdapters()
{
    SearchForIcomOptions options;  // the program's own: adapters on
    options.extraTargets = {ip("127.0.0.9")};
    const DiscoveryPlan none = PlanDiscovery({}, options);
    QVERIFY(none.adapters);
    QCOMPARE(none.targets, std::vector<comms::Ipv4>{ip("127.0.0.9")});
    // With targets set, nothing goes to an adapter's broadcast address.
    const DiscoveryPlan set = PlanDiscovery({ip("10.9.8.7"), ip("127.0.0.2")}, options);
    QVERIFY(!set.adapters);
    QCOMPARE(set.targets, (std::vector<comms::Ipv4>{ip("10.9.8.7"), ip("127.0.0.2"), ip("127.0.0.9")}));
}

void DlgSearchForIcomTest::asksTheStoredTargets()
{
    test::PromptsTestScope prompts;
    test::SimulatedController sim({u"--address"_s, u"127.0.0.77"_s, u"--port"_s, u"27794"_s, u"--name"_s, u"FAR"_s});
    QVERIFY(sim.ready());
    useSettings(u"127.0.0.77"_s);
    SearchForIcomOptions options = quietOptions(0);  // no extra targets: only the setting names the controller
    options.controllerPort = 27794;
    CDlgSearchForIcom dialog(app_, options);
    QCOMPARE(dialog.targetsEdit()->text(), u"127.0.0.77"_s);
    dialog.open();
    QTRY_COMPARE(dump(dialog), u"FAR/0=127.0.0.77"_s);
    QVERIFY(!dialog.discoveryPlan().adapters);
    QCOMPARE(dialog.discoveryPlan().targets, std::vector<comms::Ipv4>{ip("127.0.0.77")});
    dialog.reject();
    app_.settings = nullptr;
}

void DlgSearchForIcomTest::searchStoresGoodTargetsAndRefusesBadOnes()
{
    test::PromptsTestScope prompts;
    test::SimulatedController sim({u"--address"_s, u"127.0.0.78"_s, u"--port"_s, u"27795"_s, u"--name"_s, u"NEAR"_s});
    QVERIFY(sim.ready());
    useSettings(u""_s);
    SearchForIcomOptions options = quietOptions(0);
    options.controllerPort = 27795;
    CDlgSearchForIcom dialog(app_, options);
    dialog.open();
    QVERIFY(dialog.isVisible());

    // A bad entry: said plainly, the field keeps it, the setting and the tree stay as they were.
    dialog.targetsEdit()->setText(u"127.0.0.78 near.local"_s);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!dialog.searchAgain());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QVERIFY2(Prompts::shownMessages().at(0).text.startsWith(u"\"near.local\" is not an IPv4 address."_s),
             qPrintable(Prompts::shownMessages().at(0).text));
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Warning);
    QCOMPARE(dialog.targetsEdit()->selectedText(), u"near.local"_s);
    QCOMPARE(settings_->readString(SettingKey::DiscoveryTargets), QString());

    // Return in the field searches (the dialog stays open): stored at once, asked at once.
    dialog.targetsEdit()->setText(u"127.0.0.78, 127.0.0.78"_s);
    dialog.targetsEdit()->setFocus();
    QTest::keyClick(dialog.targetsEdit(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.targetsEdit()->text(), u"127.0.0.78"_s);
    QCOMPARE(settings_->readString(SettingKey::DiscoveryTargets), u"127.0.0.78"_s);
    QVERIFY(!dialog.discoveryPlan().adapters);
    QTRY_COMPARE(dump(dialog), u"NEAR/0=127.0.0.78"_s);

    // Emptied: back to the adapters (as far as these tests allow them).
    dialog.targetsEdit()->clear();
    QVERIFY(dialog.searchAgain());
    QCOMPARE(settings_->readString(SettingKey::DiscoveryTargets), QString());
    QVERIFY(dialog.discoveryPlan().targets.empty());
    dialog.reject();
    app_.settings = nullptr;
}

QTEST_MAIN(DlgSearchForIcomTest)
#include "DlgSearchForIcomTest.moc"
