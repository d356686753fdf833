#include "app/Strings.h"
#include "restrictions/EntitySelection.h"
#include "support/PromptsTestScope.h"
#include "views/studios/StudioSelectWnd.h"
#include "views/support/DocFixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

const std::string kFile =
    "[STUDIO \"A\"]\nKP.Edit = 1\n[STUDIO \"B\"]\nKP.Edit = 2\n[STUDIO \"C\"]\nKP.Edit = 3\n"
    "[STUDIO \"D\"]\nKP.Edit = 4\n[STUDIO \"E\"]\nKP.Edit = 5\n"
    "[CLASS \"Crew\"]\n[CLASS \"Guests\"]\n"
    "[USER \"Ann\"]\nclass=\"Crew\"\n";

std::vector<StudioRef> refsOf(DocFixture& f, EntityKind kind, const char16_t* name)
{
    return f.doc->model().studioRefs(kind, name);
}

std::vector<StudioRef> refs(std::initializer_list<std::pair<const char16_t*, StudioOp>> list)
{
    std::vector<StudioRef> out;
    for (auto [s, op] : list)
        out.push_back({s, op});
    return out;
}

}  // namespace

class StudioSelectWndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void includesSelectedStudiosInListOrder()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Ann", EntityKind::User);
        CStudioSelectWnd w(*f.doc, f.app, EntityKind::User, QStringLiteral("Ann"));
        QCOMPARE(w.availableNames(), (QStringList{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s}));
        QVERIFY(!w.button(CStudioSelectWnd::kInclude)->isEnabled());
        w.selectAvailable({3, 1});
        QVERIFY(w.button(CStudioSelectWnd::kInclude)->isEnabled());
        w.include();
        QCOMPARE(refsOf(f, EntityKind::User, u"Ann"), refs({{u"B", StudioOp::Add}, {u"D", StudioOp::Add}}));
        QCOMPARE(w.availableNames(), (QStringList{u"A"_s, u"C"_s, u"E"_s}));
        QVERIFY(f.doc->isModified());
        // The selection sees the new base at once: keypanel 2 now comes through studio B.
        QCOMPARE(f.doc->selection().isRestricted(0, 2), 0);

        w.selectAvailable({0});
        w.exclude();
        QCOMPARE(refsOf(f, EntityKind::User, u"Ann").back(), (StudioRef{u"A", StudioOp::Remove}));
        const std::string saved = f.savedAndReadBack();
        QVERIFY(saved.find("\"A\"") != std::string::npos);
    }

    void moveDownOnTheLastRowChangesNothingWhileMoveUpOnTheFirstMarksModified()
    {
        DocFixture f(kFile + "[USER \"Bob\"]\nstudio+=\"A\"\nstudio-=\"B\"\nstudio+=\"C\"\n");
        CStudioSelectWnd w(*f.doc, f.app, EntityKind::User, QStringLiteral("Bob"));
        const auto before = refsOf(f, EntityKind::User, u"Bob");
        w.selectSelected({2});
        w.moveDown();
        QCOMPARE(refsOf(f, EntityKind::User, u"Bob"), before);
        QVERIFY(!f.doc->isModified());
        w.selectSelected({0});
        w.moveUp();
        QCOMPARE(refsOf(f, EntityKind::User, u"Bob"), before);
        QVERIFY(f.doc->isModified());

        w.selectSelected({0, 1});
        w.moveDown();
        QCOMPARE(refsOf(f, EntityKind::User, u"Bob"),
                 refs({{u"C", StudioOp::Add}, {u"A", StudioOp::Add}, {u"B", StudioOp::Remove}}));
        QCOMPARE(w.selectedRowsOf(w.selectedList()), (QList<int>{1, 2}));
        w.moveUp();
        QCOMPARE(refsOf(f, EntityKind::User, u"Bob"), before);
    }

    void removingRowsSelectsTheRowAbove()
    {
        DocFixture f(kFile + "[CLASS \"Five\"]\nstudio+=\"A\"\nstudio+=\"B\"\nstudio+=\"C\"\nstudio+=\"D\"\nstudio+=\"E\"\n");
        CStudioSelectWnd w(*f.doc, f.app, EntityKind::Class, QStringLiteral("Five"));
        QVERIFY(!w.classList()->isVisible() && !w.classList()->isEnabled());
        w.selectSelected({1, 2});
        w.remove();
        QCOMPARE(refsOf(f, EntityKind::Class, u"Five"),
                 refs({{u"A", StudioOp::Add}, {u"D", StudioOp::Add}, {u"E", StudioOp::Add}}));
        QCOMPARE(w.selectedRowsOf(w.selectedList()), QList<int>{0});
        QCOMPARE(w.availableNames(), (QStringList{u"B"_s, u"C"_s}));
        w.selectSelected({0});
        w.remove();
        QCOMPARE(w.selectedRowsOf(w.selectedList()), QList<int>{0});
    }

    void classChoiceStoresTheClassOrNone()
    {
        DocFixture f(kFile);
        CStudioSelectWnd w(*f.doc, f.app, EntityKind::User, QStringLiteral("Ann"));
        QCOMPARE(w.classList()->itemText(0), strings::Text(3432));
        QCOMPARE(w.classList()->currentText(), QStringLiteral("Crew"));
        w.classList()->setCurrentIndex(w.classList()->findText(QStringLiteral("Guests")));
        QCOMPARE(f.doc->model().classOf(u"Ann"), std::u16string(u"Guests"));
        w.classList()->setCurrentIndex(0);
        QCOMPARE(f.doc->model().classOf(u"Ann"), std::u16string());
        QVERIFY(f.doc->isModified());
        QVERIFY2(f.savedAndReadBack().find("  class ") == std::string::npos, f.savedAndReadBack().c_str());
    }

    void readOnlyFileSnapsBackAndRefusesEverything()
    {
        PromptsTestScope prompts;
        DocFixture f(kFile + "[USER \"Bob\"]\nstudio+=\"A\"\nstudio+=\"B\"\n");
        f.doc->model().setReadOnly(true);
        CStudioSelectWnd w(*f.doc, f.app, EntityKind::User, QStringLiteral("Bob"));
        w.classList()->setCurrentIndex(1);
        QCOMPARE(w.classList()->currentIndex(), 0);  // Bob has no class
        for (int id : {CStudioSelectWnd::kInclude, CStudioSelectWnd::kExclude, CStudioSelectWnd::kRemove,
                       CStudioSelectWnd::kMoveUp, CStudioSelectWnd::kMoveDown, CStudioSelectWnd::kAllowAll,
                       CStudioSelectWnd::kDenyAll, CStudioSelectWnd::kInheritAll})
            QVERIFY2(!w.button(id)->isEnabled(), qPrintable(QString::number(id)));
        w.selectSelected({1});
        w.moveUp();
        w.remove();
        w.allowAll();
        w.selectAvailable({0});
        w.include();
        QCOMPARE(refsOf(f, EntityKind::User, u"Bob"), refs({{u"A", StudioOp::Add}, {u"B", StudioOp::Add}}));
        QVERIFY(!f.doc->isModified());
        QVERIFY(Prompts::shownMessages().isEmpty());
    }

    void setAllAsksWithTheEntitysKindAndName()
    {
        PromptsTestScope prompts;
        DocFixture f(kFile);
        CStudioSelectWnd w(*f.doc, f.app, EntityKind::User, QStringLiteral("Ann"));
        Prompts::setNextAnswer(Prompts::Answer::No);
        w.denyAll();
        QCOMPARE(Prompts::shownMessages().front().text,
                 QStringLiteral("Are you sure you want to override inherited settings and explicitly deny\n"
                                "access to all resources, features, and menu items for user 'Ann'?"));
        QVERIFY(!f.doc->isModified());
        Prompts::setNextAnswer(Prompts::Answer::Yes);
        w.denyAll();
        QVERIFY(f.doc->isModified());
        CEntitySelection s(f.doc->model());
        s.select(u"Ann", EntityKind::User);
        QCOMPARE(s.isInherited(0, 1), 0);
        QCOMPARE(s.isRestricted(0, 1), 1);
        QCOMPARE(s.featureDenied(u"Menus.All"), 1);

        Prompts::setNextAnswer(Prompts::Answer::Yes);
        w.inheritAll();
        s.select(u"Ann", EntityKind::User);
        QCOMPARE(s.isInherited(0, 1), 1);
        QVERIFY(f.savedAndReadBack().find("Ann") != std::string::npos);
    }

    void aSetReferenceFromTheFileSurvivesACommit()
    {
        DocFixture f(kFile + "[USER \"Bob\"]\nstudio=\"A\"\nstudio+=\"B\"\n");
        CStudioSelectWnd w(*f.doc, f.app, EntityKind::User, QStringLiteral("Bob"));
        w.selectAvailable({0});
        w.include();
        QCOMPARE(refsOf(f, EntityKind::User, u"Bob"),
                 refs({{u"A", StudioOp::Set}, {u"B", StudioOp::Add}, {u"C", StudioOp::Add}}));
    }
};

QTEST_MAIN(StudioSelectWndTest)
#include "StudioSelectWndTest.moc"
