#include "IntercomListFixture.h"

#include "app/Strings.h"
#include "comms/Frame.h"
#include "intercoms/DlgAddEditIcom.h"
#include "intercoms/DlgSearchForIcom.h"
#include "support/PromptsTestScope.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <QUdpSocket>

using namespace vexilor;
using vexilor::test::IntercomDirs;
using vexilor::test::LoopbackOptions;
using vexilor::test::PromptsTestScope;
using vexilor::test::WhenShown;

namespace {

comms::IcomReplyInfo Reply(const char16_t* name, comms::Ipv4 address, bool active,
                           comms::Ipv4 partner = 0)
{
    comms::IcomReplyInfo reply;
    reply.command = 222;
    reply.deviceType = 2;
    reply.active = active;
    reply.ipAddress = address;
    reply.partnerAddress = partner;
    reply.name = name;
    return reply;
}

}  // namespace

class DlgAddEditIcomTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formFollowsTitle_data();
    void formFollowsTitle();
    void nameIsFourUpperCaseCharacters();
    void okAndFillInNeedAName();
    void typingTheMainAddressResetsThePartner();
    void fillInTakesFirstActiveReplyOfTheName_data();
    void fillInTakesFirstActiveReplyOfTheName();
    void fillInTakesRepliesFromTheNetwork();
    void fillInIsHiddenWhenThePortIsTaken();
    void forbiddenCharactersKeepTheDialogOpen();
    void storedNameAndAddressesAreTidied();
    void existingSettingsAreOnlyReplacedAfterAsking_data();
    void existingSettingsAreOnlyReplacedAfterAsking();
    void exportFormShowsTheStoredAddressesOfAKnownIntercom();
    void exportAsksOnlyAboutWhatItReplaces_data();
    void exportAsksOnlyAboutWhatItReplaces();
    void exportToTheOpenIntercomIsRefused();
    void browseTakesTheChosenController();
    void screenshot();
};

void DlgAddEditIcomTest::formFollowsTitle_data()
{
    QTest::addColumn<int>("titleId");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("nameReadOnly");
    QTest::newRow("add") << 3195 << QString() << QStringLiteral("Add Intercom") << false;
    QTest::newRow("edit") << 3200 << QStringLiteral(" abc ")
                          << QStringLiteral("Edit Intercom IP Address") << true;
    QTest::newRow("export") << 3205 << QString() << QStringLiteral("Export to Intercom") << false;
}

void DlgAddEditIcomTest::formFollowsTitle()
{
    QFETCH(int, titleId);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(bool, nameReadOnly);
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, titleId, name, QStringLiteral("10.0.0.1"),
                        QStringLiteral("10.0.0.2"), nullptr, LoopbackOptions());
    dlg.show();
    QCOMPARE(dlg.windowTitle(), title);
    QCOMPARE(dlg.nameEdit()->text(), name.trimmed().toUpper());
    QCOMPARE(dlg.nameEdit()->isReadOnly(), nameReadOnly);
    QCOMPARE(dlg.browseButton()->isVisible(), !nameReadOnly);
    QCOMPARE(dlg.browseButton()->isEnabled(), !nameReadOnly);
    QVERIFY(dlg.partnerEdit()->isReadOnly());
    QCOMPARE(dlg.mainEdit()->text(), QStringLiteral("10.0.0.1"));
    QCOMPARE(dlg.partnerEdit()->text(), QStringLiteral("10.0.0.2"));
    QVERIFY(dlg.broadcastOpen());
    QVERIFY(dlg.fillInButton()->isVisible());
}

void DlgAddEditIcomTest::nameIsFourUpperCaseCharacters()
{
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, 3195, {}, {}, {}, nullptr, LoopbackOptions());
    dlg.show();
    QTest::keyClicks(dlg.nameEdit(), QStringLiteral("abcde"));
    QCOMPARE(dlg.nameEdit()->text(), QStringLiteral("ABCD"));
}

