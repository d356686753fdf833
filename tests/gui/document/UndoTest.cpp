#include "document/DocumentEdits.h"
#include "document/EntityEdits.h"
#include "document/UndoCommands.h"
#include "restrictions/RestrictionsWriter.h"
#include "views/support/DocFixture.h"

#include <QTest>
#include <QUndoStack>

#include <functional>
#include <vector>

using namespace vexilor;
using vexilor::test::DocFixture;

namespace {

const std::string kFile =
    "[STUDIO \"News\"]\nKP.Edit = 1-4\n[STUDIO \"Sport\"]\nKP.Edit = 5\n"
    "[CLASS \"Crew\"]\nstudio+=\"News\"\nIcom.Config = Y\nKP.Edit -= 9\n"
    "[USER \"Ann\"]\nclass=\"Crew\"\nKP.Edit += 7\nstudio-=\"Sport\"\n[USER \"Bob\"]\n";

// The file a save would write now (the entity being edited committed first).
std::string written(DocFixture& f)
{
    f.doc->selection().commit();
    return restrictionsFileBytes(f.doc->model()).value_or("<none>");
}

std::vector<AccessRef> keypanels(std::uint32_t first, std::uint32_t last)
{
    std::vector<AccessRef> items;
    for (std::uint32_t n = first; n <= last; ++n)
        items.push_back(AccessRef::resource(0, n));
    return items;
}

}  // namespace

using Edit = std::function<bool(vexilor::CKestovaDoc&)>;
Q_DECLARE_METATYPE(Edit)

class UndoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void undoRestoresTheFileAndRedoRepeatsTheEdit_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("undoText");
        const auto allow12 = keypanels(1, 12);
        QTest::newRow("allow rows") << Edit([allow12](CKestovaDoc& d) { return SetAccess(d, allow12, AccessChange::Allow); })
                                    << QStringLiteral("Allow 12 keypanels for user Ann");
        QTest::newRow("inherit one row") << Edit([](CKestovaDoc& d) {
            const AccessRef one[] = {AccessRef::resource(0, 7)};
            return SetAccess(d, one, AccessChange::Inherit);
        }) << QStringLiteral("Inherit keypanel 7 for user Ann");
        QTest::newRow("click cycles") << Edit([](CKestovaDoc& d) {
            const AccessEdit edits[] = {{AccessRef::feature(3), AccessChange::Deny},
                                        {AccessRef::menuKey(u"Menu.File.Open"), AccessChange::Allow}};
            return ApplyAccessEdits(d, edits);
        }) << QStringLiteral("Change 2 items for user Ann");
        QTest::newRow("deny all") << Edit([](CKestovaDoc& d) { return SetAll(d, EntityKind::User, QStringLiteral("Ann"), SetAllOperation::Deny); })
                                  << QStringLiteral("Deny All for user Ann");
        QTest::newRow("inherit all of the class") << Edit([](CKestovaDoc& d) {
            return SetAll(d, EntityKind::Class, QStringLiteral("Crew"), SetAllOperation::Inherit);
        }) << QStringLiteral("Inherit All for class Crew");
        QTest::newRow("add a class copied from a user") << Edit([](CKestovaDoc& d) {
            return AddEntity(d, EntityKind::Class, QStringLiteral("Guests"), EntityKind::User, QStringLiteral("Ann"));
        }) << QStringLiteral("Add class Guests");
        QTest::newRow("delete a referenced studio") << Edit([](CKestovaDoc& d) {
            return DeleteEntity(d, EntityKind::Studio, QStringLiteral("News"), true) == DeleteOutcome::Deleted;
        }) << QStringLiteral("Delete studio News");
        QTest::newRow("delete a user") << Edit([](CKestovaDoc& d) {
            return DeleteEntity(d, EntityKind::User, QStringLiteral("Ann"), false) == DeleteOutcome::Deleted;
        }) << QStringLiteral("Delete user Ann");
        QTest::newRow("delete several users at once") << Edit([](CKestovaDoc& d) {
            return DeleteEntities(d, EntityKind::User, {QStringLiteral("Ann"), QStringLiteral("Bob")}, {}).size() == 2;
        }) << QStringLiteral("Delete 2 users");
        QTest::newRow("delete a referenced class only when agreed") << Edit([](CKestovaDoc& d) {
            const QStringList deleted = DeleteEntities(d, EntityKind::Class, {QStringLiteral("Crew")},
                                                       [](const QString& name) { return name == u"Crew"; });
            return deleted == QStringList{QStringLiteral("Crew")} && !d.model().exists(EntityKind::Class, u"Crew");
        }) << QStringLiteral("Delete class Crew");
        QTest::newRow("rename a class") << Edit([](CKestovaDoc& d) {
            return RenameEntity(d, EntityKind::Class, QStringLiteral("Crew"), QStringLiteral("Staff"));
        }) << QStringLiteral("Rename class Crew to Staff");
        QTest::newRow("studio references") << Edit([](CKestovaDoc& d) {
            return SetStudioRefs(d, EntityKind::User, QStringLiteral("Ann"),
                                 {{u"Sport", StudioOp::Add}, {u"News", StudioOp::Remove}});
        }) << QStringLiteral("Change the studios of user Ann");
        QTest::newRow("class of a user") << Edit([](CKestovaDoc& d) {
            return SetClassOfUser(d, QStringLiteral("Ann"), QString());
        }) << QStringLiteral("Change the class of user Ann");
    }
    void undoRestoresTheFileAndRedoRepeatsTheEdit()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, undoText);
        DocFixture f(kFile);
        f.doc->selection().select(u"Ann", EntityKind::User);
        const std::string original = written(f);
        f.doc->selection().select(u"Ann", EntityKind::User);
        QVERIFY(edit(*f.doc));
        const std::string edited = written(f);
        QVERIFY2(edited != original, "the edit changes the file");
        QCOMPARE(f.doc->undoStack().count(), 1);
        QCOMPARE(f.doc->undoStack().undoText(), undoText);
        QVERIFY(f.doc->isModified());

        f.doc->undoStack().undo();
        QCOMPARE(written(f), original);
        QVERIFY(!f.doc->isModified());
        f.doc->undoStack().redo();
        QCOMPARE(written(f), edited);
        QVERIFY(f.doc->isModified());
    }

    void theSelectedEntityFollowsUndoneChanges()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Ann", EntityKind::User);
        QCOMPARE(f.doc->selection().isRestricted(0, 2), 0);  // from studio News through the class
        const auto rows = keypanels(1, 3);
        SetAccess(*f.doc, rows, AccessChange::Deny);
        QCOMPARE(f.doc->selection().isRestricted(0, 2), 1);
        f.doc->undoStack().undo();
        QCOMPARE(f.doc->selection().selectedName(), std::u16string(u"Ann"));
        QCOMPARE(f.doc->selection().isRestricted(0, 2), 0);
        QCOMPARE(f.doc->selection().isInherited(0, 2), 1);

        // A structural undo rebuilds the bases of the selected user.
        SetClassOfUser(*f.doc, QStringLiteral("Ann"), QString());
        QCOMPARE(f.doc->selection().isRestricted(0, 2), 1);
        f.doc->undoStack().undo();
        QCOMPARE(f.doc->selection().isRestricted(0, 2), 0);
    }

    void modifiedFollowsTheSavedStep()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Bob", EntityKind::User);
        const auto a = keypanels(1, 1);
        const auto b = keypanels(2, 2);
        SetAccess(*f.doc, a, AccessChange::Allow);
        f.doc->setModified(false);  // what a save does
        SetAccess(*f.doc, b, AccessChange::Allow);
        QVERIFY(f.doc->isModified());
        f.doc->undoStack().undo();
        QVERIFY2(!f.doc->isModified(), "back at the saved step");
        f.doc->undoStack().undo();
        QVERIFY2(f.doc->isModified(), "before the saved step");
        f.doc->undoStack().redo();
        QVERIFY(!f.doc->isModified());

        // A change made without a step can never be undone back to unmodified.
        f.doc->setModified(true);
        SetAccess(*f.doc, b, AccessChange::Deny);
        f.doc->undoStack().undo();
        QVERIFY(f.doc->isModified());
    }

    void readOnlyFilesHaveNothingToUndo()
    {
        DocFixture f(kFile);
        f.doc->model().setReadOnly(true);
        f.doc->selection().select(u"Ann", EntityKind::User);
        const auto rows = keypanels(1, 5);
        QVERIFY(!SetAccess(*f.doc, rows, AccessChange::Allow));
        QVERIFY(!SetAll(*f.doc, EntityKind::User, QStringLiteral("Ann"), SetAllOperation::Allow));
        QVERIFY(!AddEntity(*f.doc, EntityKind::Studio, QStringLiteral("Weather")));
        QCOMPARE(f.doc->undoStack().count(), 0);
        QVERIFY(!f.doc->isModified());
    }
};

QTEST_MAIN(UndoTest)
#include "UndoTest.moc"
