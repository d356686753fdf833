#include "app/Strings.h"
#include "support/PromptsTestScope.h"
#include "views/nodes/DialogRunner.h"
#include "views/nodes/DlgAddUserClass.h"
#include "views/nodes/InputBoxEx.h"
#include "views/nodes/ListWithButtonsWnd.h"
#include "views/nodes/NameValidation.h"
#include "views/support/DocFixture.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace vexilor;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

const std::string kFile =
    "[STUDIO \"News\"]\nKP.Edit = 1-4\n[STUDIO \"Sport\"]\nKP.Edit = 5\n"
    "[CLASS \"Crew\"]\nstudio+=\"News\"\nIcom.Config = Y\n"
    "[USER \"Ann\"]\nclass=\"Crew\"\nKP.Edit += 7\n[USER \"Bob\"]\n[USER \"Cy\"]\n[USER \"Dee\"]\n";

// Answers the next dialog: types text into its name field and presses OK (once per queued text);
// an empty optional presses Cancel.
struct DialogAnswers {
    QList<std::optional<QString>> texts;
    std::function<void(QDialog&)> before;
    int shown = 0;

    DialogAnswers()
    {
        SetDialogRunner([this](QDialog& dialog) {
            ++shown;
            if (before)
                before(dialog);
            if (texts.isEmpty() || !texts.front()) {
                if (!texts.isEmpty())
                    texts.pop_front();
                dialog.reject();
                return int(QDialog::Rejected);
            }
            const QString text = *texts.takeFirst();
            if (auto* box = qobject_cast<CInputBoxEx*>(&dialog))
                box->field()->setText(text);
            else if (auto* add = qobject_cast<CDlgAddUserClass*>(&dialog))
                add->nameField()->setText(text);
            dialog.accept();
            return dialog.result();
        });
    }
    ~DialogAnswers() { SetDialogRunner({}); }
};

}  // namespace

class NodeMaintenanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namesAreCheckedInOrder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("message");  // 0: accepted
        QTest::newRow("one character") << int(EntityKind::Class) << "A" << 3400;
        QTest::newRow("two characters") << int(EntityKind::Class) << "AB" << 0;
        QTest::newRow("slash") << int(EntityKind::Studio) << "A/B" << 3401;
        QTest::newRow("double quote") << int(EntityKind::User) << "say \"hi\"" << 3401;
        QTest::newRow("bar") << int(EntityKind::User) << "a|b" << 3401;
        QTest::newRow("existing class") << int(EntityKind::Class) << "Crew" << 3402;
        QTest::newRow("a user may share a class's name") << int(EntityKind::User) << "Crew" << 0;
        QTest::newRow("names are case-sensitive") << int(EntityKind::Class) << "crew" << 0;
        QTest::newRow("short and forbidden: length first") << int(EntityKind::Class) << "/" << 3400;
    }
    void namesAreCheckedInOrder()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(int, message);
        DocFixture f(kFile);
        QCOMPARE(EntityNameProblem(f.doc->model(), EntityKind(kind), name), message ? strings::Text(message) : QString());
    }

    // Add (both dialogs) and Rename refuse a name that the restrictions file would not give back,
    // naming the first character it cannot hold.
    void namesTheFileCannotHoldAreRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("rename");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");  // empty: accepted
        QTest::newRow("add studio, japanese") << int(EntityKind::Studio) << false
                                              << QStringLiteral("\u30B9\u30BF\u30B8\u30AA")
                                              << QStringLiteral("\"\u30B9\" (U+30B9)");
        QTest::newRow("add class, japanese after latin") << int(EntityKind::Class) << false
                                                         << QStringLiteral("TV \u30C6\u30EC\u30D3\u5C40")
                                                         << QStringLiteral("\"\u30C6\" (U+30C6)");
        QTest::newRow("add user, outside the BMP") << int(EntityKind::User) << false
                                                   << QStringLiteral("Ann \U0001F600")
                                                   << QStringLiteral("\"\U0001F600\" (U+1F600)");
        QTest::newRow("rename studio, U+0080 shown by its code") << int(EntityKind::Studio) << true
                                                                 << QStringLiteral("News\u0080")
                                                                 << QStringLiteral("U+0080");
        QTest::newRow("rename user, japanese") << int(EntityKind::User) << true
                                               << QStringLiteral("\u30C6\u30EC\u30D3")
                                               << QStringLiteral("\"\u30C6\" (U+30C6)");
        QTest::newRow("add user, the code page's own characters") << int(EntityKind::User) << false
                                                                  << QStringLiteral("\u20AC \u0160\u00E9\u2122")
                                                                  << QString();
    }
    void namesTheFileCannotHoldAreRefused()
    {
        QFETCH(int, kind);
        QFETCH(bool, rename);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        PromptsTestScope prompts;
        DocFixture f(kFile);
        DialogAnswers answers;
        CListWithButtonsWnd window(*f.doc, f.app, EntityKind(kind));
        const QStringList before = window.rowNames();
        answers.texts = {name};
        if (!shown.isEmpty())
            Prompts::setNextAnswer(Prompts::Answer::Ok);
        if (rename) {
            window.selectRows({0});
            window.renameSelected();
        } else {
            window.addEntity();
        }
        QCOMPARE(answers.shown, 1);
        if (shown.isEmpty()) {
            QVERIFY(f.doc->model().exists(EntityKind(kind), name.toStdU16String()));
            return;
        }
        QCOMPARE(Prompts::shownMessages().size(), 1);
        QCOMPARE(Prompts::shownMessages().front().text,
                 QStringLiteral("Names cannot contain ") + shown
                     + QStringLiteral(": the restrictions file cannot hold this character."));
        QCOMPARE(Prompts::shownMessages().front().icon, Prompts::Icon::Error);
        QVERIFY(!f.doc->model().exists(EntityKind(kind), name.toStdU16String()));
        QCOMPARE(window.rowNames(), before);
        QVERIFY(!f.doc->isModified());
    }

    void inputBoxStaysOpenOnAProblemAndIgnoresTrailingBlanks()
    {
        PromptsTestScope prompts;
        DocFixture f(kFile);
        CInputBoxEx box(QString(), QStringLiteral("Enter:"), QStringLiteral("x"),
                        [&](const QString& t) { return EntityNameProblem(f.doc->model(), EntityKind::Studio, t); });
        QCOMPARE(box.windowTitle(), strings::Text(3409));
        QCOMPARE(box.field()->maxLength(), 24);
        Prompts::setNextAnswer(Prompts::Answer::Ok);
        box.field()->setText(QStringLiteral("News   "));
        box.accept();
        QCOMPARE(box.result(), int(QDialog::Rejected));
        QCOMPARE(Prompts::shownMessages().size(), 1);
        QCOMPARE(Prompts::shownMessages().front().text, strings::Text(3402));
        QCOMPARE(Prompts::shownMessages().front().icon, Prompts::Icon::Error);
        QCOMPARE(box.field()->selectedText(), QStringLiteral("News   "));
        box.field()->setText(QStringLiteral("Weather"));
        box.accept();
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void addUserClassDisablesOkUntilThereIsSomethingToCopy()
    {
        DocFixture f(kFile);
        CDlgAddUserClass dialog(f.doc->model(), EntityKind::User);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add New User"));
        QVERIFY(dialog.okEnabled());
        dialog.choices()->button(CDlgAddUserClass::CopyClass)->click();
        QVERIFY2(!dialog.okEnabled(), "copying from a class with none chosen would add nothing");
        QCOMPARE(dialog.classList()->count(), 1);
        dialog.classList()->setCurrentIndex(0);
        Q_EMIT dialog.classList()->activated(0);
        QVERIFY(dialog.okEnabled());
        QCOMPARE(dialog.copyFrom(), QStringLiteral("Crew"));
        // Choosing a user switches the choice to copying from that user.
        dialog.userList()->setCurrentIndex(1);
        Q_EMIT dialog.userList()->activated(1);
        QCOMPARE(dialog.choice(), CDlgAddUserClass::CopyUser);
        QCOMPARE(dialog.copyFrom(), QStringLiteral("Bob"));
    }

    void addsStudiosClassesAndUsers()
    {
        PromptsTestScope prompts;
        DocFixture f(kFile);
        DialogAnswers answers;
        CListWithButtonsWnd studios(*f.doc, f.app, EntityKind::Studio);
        QSignalSpy added(f.doc.get(), &CKestovaDoc::entityAdded);
        QCOMPARE(studios.rowNames(), (QStringList{QStringLiteral("News"), QStringLiteral("Sport")}));

        answers.texts = {QStringLiteral("Weather  ")};
        studios.addEntity();
        QVERIFY(f.doc->model().exists(EntityKind::Studio, u"Weather"));
        QCOMPARE(studios.rowNames().back(), QStringLiteral("Weather"));
        QVERIFY(f.doc->isModified());
        QCOMPARE(added.size(), 1);  // the navigation tree follows the document's announcement

        // A class copied from a user starts with that user's permissions.
        CListWithButtonsWnd classes(*f.doc, f.app, EntityKind::Class);
        answers.texts = {QStringLiteral("  Guests ")};
        answers.before = [](QDialog& d) {
            auto& add = static_cast<CDlgAddUserClass&>(d);
            add.userList()->setCurrentIndex(add.userList()->findText(QStringLiteral("Ann")));
            Q_EMIT add.userList()->activated(add.userList()->currentIndex());
        };
        classes.addEntity();
        QVERIFY(f.doc->model().exists(EntityKind::Class, u"Guests"));
        QVERIFY(f.doc->model().getRecord(EntityKind::Class, u"Guests").resourceValue(u"KP.Edit", 7));

        // Cancel adds nothing.
        answers.before = {};
        answers.texts = {std::nullopt};
        const QStringList before = classes.rowNames();
        classes.addEntity();
        QCOMPARE(classes.rowNames(), before);

        const std::string saved = f.savedAndReadBack();
        QVERIFY(saved.find("Weather") != std::string::npos);
        QVERIFY(saved.find("Guests") != std::string::npos);
    }

    void deletingAReferencedStudioAsksAndCascadesOnlyOnYes()
    {
        PromptsTestScope prompts;
        DocFixture f(kFile);
        CListWithButtonsWnd studios(*f.doc, f.app, EntityKind::Studio);
        studios.selectRows({0});  // News, which class Crew takes
        Prompts::setNextAnswer(Prompts::Answer::Yes);
        Prompts::setNextAnswer(Prompts::Answer::No);
        studios.deleteSelected();
        QCOMPARE(Prompts::shownMessages().at(1).text, QStringLiteral("'News' is referenced by other resources. Continue?"));
        QVERIFY(f.doc->model().exists(EntityKind::Studio, u"News"));
        QCOMPARE(studios.rowNames().size(), 2);
        QVERIFY(!f.doc->isModified());

        Prompts::setNextAnswer(Prompts::Answer::Yes);
        Prompts::setNextAnswer(Prompts::Answer::Yes);
        studios.deleteSelected();
        QVERIFY(!f.doc->model().exists(EntityKind::Studio, u"News"));
        QVERIFY(f.doc->model().studioRefs(EntityKind::Class, u"Crew").empty());
        QCOMPARE(studios.rowNames(), QStringList{QStringLiteral("Sport")});
        QVERIFY(f.doc->isModified());
        QVERIFY(f.savedAndReadBack().find("News") == std::string::npos);
    }

    void deletingThreeUsersAsksOnce()
    {
        PromptsTestScope prompts;
        DocFixture f(kFile);
        CListWithButtonsWnd users(*f.doc, f.app, EntityKind::User);
        users.selectRows({0, 2, 3});
        Prompts::setNextAnswer(Prompts::Answer::Yes);
        users.deleteSelected();
        QCOMPARE(Prompts::shownMessages().size(), 1);
        QCOMPARE(Prompts::shownMessages().front().text, strings::Text(3403));
        QCOMPARE(users.rowNames(), QStringList{QStringLiteral("Bob")});
        QVERIFY(!f.doc->model().exists(EntityKind::User, u"Ann"));
    }

    void renameFollowsReferencesAndRefusesTheSameName()
    {
        PromptsTestScope prompts;
        DocFixture f(kFile);
        DialogAnswers answers;
        CListWithButtonsWnd classes(*f.doc, f.app, EntityKind::Class);
        classes.selectRows({0});
        // Unchanged: refused with "That name already exists.", then cancelled.
        answers.texts = {QStringLiteral("Crew"), std::nullopt};
        Prompts::setNextAnswer(Prompts::Answer::Ok);
        answers.before = [](QDialog& d) { static_cast<CInputBoxEx&>(d).field()->setText(QStringLiteral("Crew")); };
        classes.renameSelected();
        QCOMPARE(Prompts::shownMessages().front().text, strings::Text(3402));
        QVERIFY(!f.doc->isModified());

        answers.before = {};
        answers.texts = {QStringLiteral("Staff")};
        classes.renameSelected();
        QCOMPARE(classes.rowNames(), QStringList{QStringLiteral("Staff")});
        QCOMPARE(f.doc->model().classOf(u"Ann"), std::u16string(u"Staff"));
        QVERIFY(f.doc->isModified());
    }

    void buttonsFollowSelectionAndReadOnly()
    {
        DocFixture f(kFile);
        CListWithButtonsWnd users(*f.doc, f.app, EntityKind::User);
        users.selectRows({});
        QVERIFY(users.addButton()->isEnabled());
        QVERIFY(!users.deleteButton()->isEnabled());
        QVERIFY(!users.renameButton()->isEnabled());
        users.selectRows({0, 1});
        QVERIFY(users.deleteButton()->isEnabled());
        QVERIFY(!users.renameButton()->isEnabled());
        users.selectRows({1});
        QVERIFY(users.renameButton()->isEnabled());

        f.doc->model().setReadOnly(true);
        CListWithButtonsWnd readOnly(*f.doc, f.app, EntityKind::User);
        readOnly.selectRows({1});
        QVERIFY(!readOnly.addButton()->isEnabled());
        QVERIFY(!readOnly.deleteButton()->isEnabled());
        QVERIFY(!readOnly.renameButton()->isEnabled());
        DialogAnswers answers;
        readOnly.addEntity();
        readOnly.deleteSelected();
        readOnly.renameSelected();
        QCOMPARE(answers.shown, 0);
        QVERIFY(!f.doc->isModified());
    }
};

QTEST_MAIN(NodeMaintenanceTest)
#include "NodeMaintenanceTest.moc"
