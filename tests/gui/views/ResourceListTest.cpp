#include "app/ColorRef.h"
#include "restrictions/EntitySelection.h"
#include "support/PromptsTestScope.h"
#include "views/lists/IcomWnds.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/ListLayout.h"
#include "views/lists/PlaceWindows.h"
#include "views/lists/ResourcesWnd.h"
#include "views/support/DocFixture.h"
#include "widgets/GlyphDelegate.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

const std::string kFile = "[CLASS \"Crew\"]\nKP.Edit = *\nKP.Edit -= 2,5\n[USER \"Ann\"]\nclass=\"Crew\"\nKP.Edit -= 4\n";

Glyph glyphAt(CResourcesWnd& w, int viewRow, int kind)
{
    QAbstractItemModel* m = w.list()->model();
    return static_cast<Glyph>(
        m->index(viewRow, w.listModel()->columnOfKind(kind)).data(CKestovaListModel::GlyphRole).toInt());
}

QString textAt(CListOnlyWnd& w, int viewRow, int kind)
{
    return w.list()->model()->index(viewRow, w.listModel()->columnOfKind(kind)).data().toString();
}

QStringList headings(CListOnlyWnd& w)
{
    QStringList out;
    for (int c = 0; c < w.listModel()->fillerColumn(); ++c)
        out << w.listModel()->headerData(c, Qt::Horizontal).toString();
    return out;
}

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
    int contextMenuId() const override { return 131; }
};

}  // namespace

class ResourceListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { prompts_ = std::make_unique<PromptsTestScope>(); }
    void cleanup() { prompts_.reset(); }

    void numbersAlphasAndDescriptionsOfResources()
    {
        DocFixture f(kFile);
        f.app.intercom.keypanelCount = 1200;
        f.app.intercom.alphas[ResourceKey(0, 7)].alpha4 = u"CAM7";
        f.app.intercom.alphas[ResourceKey(0, 7)].alpha8 = u"CAMERA 7";
        f.app.prefs.alphaSize = 8;
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CResourceEditWnd w(*f.doc, f.app, 0);
        QAbstractItemModelTester tester(w.listModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(headings(w), (QStringList{u"Access"_s, u"#"_s, u"Alpha"_s, u"Description"_s, u"Allow"_s,
                                           u"Deny"_s, u"Inherited"_s}));
        QCOMPARE(w.layoutKey(), u"EditAndAssign"_s);
        QCOMPARE(w.listModel()->rowCount(), 1200);
        QCOMPARE(textAt(w, 6, colkind::kNumber), u"007"_s);
        QCOMPARE(textAt(w, 999, colkind::kNumber), u"1000"_s);
        QCOMPARE(textAt(w, 6, colkind::kAlpha), u"CAMERA 7"_s);
        QCOMPARE(textAt(w, 6, colkind::kDescription),
                 QString::fromStdU16String(f.app.intercom.DescriptionText(0, 7)));
        QCOMPARE(glyphAt(w, 1, colkind::kAccess), Glyph::Cross);
        QCOMPARE(glyphAt(w, 1, colkind::kDeny), Glyph::CrossedBox);
        QCOMPARE(glyphAt(w, 2, colkind::kAccess), Glyph::Check);

        // The numbers sort as numbers, also past 999.
        w.list()->clickHeading(w.listModel()->columnOfKind(colkind::kNumber));
        QCOMPARE(textAt(w, 998, colkind::kNumber), u"999"_s);
        QCOMPARE(textAt(w, 999, colkind::kNumber), u"1000"_s);
    }

    void splitAlphasShowInputAlphasOfKeypanels()
    {
        DocFixture f(kFile);
        f.app.intercom.capabilities.set(31);
        f.app.intercom.optionFlags = kOptionInputAlphas;
        f.app.intercom.alphas[ResourceKey(restype::kInputAlpha, 3)].alpha4 = u"IN3";
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CResourceAssignWnd w(*f.doc, f.app, 0);
        QCOMPARE(w.layoutKey(), u"EditAndAssign2"_s);
        QCOMPARE(headings(w).mid(2, 2), (QStringList{u"Output Alpha"_s, u"Input Alpha"_s}));
        QCOMPARE(textAt(w, 2, colkind::kInputAlpha), u"IN3"_s);
        // The assign window reads the Assign keyword: the class's KP.Edit deny does not show there.
        QCOMPARE(glyphAt(w, 1, colkind::kDeny), Glyph::EmptyBox);
        CResourceEditWnd party(*f.doc, f.app, 1);
        QCOMPARE(party.layoutKey(), u"EditAndAssign"_s);
    }

    void denyCellTakesAResourceAwayFromTheClass()
    {
        DocFixture f(kFile);
        f.app.prefs.requireDoubleClick = false;
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CResourceEditWnd w(*f.doc, f.app, 0);
        w.resize(700, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect cell = w.list()->visualRect(w.list()->model()->index(2, w.listModel()->columnOfKind(colkind::kDeny)));
        QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f.doc->selection().isRestricted(0, 3), 1);
        QCOMPARE(f.doc->selection().isInherited(0, 3), 0);
        QVERIFY(f.doc->isModified());
        QCOMPARE(glyphAt(w, 2, colkind::kDeny), Glyph::CrossedBox);
    }

    void includedCellTogglesInclusion()
    {
        DocFixture f("[STUDIO \"Stage\"]\nKP.Edit = 1-2\n");
        f.doc->selection().select(u"Stage", EntityKind::Studio);
        InclusionList w(*f.doc, f.app);
        auto included = [&](int item) { return glyphAt(w, item, colkind::kIncluded); };
        QCOMPARE(included(0), Glyph::CheckedBox);
        QCOMPARE(included(2), Glyph::EmptyBox);
        w.cellClicked(0, 0);
        w.cellClicked(2, 0);
        QCOMPARE(included(0), Glyph::EmptyBox);
        QCOMPARE(included(2), Glyph::CheckedBox);
        w.cellClicked(1, 1);  // the number column changes nothing
        QCOMPARE(included(1), Glyph::CheckedBox);
        QCOMPARE(f.doc->selection().isRestricted(0, 1), 1);
        QCOMPARE(f.doc->selection().isRestricted(0, 3), 0);
        std::unique_ptr<QMenu> menu(w.createContextMenu(nullptr));
        QStringList titles;
        for (QAction* a : menu->actions())
            titles << a->text().remove(u'&');
        QCOMPARE(titles, (QStringList{u"Include"_s, u"Exclude"_s, u"Select"_s}));
    }

    void allowAllOnTwoThousandKeypanelsMarksModifiedOnce()
    {
        DocFixture f(kFile);
        f.app.intercom.keypanelCount = 2000;
        f.doc->selection().select(u"Ann", EntityKind::User);
        CResourceEditWnd w(*f.doc, f.app, 0);
        QSignalSpy modified(f.doc.get(), &CKestovaDoc::modifiedChanged);
        QSignalSpy repainted(w.listModel(), &QAbstractItemModel::dataChanged);
        w.allowAll();
        QCOMPARE(modified.count(), 1);
        QCOMPARE(repainted.count(), 1);
        for (std::uint32_t n : {1u, 2u, 4u, 2000u}) {
            QCOMPARE(f.doc->selection().isRestricted(0, n), 0);
            QCOMPARE(f.doc->selection().isInherited(0, n), 0);
        }
        QCOMPARE(glyphAt(w, 1999, colkind::kAllow), Glyph::CheckedBox);
    }

    void commandsOnAnEmptyListStillMarkModified()
    {
        DocFixture f(kFile);
        f.app.intercom.ifbCount = 0;
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CResourceEditWnd edit(*f.doc, f.app, 2);
        CResourceAssignWnd assign(*f.doc, f.app, 2);
        QCOMPARE(edit.listModel()->rowCount(), 0);
        QCOMPARE(assign.listModel()->rowCount(), 0);
        edit.allowAll();
        QVERIFY(f.doc->isModified());
    }

    void emptyListSaysSo()
    {
        DocFixture f(kFile);
        f.app.intercom.ifbCount = 0;
        f.doc->selection().select(u"Crew", EntityKind::Class);
        // Row texts in red, so that only the empty-list text is dark.
        for (std::uint32_t* c : {&f.app.prefs.colors.inheritText, &f.app.prefs.colors.allowText,
                                 &f.app.prefs.colors.denyText})
            *c = MakeColorRef(255, 0, 0);
        f.app.prefs.colors.normalBackground = MakeColorRef(255, 255, 255);
        CResourceEditWnd w(*f.doc, f.app, 2);
        w.resize(500, 200);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto inkRows = [&] {
            const QImage image = w.list()->viewport()->grab().toImage();
            int rows = 0;
            for (int y = 0; y < image.height(); ++y) {
                bool any = false;
                for (int x = 0; x < 200 && !any; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    any = c.red() < 100 && c.green() < 100 && c.blue() < 100;
                }
                rows += any ? 1 : 0;
            }
            return rows;
        };
        QVERIFY(inkRows() > 3);
        // The same window with rows shows no such text in the list's text colour.
        f.app.intercom.ifbCount = 3;
        w.configurationChanged();
        QCOMPARE(w.listModel()->rowCount(), 3);
        QCOMPARE(inkRows(), 0);
        QCOMPARE(CKestovaListCtrl::emptyText(), u"<no items in list>"_s);
    }

    void glyphHeadingSortsCheckedFirstAndFillerNeverSorts()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Ann", EntityKind::User);
        f.app.intercom.keypanelCount = 6;
        CResourceEditWnd w(*f.doc, f.app, 0);
        CKestovaListCtrl* list = w.list();
        const int access = w.listModel()->columnOfKind(colkind::kAccess);
        const int deny = w.listModel()->columnOfKind(colkind::kDeny);
        list->clickHeading(access);
        QCOMPARE(list->sortOrder(), Qt::AscendingOrder);
        // Allowed rows first, each group in its original order (2, 4 and 5 are denied).
        QCOMPARE(list->allItems(), (QList<int>{0, 2, 5, 1, 3, 4}));
        list->clickHeading(access);
        QCOMPARE(list->sortOrder(), Qt::DescendingOrder);
        QCOMPARE(list->allItems().mid(0, 3), (QList<int>{1, 3, 4}));
        QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        // Only keypanel 4 is the user's own deny.
        list->clickHeading(deny);
        QCOMPARE(list->sortOrder(), Qt::AscendingOrder);
        QCOMPARE(list->allItems().at(0), 3);
        // A click on the filler changes nothing, the header's indicator included.
        list->horizontalHeader()->setSortIndicator(w.listModel()->fillerColumn(), Qt::AscendingOrder);
        QCOMPARE(list->sortedColumn(), deny);
        QCOMPARE(list->horizontalHeader()->sortIndicatorSection(), deny);
        QCOMPARE(list->allItems().at(0), 3);
        // A real click on a heading goes the same way: a new column starts ascending.
        w.resize(700, 300);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QHeaderView* header = list->horizontalHeader();
        const int number = w.listModel()->columnOfKind(colkind::kNumber);
        const QPoint numberHeading(header->sectionViewportPosition(number) + header->sectionSize(number) / 2,
                                   header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, numberHeading);
        QCOMPARE(list->sortedColumn(), number);
        QCOMPARE(list->sortOrder(), Qt::AscendingOrder);
        QCOMPARE(list->allItems(), (QList<int>{0, 1, 2, 3, 4, 5}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, numberHeading);
        QCOMPARE(list->allItems(), (QList<int>{5, 4, 3, 2, 1, 0}));
        list->clickHeading(deny);
        // Commands act on the rows as shown: the first shown row is keypanel 4.
        list->selectionModel()->select(list->model()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w.allowSelected();
        QCOMPARE(f.doc->selection().isRestricted(0, 4), 0);
        QCOMPARE(f.doc->selection().isRestricted(0, 2), 1);
    }

    void layoutIsStoredAsBytesAndRestored()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Crew", EntityKind::Class);
        {
            CResourceEditWnd w(*f.doc, f.app, 0);
            QHeaderView* h = w.list()->horizontalHeader();
            for (int c = 0; c < 7; ++c)
                h->resizeSection(c, 30 + c * 100);
            h->moveSection(h->visualIndex(3), 0);  // Description first
        }
        const QByteArray widths = f.settings.readListLayout(u"EditAndAssign"_s, ListLayoutPart::ColumnWidths);
        const QByteArray order = f.settings.readListLayout(u"EditAndAssign"_s, ListLayoutPart::ColumnOrder);
        QCOMPARE(widths.size(), 16);  // seven columns and the filler, two bytes each
        QCOMPARE(widths.left(14), QByteArray::fromHex("001e008200e6014a01ae02120276"));
        QCOMPARE(order, QByteArray::fromHex("03000000000000000100000002000000"
                                            "04000000050000000600000007000000"));
        // The stored layout comes back, the filler stays last and fills the rest.
        CResourceEditWnd again(*f.doc, f.app, 0);
        QHeaderView* h = again.list()->horizontalHeader();
        QCOMPARE(h->sectionSize(5), 530);
        QCOMPARE(h->logicalIndex(0), 3);
        QCOMPARE(h->logicalIndex(7), 7);

        QCOMPARE(DecodeColumnWidths(EncodeColumnWidths({1, 300, 65535})), (QList<int>{1, 300, 65535}));
        QCOMPARE(MergedColumnOrder({2, 0}, 4), (QList<int>{2, 0, 1, 3}));
        QCOMPARE(MergedColumnOrder({2, 2, 1}, 3), (QList<int>{2, 0, 1}));
        QCOMPARE(MergedColumnOrder({9}, 2), (QList<int>{0, 1}));
    }

    void dividerDoubleClickSizesByModifiers()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CResourceEditWnd w(*f.doc, f.app, 0);
        w.resize(900, 300);
        CKestovaListCtrl* list = w.list();
        const int alpha = w.listModel()->columnOfKind(colkind::kAlpha);
        QHeaderView* h = list->horizontalHeader();
        list->sizeColumnFromDivider(alpha, Qt::ControlModifier);
        QCOMPARE(h->sectionSize(alpha), list->headingTextWidth(alpha) + 20);
        list->sizeColumnFromDivider(alpha, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(h->sectionSize(alpha), std::max(list->headingTextWidth(alpha), h->minimumSectionSize()));
        list->sizeColumnFromDivider(alpha, Qt::ShiftModifier);
        QCOMPARE(h->sectionSize(alpha), std::max(list->contentsWidth(alpha), h->minimumSectionSize()));
    }

    void dragSelectsARangeAndScrollsPastTheEdge()
    {
        DocFixture f(kFile);
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CResourceEditWnd w(*f.doc, f.app, 0);
        w.resize(600, 200);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        CKestovaListCtrl* list = w.list();
        QWidget* vp = list->viewport();
        auto rowCentre = [&](int row) { return list->visualRect(list->model()->index(row, 1)).center(); };
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCentre(1));
        QMouseEvent move(QEvent::MouseMove, QPointF(rowCentre(3)), vp->mapToGlobal(QPointF(rowCentre(3))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QCOMPARE(list->selectedItems(), (QList<int>{1, 2, 3}));
        const QPoint below(rowCentre(1).x(), vp->height() + 10);
        QMouseEvent out(QEvent::MouseMove, QPointF(below), vp->mapToGlobal(QPointF(below)), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &out);
        const int lastVisible = list->rowAt(vp->height() - 1);
        QTRY_VERIFY(list->verticalScrollBar()->value() >= 3);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, below);
        const QList<int> selected = list->selectedItems();
        QCOMPARE(selected.first(), 1);
        QVERIFY(selected.last() > lastVisible);
        QCOMPARE(selected.size(), selected.last());
        QVERIFY(!f.doc->isModified());

        // A Ctrl drag that starts on a selected row deselects its range and keeps the rest.
        list->scrollToTop();
        list->selectNoRows();
        for (int row : {0, 1, 2, 3, 4})
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::mousePress(vp, Qt::LeftButton, Qt::ControlModifier, rowCentre(1));
        QMouseEvent ctrlMove(QEvent::MouseMove, QPointF(rowCentre(2)), vp->mapToGlobal(QPointF(rowCentre(2))),
                             Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
        QApplication::sendEvent(vp, &ctrlMove);
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
        QCOMPARE(list->selectedItems(), (QList<int>{0, 3, 4}));
    }

    void shadingFollowsTheMaskAndOffsets_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QList<bool>>("shaded");
        QTest::newRow("pairs") << 2 << QList<bool>{false, false, true, true, false, false, true, true};
        QTest::newRow("every odd row") << 1 << QList<bool>{false, true, false, true, false, true, false, true};
        QTest::newRow("none") << 0 << QList<bool>(8, false);
    }

    void shadingFollowsTheMaskAndOffsets()
    {
        QFETCH(int, mask);
        QFETCH(QList<bool>, shaded);
        ListColors colors;
        colors.normalBackground = MakeColorRef(250, 5, 128);
        colors.readOnlyBackground = MakeColorRef(200, 200, 200);
        colors.selectedBackground = MakeColorRef(0, 0, 255);
        colors.unfocusedBackground = MakeColorRef(100, 100, 100);
        colors.shadingOffsets = MakeColorRef(10, 10, 30);
        for (int row = 0; row < 8; ++row) {
            const QColor plain = CGlyphDelegate::background(colors, mask, row, false, false, false);
            QCOMPARE(plain, shaded[row] ? QColor(240, 0, 98) : QColor(250, 5, 128));
        }
        QCOMPARE(CGlyphDelegate::background(colors, 0, 0, true, true, true), QColor(0, 0, 255));
        QCOMPARE(CGlyphDelegate::background(colors, 0, 0, true, false, false), QColor(100, 100, 100));
        QCOMPARE(CGlyphDelegate::background(colors, 0, 0, false, false, true), QColor(200, 200, 200));
    }

    void intercomWindowsListTypesAndCapabilities()
    {
        DocFixture f(kFile);
        f.app.intercom.groupCount = 0;
        auto types = [&] {
            CIcomResourcesWnd w(*f.doc, f.app);
            QStringList out;
            for (int r = 0; r < w.listModel()->rowCount(); ++r)
                out << textAt(w, r, colkind::kResourceType) + u'=' + textAt(w, r, colkind::kNumber);
            return out;
        };
        QVERIFY(types().filter(QRegularExpression(u"^Groups="_s)).isEmpty());
        QVERIFY(types().contains(u"Keypanels=136"_s));
        f.app.intercom.groupCount = 12;
        QVERIFY(types().contains(u"Groups=12"_s));

        f.app.intercom.ClearCapabilities();
        f.app.intercom.capabilities.set(9);
        CIcomCapabilitiesWnd caps(*f.doc, f.app);
        QAbstractItemModelTester tester(caps.listModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(caps.listModel()->rowCount(), 133);
        QCOMPARE(headings(caps), (QStringList{u"Capability"_s, u"Enabled"_s}));
        QCOMPARE(textAt(caps, 9, colkind::kName), u"Key State Set"_s);
        QCOMPARE(textAt(caps, 14, colkind::kName), u"TIF Dialout Restrictions"_s);
        const int enabled = caps.listModel()->columnOfKind(colkind::kAccess);
        QCOMPARE(caps.listModel()->index(9, enabled).data(CKestovaListModel::GlyphRole).toInt(), int(Glyph::Check));
        QCOMPARE(caps.listModel()->index(8, enabled).data(CKestovaListModel::GlyphRole).toInt(), int(Glyph::Cross));
        QVERIFY(caps.createContextMenu(&caps) == nullptr);
        QVERIFY(caps.command(listcmd::kAllowAll) == nullptr);
    }

    void factoryChoosesTheWindowOfAPlace_data()
    {
        QTest::addColumn<int>("treeKind");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("window");
        QTest::newRow("intercom capabilities") << treekind::kIntercom << 0 << tabvalue::kCapabilities
                                               << u"vexilor::CIcomCapabilitiesWnd"_s;
        QTest::newRow("intercom resources") << treekind::kIntercom << 0 << tabvalue::kIntercomResources
                                            << u"vexilor::CIcomResourcesWnd"_s;
        QTest::newRow("class resources") << treekind::kClass << 1 << tabvalue::kResources
                                         << u"vexilor::CResourceEditWnd"_s;
        QTest::newRow("user assignments") << treekind::kUser << 3 << tabvalue::kAssignments
                                          << u"vexilor::CResourceAssignWnd"_s;
        QTest::newRow("alphas") << treekind::kUser << 2 << tabvalue::kAlphas << u"vexilor::CAlphaFeaturesWnd"_s;
        QTest::newRow("features") << treekind::kClass << 5 << tabvalue::kFeatures << u"vexilor::CFeaturesWnd"_s;
        QTest::newRow("scroll") << treekind::kClass << 1 << tabvalue::kScrollEnables
                                << u"vexilor::CScrollFeaturesWnd"_s;
        QTest::newRow("special") << treekind::kUser << 19 << tabvalue::kNone << u"vexilor::CSpecialAssignmentsWnd"_s;
        QTest::newRow("tovrin") << treekind::kUser << 20 << tabvalue::kNone << u"vexilor::CVreleditFeaturesWnd"_s;
        QTest::newRow("menus") << treekind::kClass << 21 << tabvalue::kNone << u"vexilor::CMenuRestrictWnd"_s;
        QTest::newRow("class configuration") << treekind::kClass << 0 << tabvalue::kNone << QString();
        QTest::newRow("studio") << treekind::kStudio << 1 << tabvalue::kResources << QString();
        QTest::newRow("users folder") << treekind::kUsers << 0 << tabvalue::kNone << QString();
        QTest::newRow("intercom, no tab") << treekind::kIntercom << 0 << tabvalue::kNone << QString();
    }

    void factoryChoosesTheWindowOfAPlace()
    {
        QFETCH(int, treeKind);
        QFETCH(int, row);
        QFETCH(int, tab);
        QFETCH(QString, window);
        DocFixture f(kFile);
        f.doc->selection().select(u"Ann", EntityKind::User);
        Place place;
        place.treeKind = treeKind;
        place.categoryRow = row;
        place.resourceType = row >= 1 && row <= 18 ? row - 1 : 18;
        place.tab = tab;
        std::unique_ptr<CPlaceWindow> w(CreatePlaceWindow(place, *f.doc, f.app, nullptr));
        QCOMPARE(w ? QString::fromLatin1(w->metaObject()->className()) : QString(), window);
    }

    void screenshotOfAResourceWindow()
    {
        DocFixture f(kFile + "KP.Edit += 6\nKP.Edit @= 5\n");
        // The defaults of a desktop with a white window and a blue highlight.
        SettingsStore desktop(std::make_unique<QSettings>(f.dir.filePath(u"desktop.ini"_s), QSettings::IniFormat),
                              SystemDefaults{900, MakeColorRef(0, 0, 0), MakeColorRef(255, 255, 255),
                                             MakeColorRef(0, 120, 215), MakeColorRef(160, 160, 160)});
        f.app.prefs = desktop.loadSettings();
        f.app.intercom.keypanelCount = 40;
        f.doc->selection().select(u"Ann", EntityKind::User);
        f.doc->selection().setRestricted(0, 9, true);
        f.doc->selection().setInherit(0, 9, false);
        CResourceEditWnd w(*f.doc, f.app, 0);
        w.resize(640, 360);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.list()->selectionModel()->select(w.list()->model()->index(2, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        const QString path = QDir::temp().filePath(u"h16-resources.png"_s);
        image.save(path);
        // The deny colour reaches the pixels of a denied row's access glyph.
        const QRect cell = w.list()->visualRect(w.list()->model()->index(1, 0));
        const QImage cellImage = w.list()->viewport()->grab(cell).toImage();
        bool deny = false;
        for (int y = 0; y < cellImage.height() && !deny; ++y)
            for (int x = 0; x < cellImage.width() && !deny; ++x)
                deny = cellImage.pixelColor(x, y) == FromColorRef(f.app.prefs.colors.denyText);
        QVERIFY(deny);
    }

private:
    std::unique_ptr<PromptsTestScope> prompts_;
};

QTEST_MAIN(ResourceListTest)
#include "ResourceListTest.moc"
