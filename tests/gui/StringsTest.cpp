#include "app/Strings.h"

#include <QObject>
#include <QTest>

namespace strings = vexilor::strings;

class StringsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Texts whose every character matters: blanks, quotes, backslashes and line breaks.
    void keepsTextsExactly_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("column heading with four blanks") << 3019 << QStringLiteral("Intercom    ");
        QTest::newRow("read-only") << 3173
            << QStringLiteral("This file is read-only.\nYou will not be able to save any changes.");
        QTest::newRow("forbidden characters") << 3218
            << QStringLiteral("The intercom name cannot contain any of the following characters:"
                              "\n\n: \\ / * ? \" < > |");
        QTest::newRow("shortcut spelling kept") << 3256
            << QStringLiteral("The shorcut name cannot contain any of the following characters:"
                              "\n\n: \\ / * ? \" < > |");
        QTest::newRow("quoted path") << 3241
            << QStringLiteral("\"%s\" does not exist.     \n\nPlease select a directory containing "
                              "Tovrin.EXE.     ");
        QTest::newRow("positional") << 3253 << QStringLiteral("%1/%2 Available");
        QTest::newRow("framework prompt") << 57600
            << QStringLiteral("Choose a different intercom\nChange Intercom");
        QTest::newRow("status indicator") << 59144 << QStringLiteral("Read-only");
    }
    void keepsTextsExactly()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        QVERIFY(strings::HasText(id));
        QCOMPARE(strings::Text(id), text);
    }

    // Every "%" in the table is a conversion the formatter fills, so no message shows a raw one.
    void everyConversionIsFilled()
    {
        for (const strings::Entry& e : strings::Table()) {
            const QString filled = strings::Text(
                e.id, {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i"});
            QVERIFY2(!filled.contains(u'%'),
                     qPrintable(QStringLiteral("string %1: %2").arg(e.id).arg(filled)));
        }
    }

    void formatsById()
    {
        QCOMPARE(strings::Text(3203, {u"File 'X.cfg' not found."}),
                 QStringLiteral("Error: File 'X.cfg' not found.\nChoose another intercom?"));
        QCOMPARE(strings::Text(3220, {u"NEW", u"OLD"}),
                 QStringLiteral("Settings for NEW already exist.\nAre you sure you want to "
                                "replace them with the settings for OLD?"));
        QCOMPARE(strings::Text(3277, {u"ABCD", u"WXYZ"}),
                 QStringLiteral("1) The IP address for ABCD is correct, but the intercom name has "
                                "been changed to WXYZ.     \n\n"));
    }

    void joinsTheWelcome()
    {
        const QString welcome = strings::JoinedTexts(3230, 3239);
        QVERIFY(welcome.startsWith(QStringLiteral("Welcome to the Vexilor for Tovrin!\n\n"
                                                  "As this appears")));
        QVERIFY(welcome.contains(QStringLiteral("(intercom configuration files)\n\n2) Select")));
        QVERIFY(welcome.endsWith(QStringLiteral("detected by broadcast\n")));
    }

    void missingIdIsVisible()
    {
        QVERIFY(!strings::HasText(3214));
        QVERIFY(!strings::HasText(0));
#ifdef QT_NO_DEBUG
        QCOMPARE(strings::Text(3214), QStringLiteral("<string 3214>"));
        QCOMPARE(strings::Text(9999, {u"x"}), QStringLiteral("<string 9999>"));
#else
        QSKIP("a missing id asserts in debug builds");
#endif
    }
};

QTEST_GUILESS_MAIN(StringsTest)
#include "StringsTest.moc"
