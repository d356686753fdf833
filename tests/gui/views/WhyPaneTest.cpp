#include "restrictions/EntitySelection.h"
#include "support/PromptsTestScope.h"
#include "views/lists/FeaturesWnd.h"
#include "views/lists/IcomWnds.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/ResourcesWnd.h"
#include "views/support/DocFixture.h"
#include "widgets/WhyPane.h"

#include <QApplication>
#include <QTest>
#include <QUndoStack>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

// Crew takes keypanels 1 to 4 from studio "News" and denies 2 itself; Ann is in Crew and denies 3
// herself. Crew denies talk assignments; Ann allows listen assignments.
const std::string kFile =
    "[STUDIO \"News\"]\nKP.Edit = 1-4\n"
    "[CLASS \"Crew\"]\nstudio+=\"News\"\nKP.Edit -= 2\nKP.Talk.Assigns = N\n"
    "[USER \"Ann\"]\nclass=\"Crew\"\nKP.Edit -= 3\nKP.Listen.Assigns = Y\n";

// A resource list with an inclusion column, as the studio windows build on.
class InclusionList final : public CResourcesWnd {
public:
    static constexpr ListColumn kColumns[] = {{"Included", colkind::kIncluded, Qt::AlignHCenter},
                                              {"#", colkind::kNumber, Qt::AlignLeft}};
    InclusionList(CKestovaDoc& doc, CAppState& app)
        : CResourcesWnd(doc, app, 0, false, kColumns, u"InclusionTest"_s, nullptr)
    {
        populate(true);
    }
};

void makeCurrent(CListOnlyWnd& w, int item)
{
    CKestovaListCtrl* list = w.list();
    list->selectionModel()->setCurrentIndex(list->model()->index(list->viewRowOfItem(item), 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// The tooltips of a row's cells, in column order.
QStringList tooltips(CListOnlyWnd& w, int item)
{
    QStringList out;
    CKestovaListModel* m = w.listModel();
    for (int c = 0; c < m->columnCount(); ++c)
        out << m->index(item, c).data(Qt::ToolTipRole).toString();
    return out;
}

// What the tooltips should be: the sentence on the glyph cells, nothing on the others.
QStringList onAccessCells(CListOnlyWnd& w, const QString& why)
{
    QStringList out;
    CKestovaListModel* m = w.listModel();
    for (int c = 0; c < m->columnCount(); ++c)
        out << (colkind::IsGlyph(m->columnKind(c)) ? why : QString());
    return out;
}

int rowOfLabel(CListOnlyWnd& w, const QString& label)
{
    CKestovaListModel* m = w.listModel();
    const int name = m->columnOfKind(colkind::kName);
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, name).data().toString() == label)
            return r;
    return -1;
}

}  // namespace

class WhyPaneTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { prompts_ = std::make_unique<PromptsTestScope>(); }
    void cleanup() { prompts_.reset(); }

    void paneAndTooltipNameTheLayerThatDecided_data()
    {
        QTest::addColumn<QString>("entity");
        QTest::addColumn<bool>("user");
        QTest::addColumn<int>("keypanel");
        QTest::addColumn<QString>("why");
        QTest::newRow("user's own setting") << u"Ann"_s << true << 3 << u"Denied by the user's own setting."_s;
        QTest::newRow("class setting of a user") << u"Ann"_s << true << 2
                                                 << u"Denied by the own setting of class \"Crew\"."_s;
        QTest::newRow("class's own setting") << u"Crew"_s << false << 2 << u"Denied by the class's own setting."_s;
        QTest::newRow("studio reference of the class")
            << u"Ann"_s << true << 4 << u"Allowed through studio \"News\" added at position 1 of the studios of class \"Crew\"."_s;
        QTest::newRow("default") << u"Crew"_s << false << 5 << u"Denied by default: nothing allows it."_s;
    }
    void paneAndTooltipNameTheLayerThatDecided()
    {
        QFETCH(QString, entity);
        QFETCH(bool, user);
        QFETCH(int, keypanel);
        QFETCH(QString, why);
        DocFixture f(kFile);
        f.app.intercom.keypanelCount = 8;
        f.doc->selection().select(entity.toStdU16String(), user ? EntityKind::User : EntityKind::Class);
        CResourceEditWnd w(*f.doc, f.app, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.whyPane()->isVisible());
        makeCurrent(w, keypanel - 1);
        QCOMPARE(w.whyPane()->text(), why);
        QCOMPARE(tooltips(w, keypanel - 1), onAccessCells(w, why));
        // The pane shows the current row only, also after sorting moved it.
        w.list()->clickHeading(w.listModel()->columnOfKind(colkind::kNumber));
        w.list()->clickHeading(w.listModel()->columnOfKind(colkind::kNumber));
        QCOMPARE(w.whyPane()->text(), why);
        makeCurrent(w, 7);
        QCOMPARE(w.whyPane()->text(), u"Denied by default: nothing allows it."_s);
    }

    void featuresAndMenusExplainTheirRows()
    {
        DocFixture f(kFile);
        f.app.intercom.capabilities.setSize(133);
        for (unsigned c = 0; c < 133; ++c)
            f.app.intercom.capabilities.set(c);
        f.doc->selection().select(u"Ann", EntityKind::User);
        CFeaturesWnd w(*f.doc, f.app, 0);
        const int talk = rowOfLabel(w, u"Talk assignments"_s);
        const int listen = rowOfLabel(w, u"Listen assignments"_s);
        QVERIFY(talk >= 0 && listen >= 0);
        makeCurrent(w, talk);
        QCOMPARE(w.whyPane()->text(), u"Denied by the own setting of class \"Crew\"."_s);
        makeCurrent(w, listen);
        QCOMPARE(w.whyPane()->text(), u"Allowed by the user's own setting."_s);
        QCOMPARE(tooltips(w, talk), onAccessCells(w, u"Denied by the own setting of class \"Crew\"."_s));
    }

    void paneFollowsEditsUndoAndTheFilter()
    {
        DocFixture f(kFile);
        f.app.intercom.keypanelCount = 8;
        f.app.prefs.requireDoubleClick = false;
        f.doc->selection().select(u"Ann", EntityKind::User);
        CResourceEditWnd w(*f.doc, f.app, 0);
        w.resize(600, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        makeCurrent(w, 1);  // keypanel 2, denied by Crew
        QCOMPARE(w.whyPane()->text(), u"Denied by the own setting of class \"Crew\"."_s);

        w.allowSelected();
        QCOMPARE(w.whyPane()->text(), u"Allowed by the user's own setting."_s);
        f.doc->undoStack().undo();
        QCOMPARE(w.whyPane()->text(), u"Denied by the own setting of class \"Crew\"."_s);

        // A click on the Deny cell of the current row.
        CKestovaListCtrl* list = w.list();
        const QRect deny = list->visualRect(list->model()->index(1, w.listModel()->columnOfKind(colkind::kDeny)));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, deny.center());
        QCOMPARE(w.whyPane()->text(), u"Denied by the user's own setting."_s);

        // The keyboard moves the current row.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(w.whyPane()->text(), u"Denied by the user's own setting."_s);  // keypanel 3, Ann's
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(w.whyPane()->text(),
                 u"Allowed through studio \"News\" added at position 1 of the studios of class \"Crew\"."_s);

        // A filter that hides the current row makes the first shown row current.
        w.setFilterText(u"N006"_s);
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(w.whyPane()->text(), u"Denied by default: nothing allows it."_s);
        w.setFilterText(u"zzz"_s);
        QCOMPARE(w.whyPane()->text(), QString());
        QVERIFY(w.whyPane()->isVisible());
    }

    void studioAndIntercomWindowsHaveNoPane()
    {
        DocFixture f(kFile);
        f.app.intercom.keypanelCount = 8;
        f.doc->selection().select(u"News", EntityKind::Studio);
        InclusionList studio(*f.doc, f.app);
        studio.show();
        QVERIFY(QTest::qWaitForWindowExposed(&studio));
        makeCurrent(studio, 0);
        QVERIFY(studio.whyPane()->isHidden());
        QCOMPARE(tooltips(studio, 0), QStringList(studio.listModel()->columnCount(), QString()));

        CIcomResourcesWnd resources(*f.doc, f.app);
        resources.show();
        QVERIFY(QTest::qWaitForWindowExposed(&resources));
        QVERIFY(resources.whyPane()->isHidden());
        CIcomCapabilitiesWnd capabilities(*f.doc, f.app);
        QVERIFY(capabilities.whyPane()->isHidden());
        QCOMPARE(tooltips(capabilities, 0), QStringList(capabilities.listModel()->columnCount(), QString()));
    }

private:
    std::unique_ptr<PromptsTestScope> prompts_;
};

QTEST_MAIN(WhyPaneTest)
#include "WhyPaneTest.moc"
