#include "app/AppState.h"
#include "shell/Help.h"
#include "support/PromptsTestScope.h"
#include "vexilor/Version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::PromptsTestScope;

namespace {

// Boxes without a caption of their own carry the product name.
const QString kCaption = QString::fromUtf8(build::kProductName);

QStringList g_opened;

bool RecordOpen(const QString& file)
{
    g_opened << file;
    return true;
}

QString ReadText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Every place and dialog that asks for help by its context.
const QList<int> kContexts = {301, 303, 304, 305, 307, 309, 310, 311, 312, 313, 314, 315, 316,
                              317, 318, 321, 322, 323, 324, 325, 326, 327, 328, 332, 333};

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void findsFilesBesideInstalledOrInTheSourceTree_data();
    void findsFilesBesideInstalledOrInTheSourceTree();
    void everyContextHasALinkedPage();
    void pagesLinkOnlyToPagesThatExist();
    void helpRequests_data();
    void helpRequests();
    void contentsUsingHelpAndReleaseNotes();

private:
    UrlOpener previous_ = nullptr;
};

void HelpTest::init()
{
    g_opened.clear();
    previous_ = SetHelpOpener(&RecordOpen);
}

void HelpTest::cleanup()
{
    SetHelpOpener(previous_);
}

void HelpTest::findsFilesBesideInstalledOrInTheSourceTree_data()
{
    QTest::addColumn<QStringList>("present");  // folders made under the temporary root
    QTest::addColumn<QString>("expected");     // relative to the root; empty: none

    QTest::newRow("beside the program wins")
        << QStringList{u"prefix/bin/help"_s, u"prefix/share/vexilor/help"_s, u"src/res/help"_s}
        << u"prefix/bin/help"_s;
    QTest::newRow("installed under share")
        << QStringList{u"prefix/share/vexilor/help"_s, u"src/res/help"_s} << u"prefix/share/vexilor/help"_s;
    QTest::newRow("source tree for a build tree") << QStringList{u"src/res/help"_s} << u"src/res/help"_s;
    QTest::newRow("nowhere") << QStringList{} << QString();
}

void HelpTest::findsFilesBesideInstalledOrInTheSourceTree()
{
    QFETCH(QStringList, present);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QDir dir(root.path());
    QVERIFY(dir.mkpath(u"prefix/bin"_s));
    for (const QString& p : present)
        QVERIFY(dir.mkpath(p));
    const QString found = FindProgramFile(dir.filePath(u"prefix/bin"_s), u"help"_s, dir.filePath(u"src/res"_s));
    QCOMPARE(found, expected.isEmpty() ? QString() : QDir::cleanPath(dir.absoluteFilePath(expected)));
}

void HelpTest::everyContextHasALinkedPage()
{
    const QString dir = HelpDirectory();
    QVERIFY2(!dir.isEmpty(), "no help pages found for this build");
    const QString index = ReadText(QDir(dir).filePath(u"index.html"_s));
    QVERIFY(index.contains(u"using-help.html"_s));
    for (const int context : kContexts) {
        const QString file = HelpTopicFile(dir, context);
        const QString text = ReadText(file);
        QVERIFY2(!text.isEmpty(), qPrintable(file));
        QVERIFY2(index.contains(QFileInfo(file).fileName()), qPrintable(u"index lacks "_s + file));
        QVERIFY2(QRegularExpression(u"<title>[^<]+</title>"_s).match(text).hasMatch(), qPrintable(file));
        QVERIFY2(text.contains(u"help.css"_s), qPrintable(file));
    }
}

void HelpTest::pagesLinkOnlyToPagesThatExist()
{
    const QDir dir(HelpDirectory());
    QVERIFY(dir.exists(u"help.css"_s));
    const QRegularExpression href(u"(?:href|src)=\"([^\"#:]+)(?:#[^\"]*)?\""_s);
    QSet<QString> broken;
    for (const QString& page : dir.entryList({u"*.html"_s}, QDir::Files)) {
        const QString text = ReadText(dir.filePath(page));
        for (auto it = href.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (!QFileInfo::exists(dir.filePath(target)))
                broken << page + u" -> "_s + target;
        }
    }
    QVERIFY2(broken.isEmpty(), qPrintable(QStringList(broken.values()).join(u", "_s)));
}

