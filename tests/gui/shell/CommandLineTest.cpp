#include "shell/CommandLineInfoEx.h"
#include "shell/Language.h"

#include <QTest>

using namespace vexilor;
using namespace Qt::StringLiterals;

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parses_data();
    void parses();
    void keepsEverySwitchInTheMap();
    void choosesTheLanguage_data();
    void choosesTheLanguage();
};

void CommandLineTest::parses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("intercom");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("noSplash");

    QTest::newRow("nothing") << QStringList{} << u""_s << u""_s << u""_s << false;
    QTest::newRow("plain name") << QStringList{u"NY1"_s} << u"NY1"_s << u""_s << u""_s << false;
    // The switch's value is also the first plain parameter.
    QTest::newRow("-i NAME") << QStringList{u"-i"_s, u"NY1"_s} << u"NY1"_s << u"NY1"_s << u""_s << false;
    QTest::newRow("/I NAME") << QStringList{u"/I"_s, u"LA"_s} << u"LA"_s << u"LA"_s << u""_s << false;
    QTest::newRow("i wins over I") << QStringList{u"-I"_s, u"AA"_s, u"-i"_s, u"BB"_s} << u"AA"_s << u"BB"_s << u""_s << false;
    QTest::newRow("first plain wins") << QStringList{u"ONE"_s, u"-i"_s, u"TWO"_s} << u"ONE"_s << u"TWO"_s << u""_s << false;
    // A locale number never becomes the intercom to open.
    QTest::newRow("-l 3076") << QStringList{u"-l"_s, u"3076"_s} << u""_s << u""_s << u"3076"_s << false;
    QTest::newRow("-L then name") << QStringList{u"-L"_s, u"1041"_s, u"NY1"_s} << u"NY1"_s << u""_s << u"1041"_s << false;
    QTest::newRow("l wins over L") << QStringList{u"-L"_s, u"1041"_s, u"-l"_s, u"1031"_s} << u""_s << u""_s << u"1031"_s << false;
    // A bare -i names no intercom (its map value is "TRUE").
    QTest::newRow("bare -i") << QStringList{u"-i"_s} << u""_s << u""_s << u""_s << false;
    QTest::newRow("nologo") << QStringList{u"-nologo"_s, u"-i"_s, u"X"_s} << u"X"_s << u"X"_s << u""_s << true;
    QTest::newRow("/nologo") << QStringList{u"/nologo"_s} << u""_s << u""_s << u""_s << true;
    QTest::newRow("NOLOGO is another switch") << QStringList{u"-NOLOGO"_s} << u""_s << u""_s << u""_s << false;
    QTest::newRow("automation") << QStringList{u"-Embedding"_s} << u""_s << u""_s << u""_s << true;
    // A value goes to the last switch only once.
    QTest::newRow("value then plain") << QStringList{u"-x"_s, u"v"_s, u"NAME"_s} << u"v"_s << u""_s << u""_s << false;
}

void CommandLineTest::parses()
{
    QFETCH(QStringList, args);
    const CCommandLineInfoEx info(args);
    QTEST(info.fileName(), "fileName");
    QTEST(info.intercomSwitch(), "intercom");
    QTEST(info.languageSwitch(), "language");
    QTEST(info.noSplash(), "noSplash");
}

void CommandLineTest::keepsEverySwitchInTheMap()
{
    const CCommandLineInfoEx info({u"-x"_s, u"v"_s, u"NAME"_s, u"-y"_s, u"/z"_s, u"w"_s});
    QCOMPARE(info.switches().size(), 3);
    QCOMPARE(info.switchValue(u"x"_s), u"v"_s);
    QCOMPARE(info.switchValue(u"y"_s), u"TRUE"_s);
    QCOMPARE(info.switchValue(u"z"_s), u"w"_s);
    QVERIFY(!info.hasSwitch(u"NAME"_s));
    QVERIFY(!info.hasSwitch(u"X"_s));
}

void CommandLineTest::choosesTheLanguage_data()
{
    QTest::addColumn<unsigned>("thread");
    QTest::addColumn<QString>("switchValue");
    QTest::addColumn<unsigned>("locale");
    QTest::addColumn<unsigned>("library");

    QTest::newRow("thread locale") << 1033u << u""_s << 1033u << 1033u;
    QTest::newRow("switch wins") << 1033u << u"1041"_s << 1041u << 1041u;
    QTest::newRow("Hong Kong") << 1033u << u"3076"_s << 3076u << 1028u;
    QTest::newRow("Macao") << 1033u << u"5124"_s << 5124u << 1028u;
    QTest::newRow("Singapore") << 1033u << u"4100"_s << 4100u << 2052u;
    QTest::newRow("thread Hong Kong") << 3076u << u""_s << 3076u << 1028u;
    QTest::newRow("zero ignored") << 1031u << u"0"_s << 1031u << 1031u;
    QTest::newRow("not a number") << 1031u << u"de"_s << 1031u << 1031u;
    QTest::newRow("hex not taken") << 1031u << u"0x411"_s << 1031u << 1031u;
}

void CommandLineTest::choosesTheLanguage()
{
    QFETCH(unsigned, thread);
    QFETCH(QString, switchValue);
    const LanguageChoice choice = ChooseLanguage(thread, switchValue);
    QTEST(choice.localeId, "locale");
    QTEST(choice.libraryId, "library");
}

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
