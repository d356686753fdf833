#include "app/Prompts.h"
#include "support/PromptsTestScope.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <vexilor/Version.h>

using vexilor::Prompts;
using vexilor::test::PromptsTestScope;
using A = Prompts::Answer;
using B = Prompts::Buttons;
using I = Prompts::Icon;

Q_DECLARE_METATYPE(Prompts::Buttons)
Q_DECLARE_METATYPE(Prompts::Answer)

namespace {

// Collects what the seam reports as unanswered, in place of failing the test.
class UnansweredLog {
public:
    UnansweredLog()
    {
        Prompts::setTestMode(true);
        Prompts::setUnansweredHandler([this](const QString& what) { reports.append(what); });
    }
    ~UnansweredLog() { Prompts::setTestMode(false); }
    QStringList reports;
};

// Presses button on the next modal message box as soon as it is up, from the event loop it runs.
void PressOnNextBox(QMessageBox::StandardButton button, QString* seenCaption, QString* seenText,
                    QMessageBox::Icon* seenIcon)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        *seenCaption = box->windowTitle();
        *seenText = box->text();
        *seenIcon = box->icon();
        poll->deleteLater();
        box->button(button)->click();
    });
    poll->start();
}

}  // namespace

class PromptsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answersInOrderAndRecordsWhatWasShown()
    {
        PromptsTestScope scope;
        Prompts::setNextAnswer(A::Cancel);
        Prompts::setNextAnswer(A::Yes);

        QCOMPARE(Prompts::show(QStringLiteral("Error: x\nChoose another intercom?"), I::Error,
                               B::OkCancel),
                 A::Cancel);
        QCOMPARE(Prompts::show(QStringLiteral("Delete?"), I::Question, B::YesNo,
                               QStringLiteral("Select Intercom")),
                 A::Yes);

        const QList<Prompts::Message> expected{
            {QStringLiteral("Error: x\nChoose another intercom?"),
             QString::fromUtf8(vexilor::build::kProductName), I::Error, B::OkCancel},
            {QStringLiteral("Delete?"), QStringLiteral("Select Intercom"), I::Question, B::YesNo},
        };
        QCOMPARE(Prompts::shownMessages(), expected);
    }

    void dialogsTakeTheirOwnQueues()
    {
        PromptsTestScope scope;
        Prompts::setNextFileName(QStringLiteral("/tmp/out.res"));
        Prompts::setNextFolder(QStringLiteral("/srv/res"));
        Prompts::setNextFolder(QString());  // cancelled
        Prompts::setNextAnswer(A::Ok);

        QCOMPARE(Prompts::chooseFolder(QStringLiteral("Choose a directory"), QStringLiteral("/srv"),
                                       true),
                 QStringLiteral("/srv/res"));
        QCOMPARE(Prompts::show(QStringLiteral("Done"), I::Information), A::Ok);
        QCOMPARE(Prompts::chooseFolder(QStringLiteral("Tovrin"), QString(), false), QString());
        QCOMPARE(Prompts::chooseFile(Prompts::FileMode::Save, QStringLiteral("Export"),
                                     QStringLiteral("/tmp"),
                                     QStringLiteral("Restriction Files (*.res)")),
                 QStringLiteral("/tmp/out.res"));

        using K = Prompts::Dialog::Kind;
        const QList<Prompts::Dialog> expected{
            {K::Folder, QStringLiteral("Choose a directory"), QStringLiteral("/srv"), {}, true},
            {K::Folder, QStringLiteral("Tovrin"), {}, {}, false},
            {K::SaveFile, QStringLiteral("Export"), QStringLiteral("/tmp"),
             QStringLiteral("Restriction Files (*.res)"), false},
        };
        QCOMPARE(Prompts::shownDialogs(), expected);
        QCOMPARE(Prompts::shownMessages().size(), 1);
    }

    // Without a queued answer the seam reports the prompt and takes the box's way out.
    void unansweredPromptIsReported_data()
    {
        QTest::addColumn<Prompts::Buttons>("buttons");
        QTest::addColumn<Prompts::Answer>("wayOut");
        QTest::newRow("ok") << B::Ok << A::Ok;
        QTest::newRow("ok cancel") << B::OkCancel << A::Cancel;
        QTest::newRow("yes no") << B::YesNo << A::No;
        QTest::newRow("yes no cancel") << B::YesNoCancel << A::Cancel;
    }
    void unansweredPromptIsReported()
    {
        QFETCH(Prompts::Buttons, buttons);
        QFETCH(Prompts::Answer, wayOut);
        UnansweredLog log;
        QCOMPARE(Prompts::show(QStringLiteral("Replace it?"), I::Question, buttons), wayOut);
        QCOMPARE(log.reports, QStringList{QStringLiteral("message \"Replace it?\"")});
        QCOMPARE(Prompts::shownMessages().size(), 1);
    }

    void answerThatIsNotAButtonIsReported()
    {
        UnansweredLog log;
        Prompts::setNextAnswer(A::Yes);
        QCOMPARE(Prompts::show(QStringLiteral("Could not export the file."), I::Warning,
                               B::OkCancel),
                 A::Cancel);
        QCOMPARE(log.reports.size(), 1);
        QVERIFY(log.reports[0].contains(QStringLiteral("not one of its buttons")));
    }

    void unansweredDialogIsReportedAndCancelled()
    {
        UnansweredLog log;
        Prompts::setNextAnswer(A::Ok);  // a message answer never answers a dialog
        QCOMPARE(Prompts::chooseFile(Prompts::FileMode::Open, QStringLiteral("Open"), {}, {}),
                 QString());
        QCOMPARE(Prompts::chooseFolder(QStringLiteral("Folder"), {}, false), QString());
        QCOMPARE(log.reports, (QStringList{QStringLiteral("open dialog \"Open\""),
                                           QStringLiteral("folder dialog \"Folder\"")}));
        QCOMPARE(Prompts::pendingAnswers(), 1);
    }

    void leavingTestModeForgetsEverything()
    {
        {
            UnansweredLog log;
            Prompts::setNextAnswer(A::No);
            Prompts::setNextFolder(QStringLiteral("/x"));
            Prompts::setNextFileName(QStringLiteral("/y"));
            QCOMPARE(Prompts::show(QStringLiteral("a"), I::Question, B::YesNo), A::No);
            QCOMPARE(Prompts::pendingAnswers(), 2);
        }
        QVERIFY(!Prompts::testMode());
        QCOMPARE(Prompts::pendingAnswers(), 0);
        QVERIFY(Prompts::shownMessages().isEmpty());
    }

    // Outside test mode the real box comes up, modal, and its button becomes the answer.
    void programShowsARealMessageBox_data()
    {
        QTest::addColumn<Prompts::Buttons>("buttons");
        QTest::addColumn<int>("press");
        QTest::addColumn<Prompts::Answer>("answer");
        QTest::newRow("ok") << B::Ok << int(QMessageBox::Ok) << A::Ok;
        QTest::newRow("cancel") << B::OkCancel << int(QMessageBox::Cancel) << A::Cancel;
        QTest::newRow("yes") << B::YesNo << int(QMessageBox::Yes) << A::Yes;
        QTest::newRow("no") << B::YesNoCancel << int(QMessageBox::No) << A::No;
    }
    void programShowsARealMessageBox()
    {
        QFETCH(Prompts::Buttons, buttons);
        QFETCH(int, press);
        QFETCH(Prompts::Answer, answer);
        QVERIFY(!Prompts::testMode());

        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        PressOnNextBox(static_cast<QMessageBox::StandardButton>(press), &caption, &text, &icon);
        QCOMPARE(Prompts::show(QStringLiteral("Error: %s"), I::Error, buttons,
                               QStringLiteral("Vexilor test")),
                 answer);
        QCOMPARE(caption, QStringLiteral("Vexilor test"));
        QCOMPARE(text, QStringLiteral("Error: %s"));
        QCOMPARE(icon, QMessageBox::Critical);
        QVERIFY(Prompts::shownMessages().isEmpty());  // the program keeps no record
    }
};

QTEST_MAIN(PromptsTest)
#include "PromptsTest.moc"
