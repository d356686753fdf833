#include "IntercomListFixture.h"

#include "app/SettingsStore.h"
#include "intercom/ConfigurationFile.h"
#include "intercoms/DlgAddEditIcom.h"
#include "intercoms/DlgSelectIcom.h"
#include "intercoms/IntercomListModel.h"
#include "support/PromptsTestScope.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::IntercomDirs;
using vexilor::test::LoopbackOptions;
using vexilor::test::PromptsTestScope;
using vexilor::test::WhenShown;

namespace {

QStringList Column(const CIntercomListModel& model, int column, int role = Qt::DisplayRole)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.index(row, column).data(role).toString();
    return out;
}

void Select(CDlgSelectIcom& dlg, const QString& name)
{
    const int row = dlg.model()->rowOf(name);
    QVERIFY(row >= 0);
    const QModelIndex index = dlg.model()->index(row, 1);
    QTest::mouseClick(dlg.view()->viewport(), Qt::LeftButton, {},
                      dlg.view()->visualRect(index).center());
}

CIntercom Load(const QString& path)
{
    CIntercom icom;
    LoadConfigurationFile(icom, path.toStdU16String());
    return icom;
}

}  // namespace

class DlgSelectIcomTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsConfigurationFilesWithTheirRestrictionsFiles();
    void buttonsFollowTheSelection();
    void confirmsItselfOnlyForAListedStartIntercom_data();
    void confirmsItselfOnlyForAListedStartIntercom();
    void activatingARowConfirmsIt_data();
    void activatingARowConfirmsIt();
    void deleteRemovesBothFilesOnlyAfterYes();
    void defaultTogglesAndIsStoredAtOnce();
    void addWritesANewConfiguration();
    void addThatCannotWriteLeavesTheListAlone();
    void editReplacesOnlyTheAddresses();
    void editOfAnUnreadableFileShowsTheReadersError();
    void screenshot();
};

void DlgSelectIcomTest::listsConfigurationFilesWithTheirRestrictionsFiles()
{
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("efgh.cfg")));
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg")));
    QVERIFY(IntercomDirs::writeBytes(dirs.cfgFile(QStringLiteral("junk.CFG")), "not a configuration"));
    QVERIFY(IntercomDirs::writeBytes(dirs.cfgFile(QStringLiteral("note.txt")), "x"));
    QVERIFY(QDir(dirs.app.prefs.cfgFilesDirectory).mkdir(QStringLiteral("dir.cfg")));
    QVERIFY(dirs.writeRes(QStringLiteral("EFGH.res")));
    QVERIFY(dirs.writeRes(QStringLiteral("junk.res")));
    dirs.app.settings->writeString(SettingKey::DefaultIntercom, QStringLiteral("efgh"));

    CDlgSelectIcom dlg(dirs.app, false, {}, nullptr);
    QAbstractItemModelTester tester(dlg.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const CIntercomListModel& model = *dlg.model();
    QCOMPARE(Column(model, 0), (QStringList{u"ABCD"_s, u"EFGH"_s, u"JUNK"_s}));
    QCOMPARE(Column(model, 1), (QStringList{u"-"_s, u"OK"_s, u"OK"_s}));
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Intercom    "));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("File?"));
    QCOMPARE(Column(model, 0, CIntercomListModel::IsDefaultRole),
             (QStringList{u"false"_s, u"true"_s, u"false"_s}));
    const auto icon = [&](int row, int column) {
        return model.index(row, column).data(Qt::DecorationRole).value<QIcon>();
    };
    const qint64 star = CIntercomListModel::defaultIcon().cacheKey();
    QCOMPARE(icon(1, 0).cacheKey(), star);
    QVERIFY(icon(0, 0).cacheKey() != star);
    QVERIFY(icon(2, 0).cacheKey() != star);
    QVERIFY(icon(1, 1).isNull());
    QVERIFY(dlg.selectedName().isEmpty());
}

