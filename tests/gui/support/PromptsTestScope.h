#pragma once

#include "app/Prompts.h"

#include <QTest>

namespace vexilor::test {

// Puts the prompts seam in test mode for one test: a prompt without a queued answer fails the test
// by name instead of opening a modal, and answers left unused at the end fail it too.
class PromptsTestScope {
public:
    PromptsTestScope()
    {
        Prompts::setTestMode(true);
        Prompts::setUnansweredHandler([](const QString& what) {
            QTest::qFail(qUtf8Printable(QStringLiteral("unanswered prompt: ") + what), __FILE__,
                         __LINE__);
        });
    }
    ~PromptsTestScope()
    {
        const int unused = Prompts::pendingAnswers();
        Prompts::setTestMode(false);
        if (unused != 0 && !QTest::currentTestFailed())
            QTest::qFail("answers were queued that no prompt used", __FILE__, __LINE__);
    }
    PromptsTestScope(const PromptsTestScope&) = delete;
    PromptsTestScope& operator=(const PromptsTestScope&) = delete;
};

}  // namespace vexilor::test