void DlgAddEditIcomTest::okAndFillInNeedAName()
{
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, 3195, {}, {}, {}, nullptr, LoopbackOptions());
    dlg.show();
    const auto check = [&](bool hasName) {
        QCOMPARE(dlg.okButton()->isEnabled(), hasName);
        QCOMPARE(dlg.fillInButton()->isEnabled(), hasName);
        QCOMPARE(dlg.okButton()->isDefault(), hasName);
        QCOMPARE(dlg.cancelButton()->isDefault(), !hasName);
    };
    check(false);
    QTest::keyClicks(dlg.nameEdit(), QStringLiteral("  "));
    check(false);
    QTest::keyClicks(dlg.nameEdit(), QStringLiteral("x"));
    check(true);
    dlg.nameEdit()->clear();
    check(false);
    // Return with no name presses Cancel, never OK.
    QTest::keyClick(dlg.nameEdit(), Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void DlgAddEditIcomTest::typingTheMainAddressResetsThePartner()
{
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, 3200, QStringLiteral("ABCD"), QStringLiteral("10.0.0.1"),
                        QStringLiteral("10.0.0.2"), nullptr, LoopbackOptions());
    dlg.show();
    dlg.recordReply(Reply(u"ABCD", 0x0A000009, true, 0x0A00000A));
    dlg.fillInFromReply();
    QCOMPARE(dlg.partnerEdit()->text(), QStringLiteral("10.0.0.10"));  // a fill-in keeps its partner
    dlg.mainEdit()->setFocus();
    QTest::keyClick(dlg.mainEdit(), Qt::Key_Backspace);
    QCOMPARE(dlg.mainEdit()->text(), QStringLiteral("10.0.0."));
    QCOMPARE(dlg.partnerEdit()->text(), QStringLiteral("0.0.0.0"));
}

void DlgAddEditIcomTest::fillInTakesFirstActiveReplyOfTheName_data()
{
    using Replies = QList<comms::IcomReplyInfo>;
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("partner");
    const Replies mixed{Reply(u"ABCD", 0x0A000005, false, 0x0A000006),   // standby: skipped
                        Reply(u"ABCD", 0x0A000007, true, 0x0A000008),
                        Reply(u"ABCD", 0x0A000003, true),                // lowest active: taken
                        Reply(u"WXYZ", 0x0A000001, true, 0x0A000002)};
    QTest::newRow("lowest active address wins") << QStringLiteral("abcd") << mixed
                                                << QStringLiteral("10.0.0.3")
                                                << QStringLiteral("0.0.0.0");
    QTest::newRow("partner given") << QStringLiteral("WXYZ") << mixed
                                   << QStringLiteral("10.0.0.1") << QStringLiteral("10.0.0.2");
    QTest::newRow("later reply of an address replaces the earlier")
        << QStringLiteral("ABCD")
        << Replies{Reply(u"ABCD", 0x0A000003, true), Reply(u"ABCD", 0x0A000003, false),
                   Reply(u"ABCD", 0x0A000004, true, 0x0A000005)}
        << QStringLiteral("10.0.0.4") << QStringLiteral("10.0.0.5");
    QTest::newRow("no match changes nothing") << QStringLiteral("QQ") << mixed
                                              << QStringLiteral("keep") << QStringLiteral("keep2");
    QTest::newRow("only standby changes nothing")
        << QStringLiteral("ABCD") << Replies{Reply(u"ABCD", 0x0A000005, false)}
        << QStringLiteral("keep") << QStringLiteral("keep2");
}

void DlgAddEditIcomTest::fillInTakesFirstActiveReplyOfTheName()
{
    QFETCH(QString, typed);
    QFETCH(QList<comms::IcomReplyInfo>, replies);
    QFETCH(QString, main);
    QFETCH(QString, partner);
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, 3195, {}, QStringLiteral("keep"), QStringLiteral("keep2"),
                        nullptr, LoopbackOptions());
    dlg.nameEdit()->setText(typed);
    for (const auto& reply : replies)
        dlg.recordReply(reply);
    dlg.fillInButton()->click();
    QCOMPARE(dlg.nameEdit()->text(), typed.trimmed().toUpper());
    QCOMPARE(dlg.mainEdit()->text(), main);
    QCOMPARE(dlg.partnerEdit()->text(), partner);
}

void DlgAddEditIcomTest::fillInTakesRepliesFromTheNetwork()
{
    IntercomDirs dirs;
    const std::uint16_t port = test::FreeUdpPort();
    CDlgAddEditIcom dlg(dirs.app, 3195, {}, {}, {}, nullptr, LoopbackOptions(port));
    QVERIFY(dlg.broadcastOpen());
    dlg.nameEdit()->setText(QStringLiteral("NET"));

    // A controller's answer arrives on the dialog's port.
    const auto message = comms::discoveryReplyMessage(Reply(u"NET", 0, true, 0x0A000102), 0xFFFF, 1,
                                                      false);
    std::vector<std::uint8_t> frame(message.size() * 2 + 4);
    frame.resize(comms::frameMessage(message, frame));
    QUdpSocket sender;
    QCOMPARE(sender.writeDatagram(reinterpret_cast<const char*>(frame.data()),
                                  qint64(frame.size()), QHostAddress::LocalHost, port),
             qint64(frame.size()));
    QTRY_VERIFY_WITH_TIMEOUT(
        (dlg.fillInFromReply(), dlg.mainEdit()->text() == QStringLiteral("127.0.0.1")), 5000);
    QCOMPARE(dlg.partnerEdit()->text(), QStringLiteral("10.0.1.2"));
}

