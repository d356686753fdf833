#include "IntercomListFixture.h"

#include "intercoms/DlgAddEditIcom.h"
#include "intercoms/DlgSelectIcom.h"
#include "intercoms/IntercomListModel.h"
#include "intercoms/SelectIntercom.h"
#include "support/PromptsTestScope.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace vexilor;
using vexilor::test::IntercomDirs;
using vexilor::test::LoopbackOptions;
using vexilor::test::PromptsTestScope;
using vexilor::test::WhenShown;

class SelectIntercomTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startIntercomOpensWithoutTheList();
    void cancelOpensNothing();
    void unreadableChoiceOffersAnotherRound();
    void unreadableChoiceThenCancel();
    void exportAsksBeforeReplacingAnotherIntercom();
    void exportCancelled();
};

void SelectIntercomTest::startIntercomOpensWithoutTheList()
{
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("abcd.cfg"), QStringLiteral("10.0.0.1")));
    dirs.app.startIntercomGiven = true;
    WhenShown<CDlgSelectIcom> never([](CDlgSelectIcom& dlg) { dlg.reject(); });
    const auto chosen = SelectIntercom(dirs.app, QStringLiteral("Abcd"), nullptr, LoopbackOptions());
    QVERIFY(!never.acted());
    QCOMPARE(chosen, std::optional<QString>(QStringLiteral("ABCD")));
    QVERIFY(!dirs.app.startIntercomGiven);
    QCOMPARE(dirs.app.startIntercomName, QStringLiteral("ABCD"));
    QCOMPARE(QString::fromStdU16String(dirs.app.intercom.name), QStringLiteral("ABCD"));
    QCOMPARE(QString::fromStdU16String(dirs.app.intercom.mainAddress), QStringLiteral("10.0.0.1"));
    QCOMPARE(dirs.app.intercom.keypanelCount, std::uint16_t(77));
}

void SelectIntercomTest::cancelOpensNothing()
{
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg"), QStringLiteral("10.0.0.1")));
    dirs.app.startIntercomGiven = true;  // a start name that is not listed shows the list
    dirs.app.startIntercomName = QStringLiteral("GONE");
    dirs.app.intercom.mainAddress = u"keep";
    bool nothingSelected = false;
    WhenShown<CDlgSelectIcom> cancel([&](CDlgSelectIcom& dlg) {
        nothingSelected = dlg.selectedName().isEmpty();
        dlg.cancelButton()->click();
    });
    QCOMPARE(SelectIntercom(dirs.app, QStringLiteral("GONE"), nullptr, LoopbackOptions()),
             std::nullopt);
    QVERIFY(cancel.acted());
    QVERIFY(nothingSelected);
    QVERIFY(!dirs.app.startIntercomGiven);
    QCOMPARE(dirs.app.startIntercomName, QStringLiteral("GONE"));
    QCOMPARE(QString::fromStdU16String(dirs.app.intercom.mainAddress), QStringLiteral("keep"));
}

void SelectIntercomTest::unreadableChoiceOffersAnotherRound()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg"), QStringLiteral("10.0.0.1")));
    QVERIFY(IntercomDirs::writeBytes(dirs.cfgFile(QStringLiteral("JUNK.cfg")), "garbage"));
    dirs.app.startIntercomGiven = true;
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    // The first round confirms JUNK by itself; the second is shown with JUNK still selected.
    QString preselectedInSecondRound;
    WhenShown<CDlgSelectIcom> secondRound([&](CDlgSelectIcom& dlg) {
        preselectedInSecondRound = dlg.selectedName();
        const QModelIndex abcd = dlg.model()->index(dlg.model()->rowOf(QStringLiteral("ABCD")), 0);
        dlg.view()->setCurrentIndex(abcd);
        dlg.okButton()->click();
    });
    const auto chosen = SelectIntercom(dirs.app, QStringLiteral("JUNK"), nullptr, LoopbackOptions());
    QVERIFY(secondRound.acted());
    QCOMPARE(preselectedInSecondRound, QStringLiteral("JUNK"));
    QCOMPARE(chosen, std::optional<QString>(QStringLiteral("ABCD")));
    QCOMPARE(dirs.app.startIntercomName, QStringLiteral("ABCD"));
    QCOMPARE(QString::fromStdU16String(dirs.app.intercom.mainAddress), QStringLiteral("10.0.0.1"));

    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message& shown = Prompts::shownMessages().first();
    QVERIFY2(shown.text.startsWith(QStringLiteral("Error: ")), qPrintable(shown.text));
    QVERIFY2(shown.text.endsWith(QStringLiteral("\nChoose another intercom?")), qPrintable(shown.text));
    QVERIFY(shown.text.size() > QStringLiteral("Error: \nChoose another intercom?").size());
    QCOMPARE(shown.icon, Prompts::Icon::Error);
    QCOMPARE(shown.buttons, Prompts::Buttons::OkCancel);
}