void DlgSelectIcomTest::buttonsFollowTheSelection()
{
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg")));
    QVERIFY(dirs.writeCfg(QStringLiteral("CURR.cfg")));
    dirs.app.intercomName = QStringLiteral("curr");
    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("nope"), nullptr);
    dlg.show();
    struct State {
        bool ok, edit, del, okDefault;
    };
    const auto check = [&](const QString& selected, State want) {
        QCOMPARE(dlg.selectedName(), selected);
        QCOMPARE(dlg.okButton()->isEnabled(), want.ok);
        QCOMPARE(dlg.editButton()->isEnabled(), want.edit);
        QCOMPARE(dlg.deleteButton()->isEnabled(), want.del);
        QCOMPARE(dlg.okButton()->isDefault(), want.okDefault);
        QCOMPARE(dlg.addButton()->isDefault(), !want.okDefault);
        QVERIFY(dlg.addButton()->isEnabled());
        QVERIFY(dlg.defaultButton()->isEnabled());
    };
    check({}, {false, false, false, false});
    Select(dlg, QStringLiteral("ABCD"));
    check(QStringLiteral("ABCD"), {true, true, true, true});
    Select(dlg, QStringLiteral("CURR"));  // the open intercom cannot be deleted
    check(QStringLiteral("CURR"), {true, true, false, true});
    QTest::mouseClick(dlg.view()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      dlg.view()->visualRect(dlg.model()->index(1, 0)).center());
    check({}, {false, false, false, false});
}

void DlgSelectIcomTest::confirmsItselfOnlyForAListedStartIntercom_data()
{
    QTest::addColumn<bool>("autoConfirm");
    QTest::addColumn<QString>("preselect");
    QTest::addColumn<bool>("confirms");
    QTest::addColumn<QString>("selected");
    QTest::newRow("flag and listed name") << true << QStringLiteral(" abcd ") << true
                                          << QStringLiteral("ABCD");
    QTest::newRow("flag, name not listed") << true << QStringLiteral("ZZZZ") << false << QString();
    QTest::newRow("flag, no name") << true << QString() << false << QString();
    QTest::newRow("listed name without flag") << false << QStringLiteral("ABCD") << false
                                              << QStringLiteral("ABCD");
}

void DlgSelectIcomTest::confirmsItselfOnlyForAListedStartIntercom()
{
    QFETCH(bool, autoConfirm);
    QFETCH(QString, preselect);
    QFETCH(bool, confirms);
    QFETCH(QString, selected);
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg")));
    QVERIFY(dirs.writeCfg(QStringLiteral("EFGH.cfg")));
    CDlgSelectIcom dlg(dirs.app, autoConfirm, preselect, nullptr);
    QCOMPARE(dlg.confirmsAtOnce(), confirms);
    QCOMPARE(dlg.selectedName(), selected);
    bool seen = false;
    WhenShown<CDlgSelectIcom> closer([&](CDlgSelectIcom& shown) {
        seen = true;
        shown.reject();
    });
    const int result = dlg.exec();
    QCOMPARE(seen, !confirms);
    QCOMPARE(result, int(confirms ? QDialog::Accepted : QDialog::Rejected));
}

void DlgSelectIcomTest::activatingARowConfirmsIt_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("double click") << true;
    QTest::newRow("Return in the list") << false;
}

void DlgSelectIcomTest::activatingARowConfirmsIt()
{
    QFETCH(bool, doubleClick);
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg")));
    QVERIFY(dirs.writeCfg(QStringLiteral("EFGH.cfg")));
    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("ABCD"), nullptr);
    WhenShown<CDlgSelectIcom> pick([&](CDlgSelectIcom& shown) {
        QWidget* viewport = shown.view()->viewport();
        const QPoint at = shown.view()->visualRect(shown.model()->index(1, 0)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        if (doubleClick) {
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        } else {
            shown.view()->setFocus();
            QTest::keyClick(shown.view(), Qt::Key_Return);
        }
        if (shown.isVisible())
            shown.reject();  // never hang on an activation that did not confirm
    });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(dlg.selectedName(), QStringLiteral("EFGH"));
}