void DlgAddEditIcomTest::fillInIsHiddenWhenThePortIsTaken()
{
    IntercomDirs dirs;
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
    CDlgAddEditIcom dlg(dirs.app, 3195, {}, {}, {}, nullptr, LoopbackOptions(holder.localPort()));
    dlg.show();
    dlg.nameEdit()->setText(QStringLiteral("ABCD"));
    QVERIFY(!dlg.broadcastOpen());
    QVERIFY(!dlg.fillInButton()->isVisible());
    QVERIFY(!dlg.fillInButton()->isEnabled());
    QVERIFY(dlg.okButton()->isEnabled());
}

void DlgAddEditIcomTest::forbiddenCharactersKeepTheDialogOpen()
{
    IntercomDirs dirs;
    for (const QChar c : QStringView(u":\\/*?\"<>|")) {
        PromptsTestScope prompts;
        Prompts::setNextAnswer(Prompts::Answer::Ok);
        CDlgAddEditIcom dlg(dirs.app, 3195, {}, {}, {}, nullptr, LoopbackOptions());
        dlg.show();
        dlg.nameEdit()->setText(QStringLiteral("A") + c);
        dlg.okButton()->click();
        QVERIFY2(dlg.isVisible(), qPrintable(QString(c)));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(Prompts::shownMessages().size(), 1);
        const auto& shown = Prompts::shownMessages().first();
        QCOMPARE(shown.text, QStringLiteral("The intercom name cannot contain any of the following "
                                            "characters:\n\n: \\ / * ? \" < > |"));
        QCOMPARE(shown.icon, Prompts::Icon::Error);
        QVERIFY(!QFile::exists(dirs.cfgFile(QStringLiteral("A") + c + QStringLiteral(".cfg"))));
    }
}

void DlgAddEditIcomTest::storedNameAndAddressesAreTidied()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, 3195, {}, {}, {}, nullptr, LoopbackOptions());
    dlg.show();
    QTest::keyClicks(dlg.nameEdit(), QStringLiteral(" ab"));
    // Not an IPv4 address: kept as typed, the link treats it as none.
    QTest::keyClicks(dlg.mainEdit(), QStringLiteral(" studio-a.local "));
    dlg.okButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.name(), QStringLiteral("AB"));
    QCOMPARE(dlg.mainAddress(), QStringLiteral("studio-a.local"));
    QCOMPARE(dlg.partnerAddress(), QStringLiteral("0.0.0.0"));
    QVERIFY(Prompts::shownMessages().isEmpty());
}

void DlgAddEditIcomTest::existingSettingsAreOnlyReplacedAfterAsking_data()
{
    QTest::addColumn<int>("titleId");
    QTest::addColumn<bool>("cfgExists");
    QTest::addColumn<bool>("resExists");
    QTest::addColumn<int>("answer");  // -1: no question expected
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("accepted");
    const QString overwrite = QStringLiteral(
        "Settings for ABCD already exist.\nAre you sure you want to overwrite them?");
    const int ok = int(Prompts::Answer::Ok);
    const int cancel = int(Prompts::Answer::Cancel);
    QTest::newRow("add, new") << 3195 << false << false << -1 << QString() << true;
    QTest::newRow("add, cfg exists, OK") << 3195 << true << false << ok << overwrite << true;
    QTest::newRow("add, res exists, Cancel") << 3195 << false << true << cancel << overwrite << false;
}

void DlgAddEditIcomTest::existingSettingsAreOnlyReplacedAfterAsking()
{
    QFETCH(int, titleId);
    QFETCH(bool, cfgExists);
    QFETCH(bool, resExists);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(bool, accepted);
    PromptsTestScope prompts;
    IntercomDirs dirs;
    dirs.app.intercomName = QStringLiteral("CURR");
    // Lower-case files still belong to ABCD.
    if (cfgExists)
        QVERIFY(dirs.writeCfg(QStringLiteral("abcd.cfg")));
    if (resExists)
        QVERIFY(dirs.writeRes(QStringLiteral("abcd.res")));
    if (answer >= 0)
        Prompts::setNextAnswer(Prompts::Answer(answer));
    CDlgAddEditIcom dlg(dirs.app, titleId, {}, {}, {}, nullptr, LoopbackOptions());
    dlg.show();
    dlg.nameEdit()->setText(QStringLiteral("abcd"));
    dlg.okButton()->click();
    QCOMPARE(dlg.result() == QDialog::Accepted, accepted);
    QCOMPARE(dlg.isVisible(), !accepted);
    if (answer < 0) {
        QVERIFY(Prompts::shownMessages().isEmpty());
        return;
    }
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const auto& shown = Prompts::shownMessages().first();
    QCOMPARE(shown.text, question);
    QCOMPARE(shown.icon, Prompts::Icon::Question);
    QCOMPARE(shown.buttons, Prompts::Buttons::OkCancel);
}

