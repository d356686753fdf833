#include "app/TextFormat.h"

#include <QObject>
#include <QTest>

#include <cstdint>
#include <vector>

using vexilor::FormatArg;
using vexilor::FormatText;

namespace {

struct Case {
    const char* name;
    const char16_t* pattern;
    std::vector<FormatArg> args;
    const char16_t* expected;
};

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases{
        {"text", u"Error: %s", {u"bad file"}, u"Error: bad file"},
        {"two texts in order", u"Settings for %s ... settings for %s?", {u"ABCD", u"WXYZ"},
         u"Settings for ABCD ... settings for WXYZ?"},
        {"signed", u"[%d]:%s\n", {-12, u"oops"}, u"[-12]:oops\n"},
        {"%i is %d", u"%i", {7}, u"7"},
        {"unsigned of a negative int is its 32-bit pattern", u"%u", {-1}, u"4294967295"},
        {"%d of an unsigned int is signed", u"%d", {0xFFFFFFFFu}, u"-1"},
        {"64-bit unsigned stays whole", u"%u", {std::uint64_t{1} << 40}, u"1099511627776"},
        {"help id", u"Help ID: %lx - Style: %u", {0x20010u, 8u}, u"Help ID: 20010 - Style: 8"},
        {"hex of a negative int", u"%x", {-2}, u"fffffffe"},
        {"upper hex", u"%X", {255}, u"FF"},
        {"length modifiers", u"%ld %lu %llu %hu", {1, 2u, 3ull, 4}, u"1 2 3 4"},
        {"integer as %s", u"keres%s.dll", {1028}, u"keres1028.dll"},
        {"text as %d", u"%d", {u"n/a"}, u"n/a"},
        {"positional", u"%1/%2 Available", {3u, 7u}, u"3/7 Available"},
        {"positional out of order", u"(%2) before (%1)", {u"a", u"b"}, u"(b) before (a)"},
        {"positional repeated", u"%1 and %1", {u"x"}, u"x and x"},
        {"positional leaves the sequence alone", u"%1 %s %s", {u"a", u"b"}, u"a a b"},
        {"percent sign", u"100%% of %s", {u"it"}, u"100% of it"},
        {"missing argument kept", u"%s and %s", {u"one"}, u"one and %s"},
        {"missing positional kept", u"%3 %1", {u"one"}, u"%3 one"},
        {"unknown conversion kept", u"%q %5.2f", {1}, u"%q %5.2f"},
        {"lone percent at the end", u"50%", {}, u"50%"},
        {"arguments are not expanded again", u"%s %s", {u"%s", u"b"}, u"%s b"},
        {"positional argument not expanded again", u"%1 %2", {u"%2", u"b"}, u"%2 b"},
        {"no conversions", u"plain text", {u"unused"}, u"plain text"},
        {"empty pattern", u"", {1}, u""},
        {"non-ASCII text", u"%s \u00e9t\u00e9", {u"\u65e5\u672c"}, u"\u65e5\u672c \u00e9t\u00e9"},
    };
    return cases;
}

}  // namespace

class TextFormatTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fillsPatterns_data()
    {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < Cases().size(); ++i)
            QTest::newRow(Cases()[i].name) << static_cast<int>(i);
    }
    void fillsPatterns()
    {
        QFETCH(int, index);
        const Case& c = Cases()[static_cast<std::size_t>(index)];
        QCOMPARE(FormatText(QStringView(c.pattern), c.args), QString::fromUtf16(c.expected));
    }

    void initializerListForm()
    {
        const QString who = QStringLiteral("ABCD");
        QCOMPARE(FormatText(u"Kestova - %s (%u)", {who, 2u}), QStringLiteral("Kestova - ABCD (2)"));
    }
};

QTEST_GUILESS_MAIN(TextFormatTest)
#include "TextFormatTest.moc"
