#include "document/EntityEdits.h"
#include "document/KestovaDoc.h"
#include "views/NavigationModel.h"
#include "views/PlaceWindow.h"
#include "views/support/DocFixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include <functional>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;

namespace {

const std::string kFile =
    "[STUDIO \"News\"]\nKP.Edit = 1-4\n[STUDIO \"Sport\"]\n"
    "[CLASS \"Crew\"]\nstudio+=\"News\"\n[CLASS \"Guests\"]\n[CLASS \"Ops\"]\n"
    "[USER \"Ann\"]\nclass=\"Crew\"\n[USER \"Bob\"]\n[USER \"Carl\"]\n[USER \"Dora\"]\n";

QStringList childrenOf(const CNavigationModel& model, EntityKind kind)
{
    QStringList names;
    const QModelIndex folder = model.folderIndex(kind);
    for (int r = 0; r < model.rowCount(folder); ++r)
        names << model.index(r, 0, folder).data().toString();
    return names;
}

// The rows say what the document's lists say, and each row's data carries its kind and index.
void checkRows(const CNavigationModel& model, const CKestovaDoc& doc)
{
    QCOMPARE(childrenOf(model, EntityKind::Studio), doc.studioNames());
    QCOMPARE(childrenOf(model, EntityKind::Class), doc.classNames());
    QCOMPARE(childrenOf(model, EntityKind::User), doc.userNames());
    const QModelIndex users = model.folderIndex(EntityKind::User);
    for (int r = 0; r < model.rowCount(users); ++r)
        QCOMPARE(CNavigationModel::dataOf(model.index(r, 0, users)), (std::uint32_t(treekind::kUser) << 16) | std::uint32_t(r));
}

using Edit = std::function<bool(CKestovaDoc&)>;

}  // namespace

Q_DECLARE_METATYPE(Edit)

class NavigationModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedRowsAndTheirData()
    {
        DocFixture f(kFile);
        CNavigationModel model(*f.doc);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);  // nothing until the tree is filled
        model.reset();
        QCOMPARE(model.rowCount(), 1);
        const QModelIndex root = model.rootIndex();
        QCOMPARE(root.data().toString(), u"Intercom"_s);
        QCOMPARE(CNavigationModel::kindOf(root), treekind::kIntercom);
        const int folderKinds[] = {treekind::kStudios, treekind::kClasses, treekind::kUsers};
        const QString folderTexts[] = {u"Studios"_s, u"Classes"_s, u"Users"_s};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(model.fixedIndex(i + 1).data().toString(), folderTexts[i]);
            QCOMPARE(CNavigationModel::dataOf(model.fixedIndex(i + 1)), std::uint32_t(folderKinds[i]) << 16);
        }
        checkRows(model, *f.doc);
        QCOMPARE(CNavigationModel::kindOf(model.entityIndex(EntityKind::Class, u"Guests"_s)), treekind::kClass);
        QVERIFY(!model.entityIndex(EntityKind::Class, u"Ann"_s).isValid());
    }

    // Rows are inserted, removed and moved as the document changes, undoes and redoes; the
    // persistent index of an untouched or renamed row stays on it.
    void rowsFollowTheDocument_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("kept");  // a class or user row that must stay on its entity
        QTest::addColumn<QString>("keptAfter");
        QTest::newRow("add first") << Edit([](CKestovaDoc& d) { return AddEntity(d, EntityKind::Class, u"Aaa"_s); })
                                   << u"Guests"_s << u"Guests"_s;
        QTest::newRow("add last") << Edit([](CKestovaDoc& d) { return AddEntity(d, EntityKind::User, u"Zoe"_s); })
                                  << u"Dora"_s << u"Dora"_s;
        QTest::newRow("rename down") << Edit([](CKestovaDoc& d) {
            return RenameEntity(d, EntityKind::User, u"Ann"_s, u"Cleo"_s);
        }) << u"Ann"_s << u"Cleo"_s;
        QTest::newRow("rename up") << Edit([](CKestovaDoc& d) {
            return RenameEntity(d, EntityKind::Class, u"Ops"_s, u"Bee"_s);
        }) << u"Ops"_s << u"Bee"_s;
        QTest::newRow("rename in place") << Edit([](CKestovaDoc& d) {
            return RenameEntity(d, EntityKind::User, u"Bob"_s, u"Bobby"_s);
        }) << u"Bob"_s << u"Bobby"_s;
        QTest::newRow("delete a referenced class and the users' links") << Edit([](CKestovaDoc& d) {
            return DeleteEntity(d, EntityKind::Class, u"Crew"_s, true) == DeleteOutcome::Deleted;
        }) << u"Ops"_s << u"Ops"_s;
        QTest::newRow("delete several") << Edit([](CKestovaDoc& d) {
            return DeleteEntities(d, EntityKind::User, {u"Ann"_s, u"Carl"_s, u"Dora"_s}, {}).size() == 3;
        }) << u"Bob"_s << u"Bob"_s;
    }
    void rowsFollowTheDocument()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, kept);
        QFETCH(QString, keptAfter);
        DocFixture f(kFile);
        CNavigationModel model(*f.doc);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.reset();
        const EntityKind kind = model.entityIndex(EntityKind::Class, kept).isValid() ? EntityKind::Class : EntityKind::User;
        const QPersistentModelIndex row = model.entityIndex(kind, kept);
        QVERIFY(row.isValid());
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        QVERIFY(edit(*f.doc));
        checkRows(model, *f.doc);
        QCOMPARE(row.data().toString(), keptAfter);
        f.doc->undoStack().undo();
        checkRows(model, *f.doc);
        QCOMPARE(row.data().toString(), kept);
        f.doc->undoStack().redo();
        checkRows(model, *f.doc);
        QCOMPARE(row.data().toString(), keptAfter);
        QCOMPARE(resets.size(), 0);  // never refilled
    }
};

QTEST_MAIN(NavigationModelTest)
#include "NavigationModelTest.moc"