void DlgSelectIcomTest::deleteRemovesBothFilesOnlyAfterYes()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("abcd.cfg")));
    QVERIFY(dirs.writeRes(QStringLiteral("ABCD.res")));
    QVERIFY(dirs.writeCfg(QStringLiteral("EFGH.cfg")));
    QVERIFY(dirs.writeRes(QStringLiteral("EFGH.res")));
    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("ABCD"), nullptr);
    dlg.show();

    Prompts::setNextAnswer(Prompts::Answer::No);
    dlg.deleteButton()->click();
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message& question = Prompts::shownMessages().first();
    QCOMPARE(question.text,
             QStringLiteral("Are you sure you want to delete the intercom named 'ABCD'?"));
    QCOMPARE(question.icon, Prompts::Icon::Question);
    QCOMPARE(question.buttons, Prompts::Buttons::YesNo);
    QVERIFY(QFile::exists(dirs.cfgFile(QStringLiteral("abcd.cfg"))));
    QVERIFY(QFile::exists(dirs.resFile(QStringLiteral("ABCD.res"))));
    QCOMPARE(dlg.selectedName(), QStringLiteral("ABCD"));

    Prompts::setNextAnswer(Prompts::Answer::Yes);
    dlg.deleteButton()->click();
    QVERIFY(!QFile::exists(dirs.cfgFile(QStringLiteral("abcd.cfg"))));
    QVERIFY(!QFile::exists(dirs.resFile(QStringLiteral("ABCD.res"))));
    QVERIFY(QFile::exists(dirs.cfgFile(QStringLiteral("EFGH.cfg"))));
    QVERIFY(QFile::exists(dirs.resFile(QStringLiteral("EFGH.res"))));
    QCOMPARE(Column(*dlg.model(), 0), QStringList{QStringLiteral("EFGH")});
    QVERIFY(dlg.selectedName().isEmpty());
    QVERIFY(!dlg.deleteButton()->isEnabled());

    // An intercom without a restrictions file loses its configuration file alone.
    Select(dlg, QStringLiteral("EFGH"));
    QVERIFY(QFile::remove(dirs.resFile(QStringLiteral("EFGH.res"))));
    Prompts::setNextAnswer(Prompts::Answer::Yes);
    dlg.deleteButton()->click();
    QCOMPARE(dlg.model()->rowCount(), 0);
}

void DlgSelectIcomTest::defaultTogglesAndIsStoredAtOnce()
{
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg")));
    QVERIFY(dirs.writeCfg(QStringLiteral("EFGH.cfg")));
    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("EFGH"), nullptr);
    dlg.show();
    const auto defaults = [&] { return Column(*dlg.model(), 0, CIntercomListModel::IsDefaultRole); };

    dlg.defaultButton()->click();
    QCOMPARE(dirs.app.settings->readString(SettingKey::DefaultIntercom), QStringLiteral("EFGH"));
    QCOMPARE(defaults(), (QStringList{u"false"_s, u"true"_s}));
    QCOMPARE(dlg.selectedName(), QStringLiteral("EFGH"));

    Select(dlg, QStringLiteral("ABCD"));
    dlg.defaultButton()->click();
    QCOMPARE(dirs.app.settings->readString(SettingKey::DefaultIntercom), QStringLiteral("ABCD"));
    QCOMPARE(defaults(), (QStringList{u"true"_s, u"false"_s}));

    dlg.defaultButton()->click();  // the default again: cleared, no icon left
    QCOMPARE(dirs.app.settings->readString(SettingKey::DefaultIntercom), QString());
    QCOMPARE(defaults(), (QStringList{u"false"_s, u"false"_s}));
    QVERIFY(dlg.model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey()
            != CIntercomListModel::defaultIcon().cacheKey());

    dirs.app.settings->writeString(SettingKey::DefaultIntercom, QStringLiteral("EFGH"));
    dlg.fill({});
    dlg.defaultButton()->click();  // nothing selected: no default
    QCOMPARE(dirs.app.settings->readString(SettingKey::DefaultIntercom), QString());
}