void SelectIntercomTest::unreadableChoiceThenCancel()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    QVERIFY(IntercomDirs::writeBytes(dirs.cfgFile(QStringLiteral("JUNK.cfg")), "garbage"));
    dirs.app.startIntercomGiven = true;
    dirs.app.intercom.mainAddress = u"keep";
    Prompts::setNextAnswer(Prompts::Answer::Cancel);
    WhenShown<CDlgSelectIcom> never([](CDlgSelectIcom& dlg) { dlg.reject(); });
    QCOMPARE(SelectIntercom(dirs.app, QStringLiteral("JUNK"), nullptr, LoopbackOptions()),
             std::nullopt);
    QVERIFY(!never.acted());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(QString::fromStdU16String(dirs.app.intercom.mainAddress), QStringLiteral("keep"));
}

void SelectIntercomTest::exportAsksBeforeReplacingAnotherIntercom()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    QVERIFY(dirs.writeRes(QStringLiteral("EFGH.res")));
    dirs.app.intercomName = QStringLiteral("ABCD");
    CIntercom current;
    current.name = u"ABCD";
    Prompts::setNextAnswer(Prompts::Answer::Cancel);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    WhenShown<CDlgAddEditIcom> fillIn([](CDlgAddEditIcom& dlg) {
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Export to Intercom"));
        QVERIFY(dlg.nameEdit()->text().isEmpty());
        QVERIFY(!dlg.nameEdit()->isReadOnly());
        QTest::keyClicks(dlg.nameEdit(), QStringLiteral("efgh"));
        QTest::keyClicks(dlg.mainEdit(), QStringLiteral("10.2.0.1"));
        dlg.okButton()->click();  // Cancel to the question: still open
        QVERIFY(dlg.isVisible());
        dlg.okButton()->click();
    });
    const auto target = ChooseExportTarget(dirs.app, current, nullptr, LoopbackOptions());
    QVERIFY(fillIn.acted());
    QVERIFY(target.has_value());
    QCOMPARE(target->name, QStringLiteral("EFGH"));
    QCOMPARE(target->mainAddress, QStringLiteral("10.2.0.1"));
    QCOMPARE(target->partnerAddress, QStringLiteral("0.0.0.0"));
    QCOMPARE(Prompts::shownMessages().size(), 2);
    QCOMPARE(Prompts::shownMessages().at(1).text,
             QStringLiteral("Settings for EFGH already exist. Exporting the restrictions of ABCD "
                            "replaces:\n\n- its restrictions file\n\nAre you sure you want to "
                            "continue?"));
}

void SelectIntercomTest::exportCancelled()
{
    IntercomDirs dirs;
    CIntercom current;
    current.name = u"ABCD";
    WhenShown<CDlgAddEditIcom> cancel([](CDlgAddEditIcom& dlg) {
        dlg.nameEdit()->setText(QStringLiteral("NEW"));
        dlg.cancelButton()->click();
    });
    QVERIFY(!ChooseExportTarget(dirs.app, current, nullptr, LoopbackOptions()).has_value());
    QVERIFY(cancel.acted());
    QVERIFY(!QFile::exists(dirs.cfgFile(QStringLiteral("NEW.cfg"))));
}

QTEST_MAIN(SelectIntercomTest)
#include "SelectIntercomTest.moc"