// Choosing an intercom that has settings shows its stored addresses, so that an unchanged form
// keeps them; typing another name takes them away again, but not what the user typed.
void DlgAddEditIcomTest::exportFormShowsTheStoredAddressesOfAKnownIntercom()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    dirs.app.intercomName = QStringLiteral("CURR");
    QVERIFY(dirs.writeCfg(QStringLiteral("abcd.cfg"), QStringLiteral("10.0.0.5"), QStringLiteral("10.0.0.6")));
    CDlgAddEditIcom dlg(dirs.app, 3205, {}, {}, {}, nullptr, LoopbackOptions());
    dlg.show();
    QVERIFY(dlg.mainEdit()->text().isEmpty());

    QTest::keyClicks(dlg.nameEdit(), QStringLiteral("abcd"));
    QCOMPARE(dlg.nameEdit()->text(), QStringLiteral("ABCD"));
    QCOMPARE(dlg.mainEdit()->text(), QStringLiteral("10.0.0.5"));
    QCOMPARE(dlg.partnerEdit()->text(), QStringLiteral("10.0.0.6"));

    QTest::keyClick(dlg.nameEdit(), Qt::Key_Backspace);
    QVERIFY(dlg.mainEdit()->text().isEmpty());
    QVERIFY(dlg.partnerEdit()->text().isEmpty());

    QTest::keyClicks(dlg.mainEdit(), QStringLiteral("10.1.1.1"));
    QTest::keyClicks(dlg.nameEdit(), QStringLiteral("x"));
    QCOMPARE(dlg.mainEdit()->text(), QStringLiteral("10.1.1.1"));

    dlg.nameEdit()->setText(QStringLiteral("Abcd"));
    QCOMPARE(dlg.mainEdit()->text(), QStringLiteral("10.0.0.5"));
    dlg.okButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(Prompts::shownMessages().isEmpty());
    QCOMPARE(dlg.name(), QStringLiteral("ABCD"));
    QCOMPARE(dlg.mainAddress(), QStringLiteral("10.0.0.5"));
    QCOMPARE(dlg.partnerAddress(), QStringLiteral("10.0.0.6"));
}

void DlgAddEditIcomTest::exportAsksOnlyAboutWhatItReplaces_data()
{
    QTest::addColumn<int>("cfg");  // 0 none, 1 readable, 2 unreadable
    QTest::addColumn<bool>("resExists");
    QTest::addColumn<QString>("typedMain");  // empty: as shown
    QTest::addColumn<int>("answer");         // -1: no question expected
    QTest::addColumn<QString>("replaced");
    QTest::addColumn<bool>("accepted");
    const int ok = int(Prompts::Answer::Ok);
    const int cancel = int(Prompts::Answer::Cancel);
    const QString res = QStringLiteral("- its restrictions file\n");
    QTest::newRow("new intercom") << 0 << false << QString() << -1 << QString() << true;
    QTest::newRow("settings kept as they are") << 1 << false << QString() << -1 << QString() << true;
    QTest::newRow("restrictions file, OK") << 1 << true << QString() << ok << res << true;
    QTest::newRow("addresses changed, Cancel")
        << 1 << false << QStringLiteral("10.0.0.9") << cancel
        << QStringLiteral("- its IP addresses: main 10.0.0.5 and partner 10.0.0.6 become main "
                          "10.0.0.9 and partner 0.0.0.0\n")
        << false;
    QTest::newRow("unreadable configuration")
        << 2 << true << QString() << ok
        << res + QStringLiteral("- its configuration file, which cannot be read\n") << true;
}

