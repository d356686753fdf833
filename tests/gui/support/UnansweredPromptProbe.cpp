// Not a test of its own: ctest runs it and expects both tests to fail by name, proving that an
// unanswered prompt fails the test that raised it (and never blocks on a modal), and that an answer
// queued for a prompt that never came fails it too.
#include "support/PromptsTestScope.h"

#include <QObject>
#include <QTest>

using vexilor::Prompts;

class UnansweredPromptProbe : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void asksWithoutAnAnswer()
    {
        vexilor::test::PromptsTestScope prompts;
        const auto answer = Prompts::show(QStringLiteral("Delete it?"), Prompts::Icon::Question,
                                          Prompts::Buttons::YesNo);
        QCOMPARE(answer, Prompts::Answer::No);
        if (QTest::currentTestFailed())
            return;
        qInfo("reached the end");
    }

    void leavesAnAnswerUnused()
    {
        vexilor::test::PromptsTestScope prompts;
        Prompts::setNextAnswer(Prompts::Answer::Yes);
    }
};

QTEST_MAIN(UnansweredPromptProbe)
#include "UnansweredPromptProbe.moc"