void DlgSelectIcomTest::addWritesANewConfiguration()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg")));
    CDlgSelectIcom dlg(dirs.app, false, {}, nullptr);
    dlg.setSearchOptions(LoopbackOptions());
    WhenShown<CDlgAddEditIcom> fillIn([](CDlgAddEditIcom& add) {
        QCOMPARE(add.windowTitle(), QStringLiteral("Add Intercom"));
        QTest::keyClicks(add.nameEdit(), QStringLiteral(" new"));
        QTest::keyClicks(add.mainEdit(), QStringLiteral("10.1.1.1"));
        add.okButton()->click();
    });
    dlg.addButton()->click();
    QVERIFY(fillIn.acted());
    QCOMPARE(Column(*dlg.model(), 0), (QStringList{u"ABCD"_s, u"NEW"_s}));
    QCOMPARE(dlg.selectedName(), QStringLiteral("NEW"));
    const CIntercom written = Load(dirs.cfgFile(QStringLiteral("NEW.cfg")));
    QCOMPARE(QString::fromStdU16String(written.mainAddress), QStringLiteral("10.1.1.1"));
    QCOMPARE(QString::fromStdU16String(written.partnerAddress), QStringLiteral("0.0.0.0"));
    QVERIFY(!written.partnerActive);
    QCOMPARE(written.keypanelCount, CIntercom{}.keypanelCount);
    QVERIFY(Prompts::shownMessages().isEmpty());

    // Cancel writes nothing.
    WhenShown<CDlgAddEditIcom> cancel([](CDlgAddEditIcom& add) {
        add.nameEdit()->setText(QStringLiteral("XY"));
        add.cancelButton()->click();
    });
    dlg.addButton()->click();
    QVERIFY(cancel.acted());
    QCOMPARE(dlg.model()->rowCount(), 2);
    QVERIFY(!QFile::exists(dirs.cfgFile(QStringLiteral("XY.cfg"))));
}

void DlgSelectIcomTest::addThatCannotWriteLeavesTheListAlone()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("ABCD.cfg")));
    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("ABCD"), nullptr);
    dlg.setSearchOptions(LoopbackOptions());
    // The directory is gone by the time the file is written.
    dirs.app.prefs.cfgFilesDirectory += QStringLiteral("/missing");
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    WhenShown<CDlgAddEditIcom> fillIn([](CDlgAddEditIcom& add) {
        add.nameEdit()->setText(QStringLiteral("NEW"));
        add.okButton()->click();
    });
    dlg.addButton()->click();
    QVERIFY(fillIn.acted());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QVERIFY2(Prompts::shownMessages().first().text.startsWith(QStringLiteral("Error: ")),
             qPrintable(Prompts::shownMessages().first().text));
    QVERIFY(Prompts::shownMessages().first().text.size() > 7);
    QCOMPARE(Prompts::shownMessages().first().icon, Prompts::Icon::Error);
    QCOMPARE(Column(*dlg.model(), 0), QStringList{QStringLiteral("ABCD")});
    QCOMPARE(dlg.selectedName(), QStringLiteral("ABCD"));
}