void DlgAddEditIcomTest::exportAsksOnlyAboutWhatItReplaces()
{
    QFETCH(int, cfg);
    QFETCH(bool, resExists);
    QFETCH(QString, typedMain);
    QFETCH(int, answer);
    QFETCH(QString, replaced);
    QFETCH(bool, accepted);
    PromptsTestScope prompts;
    IntercomDirs dirs;
    dirs.app.intercomName = QStringLiteral("CURR");
    if (cfg == 1)
        QVERIFY(dirs.writeCfg(QStringLiteral("abcd.cfg"), QStringLiteral("10.0.0.5"), QStringLiteral("10.0.0.6")));
    if (cfg == 2)
        QVERIFY(IntercomDirs::writeBytes(dirs.cfgFile(QStringLiteral("abcd.cfg")), "not a configuration"));
    if (resExists)
        QVERIFY(dirs.writeRes(QStringLiteral("abcd.res")));
    if (answer >= 0)
        Prompts::setNextAnswer(Prompts::Answer(answer));
    CDlgAddEditIcom dlg(dirs.app, 3205, {}, {}, {}, nullptr, LoopbackOptions());
    dlg.show();
    dlg.nameEdit()->setText(QStringLiteral("abcd"));
    if (!typedMain.isEmpty()) {
        dlg.mainEdit()->selectAll();
        QTest::keyClicks(dlg.mainEdit(), typedMain);
    }
    dlg.okButton()->click();
    QCOMPARE(dlg.result() == QDialog::Accepted, accepted);
    QCOMPARE(dlg.isVisible(), !accepted);
    if (answer < 0) {
        QVERIFY(Prompts::shownMessages().isEmpty());
        return;
    }
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const auto& shown = Prompts::shownMessages().first();
    QCOMPARE(shown.text, QStringLiteral("Settings for ABCD already exist. Exporting the restrictions "
                                        "of CURR replaces:\n\n")
                             + replaced + QStringLiteral("\nAre you sure you want to continue?"));
    QCOMPARE(shown.icon, Prompts::Icon::Question);
    QCOMPARE(shown.buttons, Prompts::Buttons::OkCancel);
}

void DlgAddEditIcomTest::exportToTheOpenIntercomIsRefused()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    dirs.app.intercomName = QStringLiteral("CURR");
    QVERIFY(dirs.writeCfg(QStringLiteral("CURR.cfg"), QStringLiteral("10.0.0.5")));
    CDlgAddEditIcom dlg(dirs.app, 3205, {}, {}, {}, nullptr, LoopbackOptions());
    dlg.show();
    dlg.nameEdit()->setText(QStringLiteral("curr"));
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    dlg.okButton()->click();
    QVERIFY(dlg.isVisible());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().first().text,
             QStringLiteral("CURR is the intercom that is open: Save Restrictions writes its "
                            "files.\nChoose another intercom to export to."));
    QCOMPARE(Prompts::shownMessages().first().icon, Prompts::Icon::Warning);
}

void DlgAddEditIcomTest::browseTakesTheChosenController()
{
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, 3195, {}, QStringLiteral("1.1.1.1"), QStringLiteral("1.1.1.2"),
                        nullptr, LoopbackOptions());
    dlg.show();
    QVERIFY(dlg.broadcastOpen());
    bool portClosedMeanwhile = false;
    WhenShown<CDlgSearchForIcom> choose([&](CDlgSearchForIcom& search) {
        portClosedMeanwhile = !dlg.broadcastOpen();
        search.addReply(Reply(u"stu1", 0x0A010203, true, 0x0A010204));
        search.tree()->setCurrentIndex(search.model()->index(0, 0));
        search.okButton()->click();
    });
    dlg.browseButton()->click();
    QVERIFY(choose.acted());
    QVERIFY(portClosedMeanwhile);
    QVERIFY(dlg.broadcastOpen());
    QCOMPARE(dlg.nameEdit()->text(), QStringLiteral("STU1"));
    QCOMPARE(dlg.mainEdit()->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(dlg.partnerEdit()->text(), QStringLiteral("10.1.2.4"));
    QVERIFY(dlg.okButton()->isEnabled());

    WhenShown<CDlgSearchForIcom> cancel([](CDlgSearchForIcom& search) { search.reject(); });
    dlg.browseButton()->click();
    QVERIFY(cancel.acted());
    QCOMPARE(dlg.nameEdit()->text(), QStringLiteral("STU1"));
    QCOMPARE(dlg.mainEdit()->text(), QStringLiteral("10.1.2.3"));
}

void DlgAddEditIcomTest::screenshot()
{
    IntercomDirs dirs;
    CDlgAddEditIcom dlg(dirs.app, 3195, QString(), QStringLiteral("192.168.10.20"),
                        QStringLiteral("192.168.10.21"), nullptr, LoopbackOptions());
    dlg.nameEdit()->setText(QStringLiteral("STU1"));
    dlg.show();
    QVERIFY(dlg.grab().save(QDir::temp().filePath(QStringLiteral("h10-addediticom.png"))));
}

QTEST_MAIN(DlgAddEditIcomTest)
#include "DlgAddEditIcomTest.moc"
