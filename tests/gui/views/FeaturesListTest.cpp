#include "app/ColorRef.h"
#include "restrictions/EntitySelection.h"
#include "support/PromptsTestScope.h"
#include "views/lists/FeaturesWnd.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "views/support/DocFixture.h"
#include "widgets/GlyphDelegate.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

// Crew denies talk assignments and allows key restrictions; Ann takes both from Crew, and has
// listen assignments explicitly allowed.
const std::string kFile =
    "[CLASS \"Crew\"]\nKP.Talk.Assigns = N\nKP.Key.Restricts = Y\nKP.Listen.Assigns = N\n"
    "[USER \"Ann\"]\nclass=\"Crew\"\nKP.Listen.Assigns = Y\n";

// An intercom with every capability, so the keypanel features list shows all 29 rows.
void giveAllCapabilities(CAppState& app)
{
    app.intercom.capabilities.setSize(133);
    for (unsigned c = 0; c < 133; ++c)
        app.intercom.capabilities.set(c);
}

int rowOf(CFeaturesWnd& w, const QString& label)
{
    CKestovaListModel* m = w.listModel();
    const int name = m->columnOfKind(colkind::kName);
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, name).data().toString() == label)
            return r;
    return -1;
}

Glyph glyph(CFeaturesWnd& w, int row, int kind)
{
    CKestovaListModel* m = w.listModel();
    return static_cast<Glyph>(m->index(row, m->columnOfKind(kind)).data(CKestovaListModel::GlyphRole).toInt());
}

QList<Glyph> glyphs(CFeaturesWnd& w, int row)
{
    return {glyph(w, row, colkind::kAccess), glyph(w, row, colkind::kAllow), glyph(w, row, colkind::kDeny),
            glyph(w, row, colkind::kInherited)};
}

QPoint cellCentre(CFeaturesWnd& w, int item, int kind)
{
    CKestovaListCtrl* list = w.list();
    const int viewRow = list->viewRowOfItem(item);
    return list->visualRect(list->model()->index(viewRow, w.listModel()->columnOfKind(kind))).center();
}

void click(CFeaturesWnd& w, int item, int kind, Qt::KeyboardModifiers mods = {})
{
    QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, mods, cellCentre(w, item, kind));
}

void doubleClick(CFeaturesWnd& w, int item, int kind)
{
    // What the window system delivers for a double click: press, release, press, double click,
    // release.
    QWidget* vp = w.list()->viewport();
    const QPoint at = cellCentre(w, item, kind);
    QTest::mousePress(vp, Qt::LeftButton, {}, at);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at);
    QTest::mousePress(vp, Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &dbl);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at);
}

struct Window {
    DocFixture f{kFile};
    std::unique_ptr<CFeaturesWnd> w;
    explicit Window(bool requireDoubleClick = true, const char16_t* user = u"Ann")
    {
        giveAllCapabilities(f.app);
        f.app.prefs.requireDoubleClick = requireDoubleClick;
        f.doc->selection().select(user, EntityKind::User);
        w = std::make_unique<CFeaturesWnd>(*f.doc, f.app, 0);
        w->resize(700, 500);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
};

}  // namespace

class FeaturesListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { prompts_ = std::make_unique<PromptsTestScope>(); }
    void cleanup() { prompts_.reset(); }

    void modelPassesTheItemModelChecks()
    {
        Window s;
        QAbstractItemModelTester tester(s.w->listModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester proxyTester(s.w->list()->model(),
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        s.w->allowAll();
        s.w->populate(false);
        s.w->list()->clickHeading(0);
    }

    void showsExplicitAndInheritedAccessOfAUserInAClass()
    {
        Window s;
        const int talk = rowOf(*s.w, QStringLiteral("Talk assignments"));
        const int keys = rowOf(*s.w, QStringLiteral("Key restrictions"));
        const int listen = rowOf(*s.w, QStringLiteral("Listen assignments"));
        QVERIFY(talk >= 0 && keys >= 0 && listen >= 0);
        // Inherits allow: check mark, two empty boxes, check mark in the inherited column.
        QCOMPARE(glyphs(*s.w, keys), (QList<Glyph>{Glyph::Check, Glyph::EmptyBox, Glyph::EmptyBox, Glyph::Check}));
        // Inherits deny.
        QCOMPARE(glyphs(*s.w, talk), (QList<Glyph>{Glyph::Cross, Glyph::EmptyBox, Glyph::EmptyBox, Glyph::Cross}));
        // Explicitly allowed against an inherited deny.
        QCOMPARE(glyphs(*s.w, listen),
                 (QList<Glyph>{Glyph::Check, Glyph::CheckedBox, Glyph::EmptyBox, Glyph::Cross}));
        // Row flags and colours follow: the access cell of the denied row uses the deny colour.
        CKestovaListModel* m = s.w->listModel();
        QCOMPARE(m->index(listen, 0).data(CKestovaListModel::RowFlagsRole).toInt(),
                 colkind::kAccess | colkind::kAllow);
        const ListColors& colors = s.f.app.prefs.colors;
        QCOMPARE(CGlyphDelegate::textColor(colors, colkind::kAccess, false, false), FromColorRef(colors.denyText));
        QCOMPARE(CGlyphDelegate::textColor(colors, colkind::kDeny, true, true),
                 FromColorRef(colors.selectedDenyText));
        QCOMPARE(CGlyphDelegate::textColor(colors, colkind::kAllow, false, false),
                 FromColorRef(colors.inheritText));
    }

    void clickCyclesFollowTheClickedColumn_data()
    {
        QTest::addColumn<bool>("requireDoubleClick");
        QTest::addColumn<bool>("doubleClicks");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<Glyph>>("afterOne");
        QTest::addColumn<QList<Glyph>>("afterTwo");
        QTest::addColumn<bool>("modifies");
        const QList<Glyph> inheritsAllow{Glyph::Check, Glyph::EmptyBox, Glyph::EmptyBox, Glyph::Check};
        const QList<Glyph> allowed{Glyph::Check, Glyph::CheckedBox, Glyph::EmptyBox, Glyph::Check};
        const QList<Glyph> denied{Glyph::Cross, Glyph::EmptyBox, Glyph::CrossedBox, Glyph::Check};
        QTest::newRow("single click, Allow cell") << false << false << colkind::kAllow << allowed << inheritsAllow << true;
        QTest::newRow("single click, Deny cell") << false << false << colkind::kDeny << denied << inheritsAllow << true;
        QTest::newRow("single click, Access cell does nothing")
            << false << false << colkind::kAccess << inheritsAllow << inheritsAllow << false;
        QTest::newRow("double click required, single clicks only select")
            << true << false << colkind::kAllow << inheritsAllow << inheritsAllow << false;
        QTest::newRow("double click required, double click changes once")
            << true << true << colkind::kAllow << allowed << inheritsAllow << true;
        // Without the requirement a double click is a click and a double click: two changes.
        QTest::newRow("single click mode, double click changes twice")
            << false << true << colkind::kDeny << inheritsAllow << inheritsAllow << true;
    }

    void clickCyclesFollowTheClickedColumn()
    {
        QFETCH(bool, requireDoubleClick);
        QFETCH(bool, doubleClicks);
        QFETCH(int, kind);
        QFETCH(QList<Glyph>, afterOne);
        QFETCH(QList<Glyph>, afterTwo);
        QFETCH(bool, modifies);
        Window s(requireDoubleClick);
        const int keys = rowOf(*s.w, QStringLiteral("Key restrictions"));
        auto act = [&] { doubleClicks ? doubleClick(*s.w, keys, kind) : click(*s.w, keys, kind); };
        act();
        QCOMPARE(glyphs(*s.w, keys), afterOne);
        QCOMPARE(s.w->list()->selectedItems(), QList<int>{keys});
        act();
        QCOMPARE(glyphs(*s.w, keys), afterTwo);
        QCOMPARE(s.f.doc->isModified(), modifies);
    }

    void denyCellOfAnAllowedRowDeniesIt()
    {
        Window s(false);
        const int listen = rowOf(*s.w, QStringLiteral("Listen assignments"));
        click(*s.w, listen, colkind::kDeny);
        QCOMPARE(glyphs(*s.w, listen),
                 (QList<Glyph>{Glyph::Cross, Glyph::EmptyBox, Glyph::CrossedBox, Glyph::Cross}));
        QVERIFY(s.f.doc->selection().commit());
        QVERIFY(s.f.savedAndReadBack().find("user \"Ann\"\n  class \"Crew\"\n  feature \"KP.Listen.Assigns\" N\n")
                != std::string::npos);
    }

    void shiftAndCtrlClicksOnlySelect()
    {
        Window s(false);
        const int keys = rowOf(*s.w, QStringLiteral("Key restrictions"));
        const int talk = rowOf(*s.w, QStringLiteral("Talk assignments"));
        click(*s.w, keys, colkind::kAccess);
        click(*s.w, talk, colkind::kAllow, Qt::ControlModifier);
        click(*s.w, talk + 2, colkind::kDeny, Qt::ShiftModifier);
        QVERIFY(!s.f.doc->isModified());
        QCOMPARE(s.w->list()->selectedItems(), (QList<int>{keys, talk, talk + 1, talk + 2}));
    }

    void commandsChangeSelectedOrAllRowsAndMarkModified()
    {
        Window s;
        QSignalSpy modified(s.f.doc.get(), &CKestovaDoc::modifiedChanged);
        const int keys = rowOf(*s.w, QStringLiteral("Key restrictions"));
        const int talk = rowOf(*s.w, QStringLiteral("Talk assignments"));
        s.w->list()->selectionModel()->select(s.w->list()->model()->index(keys, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        s.w->command(listcmd::kDenySelected)->trigger();
        QCOMPARE(glyph(*s.w, keys, colkind::kDeny), Glyph::CrossedBox);
        QCOMPARE(glyph(*s.w, talk, colkind::kDeny), Glyph::EmptyBox);
        QCOMPARE(modified.count(), 1);

        s.w->command(listcmd::kAllowAll)->trigger();
        for (int r = 0; r < s.w->listModel()->rowCount(); ++r)
            QCOMPARE(glyph(*s.w, r, colkind::kAllow), Glyph::CheckedBox);
        s.w->command(listcmd::kInheritAll)->trigger();
        QCOMPARE(glyphs(*s.w, talk), (QList<Glyph>{Glyph::Cross, Glyph::EmptyBox, Glyph::EmptyBox, Glyph::Cross}));
        // Inherit keeps the stored value of the user's own record but no longer writes it.
        QVERIFY(s.f.doc->selection().commit());
        const std::string dump = s.f.savedAndReadBack();
        QVERIFY(dump.find("user \"Ann\"") != std::string::npos);
        QVERIFY(dump.find("feature", dump.find("user \"Ann\"")) == std::string::npos);
    }

    void selectionCommandsAndTheirKeys()
    {
        Window s;
        CKestovaListCtrl* list = s.w->list();
        const int rows = s.w->listModel()->rowCount();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Asterisk, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(list->selectedItems().size(), rows);
        QTest::keyClick(list, Qt::Key_0, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(list->selectedItems().size(), 0);
        list->selectionModel()->select(list->model()->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(list, Qt::Key_Slash, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(list->selectedItems().size(), rows - 1);
        QVERIFY(!list->selectedItems().contains(1));
        QTest::keyClick(list, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(glyph(*s.w, 0, colkind::kAllow), Glyph::CheckedBox);
        QCOMPARE(glyph(*s.w, 1, colkind::kAllow), Glyph::EmptyBox);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(glyph(*s.w, 0, colkind::kAllow), Glyph::EmptyBox);

        QSignalSpy status(s.w.get(), &CPlaceWindow::statusMessage);
        s.w->command(listcmd::kAllowAll)->hover();
        s.w->command(listcmd::kInvertSelection)->hover();
        QCOMPARE(status.count(), 2);
        QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Allow access to ALL list items."));
        QCOMPARE(status.at(1).at(0).toString(), QStringLiteral("Toggle selection state of all list items."));
    }

    void readOnlyFileRefusesEveryChangeButNotSelection()
    {
        Window s(false);
        s.f.doc->model().setReadOnly(true);
        auto allGlyphs = [&] {
            QList<QList<Glyph>> out;
            for (int r = 0; r < s.w->listModel()->rowCount(); ++r)
                out << glyphs(*s.w, r);
            return out;
        };
        const auto before = allGlyphs();
        const int keys = rowOf(*s.w, QStringLiteral("Key restrictions"));
        click(*s.w, keys, colkind::kAllow);
        doubleClick(*s.w, keys, colkind::kDeny);
        s.w->allowAll();
        s.w->denySelected();
        s.w->inheritAll();
        QVERIFY(s.w->createContextMenu(s.w.get()) == nullptr);
        QVERIFY(!s.f.doc->isModified());
        QCOMPARE(allGlyphs(), before);
        QCOMPARE(s.w->list()->selectedItems(), QList<int>{keys});
        s.w->list()->clickHeading(1);
        QCOMPARE(s.w->list()->sortedColumn(), 1);
    }

    void contextMenuOffersTheAccessAndSelectPopups()
    {
        Window s;
        std::unique_ptr<QMenu> menu(s.w->createContextMenu(nullptr));
        QVERIFY(menu);
        QStringList titles;
        for (QAction* a : menu->actions())
            titles << a->text().remove(u'&');
        QCOMPARE(titles, (QStringList{u"Allow"_s, u"Deny"_s, u"Inherit"_s, u"Select"_s}));
        QCOMPARE(menu->actions().at(0)->menu()->actions().at(1), s.w->command(listcmd::kAllowAll));
    }

    void capabilitiesDecideWhichFeaturesAreListed()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Ann", EntityKind::User);
        f.app.intercom.ClearCapabilities();
        CFeaturesWnd keypanels(*f.doc, f.app, 0);
        QCOMPARE(keypanels.listModel()->index(0, 1).data().toString(), QStringLiteral("Key restrictions"));
        QCOMPARE(keypanels.listModel()->rowCount(), 13);

        CVreleditFeaturesWnd tovrin(*f.doc, f.app);
        QCOMPARE(rowOf(tovrin, QStringLiteral("Download firmware")), -1);
        QCOMPARE(rowOf(tovrin, QStringLiteral("Download keypanel fonts")), -1);
        QCOMPARE(tovrin.listModel()->index(0, 1).data().toString(), QStringLiteral("Change startup preferences"));

        CSpecialAssignmentsWnd special(*f.doc, f.app);
        QCOMPARE(rowOf(special, QStringLiteral("Auto-table assignment (AT)")), -1);
        QCOMPARE(special.listModel()->rowCount(), 8);

        CAlphaFeaturesWnd dimAlphas(*f.doc, f.app, 13);
        QCOMPARE(dimAlphas.listModel()->rowCount(), 0);

        giveAllCapabilities(f.app);
        dimAlphas.configurationChanged();
        QCOMPARE(dimAlphas.listModel()->rowCount(), 1);
        CSpecialAssignmentsWnd allSpecial(*f.doc, f.app);
        QCOMPARE(allSpecial.listModel()->index(2, 1).data().toString(), QStringLiteral("Auto-table assignment (AT)"));
        CVreleditFeaturesWnd allTovrin(*f.doc, f.app);
        QCOMPARE(allTovrin.listModel()->rowCount(), 44);
        QCOMPARE(allTovrin.listModel()->index(43, 1).data().toString(), QStringLiteral("Download license files"));
    }

    void alphaAndScrollTablesPerType()
    {
        DocFixture f(kFile);
        giveAllCapabilities(f.app);
        f.doc->selection().select(u"Ann", EntityKind::User);
        auto labels = [](CFeaturesWnd& w) {
            QStringList out;
            for (int r = 0; r < w.listModel()->rowCount(); ++r)
                out << w.listModel()->index(r, 1).data().toString();
            return out;
        };
        f.app.intercom.optionFlags = kOptionInputAlphas;
        CAlphaFeaturesWnd split(*f.doc, f.app, 0);
        QCOMPARE(labels(split).mid(0, 2), (QStringList{u"Output Alpha"_s, u"Input Alpha"_s}));
        QCOMPARE(split.listModel()->rowCount(), 4);
        f.app.intercom.optionFlags = 0;
        CAlphaFeaturesWnd plain(*f.doc, f.app, 0);
        QCOMPARE(plain.listModel()->rowCount(), 3);
        QCOMPARE(labels(plain).at(0), QStringLiteral("Alpha"));
        CScrollFeaturesWnd scroll(*f.doc, f.app, 0);
        QCOMPARE(scroll.listModel()->rowCount(), 4);
        QCOMPARE(labels(scroll).at(3), QStringLiteral("Skel/Dorn Scroll"));
        CScrollFeaturesWnd plScroll(*f.doc, f.app, 1);
        QCOMPARE(plScroll.listModel()->rowCount(), 3);
        // Every name in every table is a keyword: no table row is lost to a typing error.
        for (int type = 0; type < 18; ++type) {
            CFeaturesWnd features(*f.doc, f.app, type);
            QCOMPARE(features.listModel()->rowCount(), static_cast<int>(FeatureTableOfType(type).size()));
            for (int r = 0; r < features.listModel()->rowCount(); ++r)
                QVERIFY(!features.listModel()->index(r, 1).data().toString().isEmpty());
        }
    }

private:
    std::unique_ptr<PromptsTestScope> prompts_;
};

QTEST_MAIN(FeaturesListTest)
#include "FeaturesListTest.moc"
