#include "document/DocumentEdits.h"
#include "restrictions/EntitySelection.h"
#include "restrictions/RestrictionKeywords.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/ListColumns.h"
#include "views/studios/StudioResourceWnds.h"
#include "views/support/DocFixture.h"

#include <QTest>

using namespace vexilor;
using vexilor::test::DocFixture;

namespace {

const std::string kFile = "[STUDIO \"News\"]\nKP.Edit = 1-4\nKP.Assign = 2\n[CLASS \"Crew\"]\nstudio+=\"News\"\n";

bool included(DocFixture& f, int key, std::uint32_t n)
{
    return ReadAccess(f.doc->selection(), AccessRef::resource(key, n)).allowed;
}

}  // namespace

class StudioResourceWndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsWhatTheStudioIncludesAndTogglesIt()
    {
        DocFixture f(kFile);
        QVERIFY(f.doc->selection().select(u"News", EntityKind::Studio));
        CStudioResourceEditWnd w(*f.doc, f.app, 0);
        CKestovaListModel* model = w.listModel();
        const QStringList headings = {model->headerData(0, Qt::Horizontal).toString(),
                                      model->headerData(1, Qt::Horizontal).toString(),
                                      model->headerData(2, Qt::Horizontal).toString(),
                                      model->headerData(3, Qt::Horizontal).toString()};
        QCOMPARE(headings, (QStringList{QStringLiteral("Included?"), QStringLiteral("#"), QStringLiteral("Alpha"),
                                        QStringLiteral("Description")}));
        QCOMPARE(model->columnKind(0), colkind::kIncluded);
        QCOMPARE(w.contextMenuId(), 131);
        QCOMPARE(model->rowCount(), 136);  // the default intercom's keypanels

        // An included keypanel becomes excluded, any other included, both explicitly.
        QVERIFY(included(f, 0, 3));
        w.cellClicked(2, 0);
        QVERIFY(!included(f, 0, 3));
        QVERIFY(!ReadAccess(f.doc->selection(), AccessRef::resource(0, 3)).inherited);
        w.cellClicked(6, 0);
        QVERIFY(included(f, 0, 7));
        QVERIFY(f.doc->isModified());

        // What the class gets through the studio follows once the studio is stored.
        f.doc->selection().commit();
        CEntitySelection crew(f.doc->model());
        crew.select(u"Crew", EntityKind::Class);
        QCOMPARE(crew.isRestricted(0, 3), 1);
        QCOMPARE(crew.isRestricted(0, 7), 0);
        QCOMPARE(crew.isRestricted(0, 1), 0);
    }

    void theAssignWindowWorksOnTheAssignKey()
    {
        DocFixture f(kFile);
        QVERIFY(f.doc->selection().select(u"News", EntityKind::Studio));
        CStudioResourceAssignWnd w(*f.doc, f.app, 0);
        int assignKey = -1;
        for (int k = 0; k < kResourceKeyCount; ++k)
            if (resourceKeyName(k) == u"KP.Assign")
                assignKey = k;
        QVERIFY(assignKey > 0);
        QVERIFY(included(f, assignKey, 2));
        QVERIFY(!included(f, assignKey, 1));
        w.cellClicked(0, 0);
        QVERIFY(included(f, assignKey, 1));
        QVERIFY(included(f, 0, 1));  // the Edit key is left alone
    }

    void nothingChangesWhileReadOnly()
    {
        DocFixture f(kFile);
        f.doc->model().setReadOnly(true);
        QVERIFY(f.doc->selection().select(u"News", EntityKind::Studio));
        CStudioResourceEditWnd w(*f.doc, f.app, 0);
        w.cellClicked(0, 0);
        QVERIFY(included(f, 0, 1));
        QVERIFY(!f.doc->isModified());
    }
};

QTEST_MAIN(StudioResourceWndTest)
#include "StudioResourceWndTest.moc"