void HelpTest::helpRequests_data()
{
    QTest::addColumn<bool>("launch");
    QTest::addColumn<bool>("popup");
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("opened");   // file name, empty: nothing opened
    QTest::addColumn<QString>("message");  // empty: none

    QTest::newRow("tab page") << true << false << 317 << u"ctx-317.html"_s << QString();
    QTest::newRow("dialog by full id") << true << false << 0x20000 + 307 << u"ctx-307.html"_s << QString();
    QTest::newRow("context without a page: contents") << true << false << 999 << u"index.html"_s << QString();
    QTest::newRow("no context") << true << false << 0 << QString() << QString();
    QTest::newRow("help switched off") << false << false << 317 << QString() << QString();
    QTest::newRow("id shown first") << true << true << 326 << u"ctx-326.html"_s
                                    << u"Help ID: 20146 - Style: 1"_s;
    QTest::newRow("id shown even when switched off") << false << true << 321 << QString()
                                                     << u"Help ID: 20141 - Style: 1"_s;
    QTest::newRow("no context: a pop-up request") << true << true << 0 << QString()
                                                  << u"Help ID: 0 - Style: 8"_s;
    QTest::newRow("control id: a pop-up request") << true << true << 0x30005 << u"index.html"_s
                                                  << u"Help ID: 30005 - Style: 8"_s;
}

void HelpTest::helpRequests()
{
    QFETCH(bool, launch);
    QFETCH(bool, popup);
    QFETCH(int, context);
    QFETCH(QString, opened);
    QFETCH(QString, message);

    CAppState app;
    app.prefs.launchHelp = launch;
    app.prefs.popupHelpId = popup;
    PromptsTestScope prompts;
    if (!message.isEmpty())
        Prompts::setNextAnswer(Prompts::Answer::Ok);
    QCOMPARE(ShowHelp(app, context, nullptr), !opened.isEmpty());

    QCOMPARE(g_opened.size(), opened.isEmpty() ? 0 : 1);
    if (!opened.isEmpty())
        QCOMPARE(g_opened.at(0), QDir(HelpDirectory()).filePath(opened));
    QList<Prompts::Message> expected;
    if (!message.isEmpty())
        expected << Prompts::Message{message, kCaption, Prompts::Icon::Warning, Prompts::Buttons::Ok};
    QCOMPARE(Prompts::shownMessages(), expected);
}

void HelpTest::contentsUsingHelpAndReleaseNotes()
{
    CAppState app;
    PromptsTestScope prompts;
    const QDir dir(HelpDirectory());
    QVERIFY(ShowHelpContents(app, nullptr));
    QVERIFY(ShowUsingHelp(app, nullptr));
    QVERIFY(ShowReleaseNotes(nullptr));
    QCOMPARE(g_opened.size(), 3);
    QCOMPARE(g_opened.at(0), dir.filePath(u"index.html"_s));
    QCOMPARE(g_opened.at(1), dir.filePath(u"using-help.html"_s));
    QCOMPARE(QFileInfo(g_opened.at(2)).fileName(), u"WHATSNEW.HTM"_s);
    QVERIFY(ReadText(g_opened.at(2)).contains(u"2.0.0"_s));

    app.prefs.launchHelp = false;
    QVERIFY(!ShowHelpContents(app, nullptr));
    QVERIFY(!ShowUsingHelp(app, nullptr));
    QCOMPARE(g_opened.size(), 3);
    QVERIFY(Prompts::shownMessages().isEmpty());
}

QTEST_MAIN(HelpTest)
#include "HelpTest.moc"