void DlgSelectIcomTest::editReplacesOnlyTheAddresses()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    QVERIFY(dirs.writeCfg(QStringLiteral("abcd.cfg"), QStringLiteral("10.0.0.1"),
                          QStringLiteral("10.0.0.2")));
    QVERIFY(dirs.writeCfg(QStringLiteral("CURR.cfg"), QStringLiteral("10.9.0.1")));
    dirs.app.intercomName = QStringLiteral("CURR");
    dirs.app.intercom = Load(dirs.cfgFile(QStringLiteral("CURR.cfg")));
    const CIntercom before = Load(dirs.cfgFile(QStringLiteral("abcd.cfg")));

    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("ABCD"), nullptr);
    dlg.setSearchOptions(LoopbackOptions());
    dlg.show();
    WhenShown<CDlgAddEditIcom> retype([](CDlgAddEditIcom& edit) {
        QCOMPARE(edit.windowTitle(), QStringLiteral("Edit Intercom IP Address"));
        QCOMPARE(edit.nameEdit()->text(), QStringLiteral("ABCD"));
        QCOMPARE(edit.mainEdit()->text(), QStringLiteral("10.0.0.1"));
        QCOMPARE(edit.partnerEdit()->text(), QStringLiteral("10.0.0.2"));
        edit.mainEdit()->setFocus();
        QTest::keyClick(edit.mainEdit(), Qt::Key_End);
        QTest::keyClicks(edit.mainEdit(), QStringLiteral("5"));
        edit.okButton()->click();
    });
    dlg.editButton()->click();
    QVERIFY(retype.acted());
    // The existing lower-case file is the one rewritten; no second file appears.
    QVERIFY(!QFile::exists(dirs.cfgFile(QStringLiteral("ABCD.cfg"))));
    CIntercom after = Load(dirs.cfgFile(QStringLiteral("abcd.cfg")));
    QCOMPARE(QString::fromStdU16String(after.mainAddress), QStringLiteral("10.0.0.15"));
    QCOMPARE(QString::fromStdU16String(after.partnerAddress), QStringLiteral("0.0.0.0"));
    QVERIFY(!after.partnerActive);
    after.mainAddress = before.mainAddress;
    after.partnerAddress = before.partnerAddress;
    after.partnerActive = before.partnerActive;
    QVERIFY(ConfigurationFileBytes(after) == ConfigurationFileBytes(before));
    QCOMPARE(dlg.selectedName(), QStringLiteral("ABCD"));

    // Editing the open intercom also changes the configuration the next save writes.
    Select(dlg, QStringLiteral("CURR"));
    WhenShown<CDlgAddEditIcom> retypeCurrent([](CDlgAddEditIcom& edit) {
        edit.mainEdit()->setText(QStringLiteral("10.9.0.7"));
        edit.okButton()->click();
    });
    dlg.editButton()->click();
    QVERIFY(retypeCurrent.acted());
    QCOMPARE(QString::fromStdU16String(dirs.app.intercom.mainAddress), QStringLiteral("10.9.0.7"));
    QCOMPARE(QString::fromStdU16String(
                 Load(dirs.cfgFile(QStringLiteral("CURR.cfg"))).mainAddress),
             QStringLiteral("10.9.0.7"));
}

void DlgSelectIcomTest::editOfAnUnreadableFileShowsTheReadersError()
{
    PromptsTestScope prompts;
    IntercomDirs dirs;
    const QByteArray junk("this is not a configuration file");
    QVERIFY(IntercomDirs::writeBytes(dirs.cfgFile(QStringLiteral("JUNK.cfg")), junk));
    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("JUNK"), nullptr);
    dlg.setSearchOptions(LoopbackOptions());
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    WhenShown<CDlgAddEditIcom> never([](CDlgAddEditIcom& edit) { edit.reject(); });
    dlg.editButton()->click();
    QVERIFY(!never.acted());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message shown = Prompts::shownMessages().first();
    CIntercom probe;
    QVERIFY(!LoadConfigurationFile(probe, dirs.cfgFile(QStringLiteral("JUNK.cfg")).toStdU16String()));
    QCOMPARE(shown.text, QStringLiteral("Error: ") + QString::fromStdU16String(probe.messages.back()));
    QCOMPARE(shown.icon, Prompts::Icon::Error);
    QFile file(dirs.cfgFile(QStringLiteral("JUNK.cfg")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), junk);
}

void DlgSelectIcomTest::screenshot()
{
    IntercomDirs dirs;
    for (const char* name : {"ABCD", "STU1", "OB3", "MCR"})
        QVERIFY(dirs.writeCfg(QString::fromLatin1(name) + QStringLiteral(".cfg")));
    QVERIFY(dirs.writeRes(QStringLiteral("STU1.res")));
    QVERIFY(dirs.writeRes(QStringLiteral("MCR.res")));
    dirs.app.settings->writeString(SettingKey::DefaultIntercom, QStringLiteral("STU1"));
    CDlgSelectIcom dlg(dirs.app, false, QStringLiteral("MCR"), nullptr);
    dlg.show();
    QVERIFY(dlg.grab().save(QDir::temp().filePath(QStringLiteral("h10-selecticom.png"))));
}

QTEST_MAIN(DlgSelectIcomTest)
#include "DlgSelectIcomTest.moc"
