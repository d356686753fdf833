#include "restrictions/EntitySelection.h"
#include "support/PromptsTestScope.h"
#include "views/lists/FeaturesWnd.h"
#include "views/lists/IcomWnds.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/ResourcesWnd.h"
#include "views/support/DocFixture.h"
#include "widgets/ListFilter.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <set>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

// Crew may edit every keypanel but 2 and 5; Ann takes that from Crew and denies 4 herself.
const std::string kFile = "[CLASS \"Crew\"]\nKP.Edit = *\nKP.Edit -= 2,5\n[USER \"Ann\"]\nclass=\"Crew\"\nKP.Edit -= 4\n";
constexpr int kKeypanels = 40;

// 40 keypanels: 7 is "Camera 7", 21 is "Studio B", 33 has the description "Edit suite camera"; the
// others keep their default alphas N001, N002, ...
void nameKeypanels(CAppState& app)
{
    app.intercom.keypanelCount = kKeypanels;
    app.prefs.alphaSize = 8;
    app.intercom.alphas[ResourceKey(0, 7)].alpha8 = u"Camera 7";
    app.intercom.alphas[ResourceKey(0, 21)].alpha8 = u"Studio B";
    app.intercom.descriptions[ResourceKey(0, 33)].text = u"Edit suite camera";
}

struct Keypanels {
    DocFixture f{kFile};
    std::unique_ptr<CResourceEditWnd> w;
    explicit Keypanels(const char16_t* entity = u"Ann", EntityKind kind = EntityKind::User)
    {
        nameKeypanels(f.app);
        f.doc->selection().select(entity, kind);
        w = std::make_unique<CResourceEditWnd>(*f.doc, f.app, 0);
        w->resize(700, 500);
    }
};

// The numbers of the shown rows, top to bottom, as the number column shows them.
QList<int> shownNumbers(CListOnlyWnd& w)
{
    QAbstractItemModel* m = w.list()->model();
    const int column = w.listModel()->columnOfKind(colkind::kNumber);
    QList<int> out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, column).data().toString().toInt();
    return out;
}

QList<int> range(int first, int last, QList<int> out = {})
{
    for (int n = first; n <= last; ++n)
        out << n;
    return out;
}

QStringList shownLabels(CListOnlyWnd& w)
{
    QAbstractItemModel* m = w.list()->model();
    const int column = w.listModel()->columnOfKind(colkind::kName);
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, column).data().toString();
    return out;
}

void giveAllCapabilities(CAppState& app)
{
    app.intercom.capabilities.setSize(133);
    for (unsigned c = 0; c < 133; ++c)
        app.intercom.capabilities.set(c);
}

}  // namespace

class ListFilterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { prompts_ = std::make_unique<PromptsTestScope>(); }
    void cleanup() { prompts_.reset(); }

    void keepsRowsWhoseNumberAlphaOrDescriptionContainsTheText_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("nothing typed") << QString() << range(1, kKeypanels);
        QTest::newRow("alpha, other case") << u"CAMERA 7"_s << QList<int>{7};
        QTest::newRow("alpha and description") << u"camera"_s << QList<int>{7, 33};
        QTest::newRow("alpha with a space") << u"studio b"_s << QList<int>{21};
        QTest::newRow("number as shown, zero padded") << u"012"_s << QList<int>{12};
        QTest::newRow("digit in numbers and alphas") << u"3"_s << range(30, 39, {3, 13, 23});
        // 21 is named otherwise, so its default alpha no longer matches.
        QTest::newRow("default alphas") << u"n02"_s << range(22, 29, {20});
        QTest::newRow("description only") << u"SUITE"_s << QList<int>{33};
        QTest::newRow("no row") << u"zzz"_s << QList<int>{};
    }
    void keepsRowsWhoseNumberAlphaOrDescriptionContainsTheText()
    {
        QFETCH(QString, filter);
        QFETCH(QList<int>, shown);
        Keypanels k;
        QAbstractItemModelTester tester(k.w->list()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        k.w->setFilterText(u"something else"_s);
        k.w->setFilterText(filter);
        QCOMPARE(shownNumbers(*k.w), shown);
        // The filter field is what the window filters by.
        QCOMPARE(k.w->filterField()->text(), filter);
        QCOMPARE(k.w->filterField()->placeholderText(), u"Filter"_s);
        QVERIFY(k.w->filterField()->isClearButtonEnabled());
    }

    void keepsFeaturesAndCapabilitiesByLabel()
    {
        DocFixture f(kFile);
        giveAllCapabilities(f.app);
        f.doc->selection().select(u"Ann", EntityKind::User);
        CFeaturesWnd features(*f.doc, f.app, 0);
        const QStringList all = shownLabels(features);
        QVERIFY(all.contains(u"Talk assignments"_s) && all.contains(u"Key restrictions"_s));
        features.setFilterText(u"TALK ASSIGN"_s);
        QCOMPARE(shownLabels(features), QStringList{u"Talk assignments"_s});
        features.setFilterText(u"key restr"_s);
        QCOMPARE(shownLabels(features), QStringList{u"Key restrictions"_s});

        // The intercom's own lists filter too.
        f.app.intercom.capabilities.clearAll();
        CIcomCapabilitiesWnd capabilities(*f.doc, f.app);
        const int total = capabilities.listModel()->rowCount();
        const QString first = capabilities.listModel()->index(0, 0).data().toString();
        capabilities.setFilterText(first.toUpper());
        QVERIFY(shownLabels(capabilities).contains(first));
        QVERIFY(capabilities.list()->model()->rowCount() < total);
        for (const QString& label : shownLabels(capabilities))
            QVERIFY2(label.contains(first, Qt::CaseInsensitive), qPrintable(label));
    }

    void allRowCommandsChangeOnlyTheShownRows()
    {
        Keypanels k;
        CEntitySelection& s = k.f.doc->selection();
        // Explicit settings: 1 allowed, 0 denied, -1 inherited.
        auto setting = [&](std::uint32_t n) { return s.isInherited(0, n) ? -1 : s.isRestricted(0, n) ? 0 : 1; };
        auto expect = [&](const std::set<int>& allowed, const std::set<int>& denied) {
            for (int n = 1; n <= kKeypanels; ++n) {
                const int want = allowed.count(n) ? 1 : denied.count(n) ? 0 : -1;
                QVERIFY2(setting(static_cast<std::uint32_t>(n)) == want, qPrintable(u"keypanel %1"_s.arg(n)));
            }
        };
        k.w->setFilterText(u"n02"_s);
        k.w->allowAll();
        expect({20, 22, 23, 24, 25, 26, 27, 28, 29}, {4});

        k.w->setFilterText(u"camera"_s);
        k.w->command(listcmd::kDenyAll)->trigger();
        expect({20, 22, 23, 24, 25, 26, 27, 28, 29}, {4, 7, 33});

        // Select All selects the shown rows; the selected commands then reach only them.
        k.w->setFilterText(u"2"_s);
        k.w->selectAll();
        QCOMPARE(k.w->list()->selectedItems().size(), 13);  // 2, 12, 20 to 29, 32
        k.w->inheritSelected();
        expect({}, {4, 7, 33});

        // Without a filter, All is every row again.
        k.w->setFilterText({});
        k.w->allowAll();
        const QList<int> every = range(1, kKeypanels);
        expect(std::set<int>(every.begin(), every.end()), {});
    }

    void sortingSelectionAndLayoutWorkWithTheFilter()
    {
        Keypanels k;
        CKestovaListCtrl* list = k.w->list();
        const int number = k.w->listModel()->columnOfKind(colkind::kNumber);
        list->clickHeading(number);
        list->clickHeading(number);  // descending
        k.w->setFilterText(u"3"_s);
        QCOMPARE(shownNumbers(*k.w), (QList<int>{39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 23, 13, 3}));
        // Rows that come back take their sorted places.
        k.w->setFilterText(u"1"_s);
        QCOMPARE(shownNumbers(*k.w).mid(0, 4), (QList<int>{31, 21, 19, 18}));
        k.w->setFilterText({});
        QList<int> descending;
        for (int n = kKeypanels; n >= 1; --n)
            descending << n;
        QCOMPARE(shownNumbers(*k.w), descending);
        // Sorting while filtered sorts the shown rows.
        k.w->setFilterText(u"3"_s);
        list->clickHeading(number);
        QCOMPARE(shownNumbers(*k.w), (QList<int>{3, 13, 23, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39}));

        // A selection keeps its shown rows through a narrower filter and loses the hidden ones.
        list->selectionModel()->select(QItemSelection(list->model()->index(0, 0), list->model()->index(3, 0)),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(list->selectedItems(), (QList<int>{2, 12, 22, 29}));
        k.w->setFilterText(u"30"_s);
        QCOMPARE(list->selectedItems(), (QList<int>{29}));
        k.w->setFilterText({});
        QCOMPARE(list->selectedItems(), (QList<int>{29}));
        k.w->setFilterText(u"3"_s);
        k.w->invertSelection();
        QCOMPARE(list->selectedItems().size(), 12);
        QVERIFY(!list->selectedItems().contains(29));

        // The column layout is saved and restored while a filter hides rows.
        list->horizontalHeader()->moveSection(list->horizontalHeader()->visualIndex(number), 0);
        k.w.reset();
        CResourceEditWnd again(*k.f.doc, k.f.app, 0);
        again.setFilterText(u"camera"_s);
        QCOMPARE(again.list()->horizontalHeader()->logicalIndex(0), number);
        QCOMPARE(shownNumbers(again), (QList<int>{7, 33}));
    }

    void statusBarSaysHowManyRowsAreShown()
    {
        Keypanels k;
        QSignalSpy status(k.w.get(), &CPlaceWindow::statusMessage);
        k.w->setFilterText(u"n02"_s);
        k.w->setFilterText(u"CAM"_s);
        k.w->setFilterText(u"zzz"_s);
        k.w->setFilterText({});
        QStringList texts;
        for (const QList<QVariant>& args : status)
            texts << args.at(0).toString();
        QCOMPARE(texts, (QStringList{u"9 of 40 rows shown"_s, u"2 of 40 rows shown"_s, u"0 of 40 rows shown"_s,
                                     QString()}));
        QCOMPARE(k.w->rowsShownText(), QString());

        // The counts follow the configuration when the list is filled again under the filter.
        k.w->setFilterText(u"CAM"_s);
        k.f.app.intercom.alphas[ResourceKey(0, 8)].alpha8 = u"Cam 8";
        status.clear();
        k.w->configurationChanged();
        QCOMPARE(shownNumbers(*k.w), (QList<int>{7, 8, 33}));
        QCOMPARE(status.size(), 1);
        QCOMPARE(status.at(0).at(0).toString(), u"3 of 40 rows shown"_s);
    }

    void ctrlFFocusesTheFieldAndEscapeClearsIt()
    {
        Keypanels k;
        k.w->show();
        QApplication::setActiveWindow(k.w.get());
        QVERIFY(QTest::qWaitForWindowActive(k.w.get()));
        k.w->list()->setFocus();
        QTRY_VERIFY(k.w->list()->hasFocus());
        QSignalSpy status(k.w.get(), &CPlaceWindow::statusMessage);

        QTest::keyClick(k.w->list(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(k.w->filterField()->hasFocus());
        QTest::keyClicks(k.w->filterField(), u"Stu"_s);
        QCOMPARE(shownNumbers(*k.w), QList<int>{21});
        QCOMPARE(status.last().at(0).toString(), u"1 of 40 rows shown"_s);

        // Ctrl+F again selects the text, so typing replaces it.
        k.w->list()->setFocus();
        QTest::keyClick(k.w->list(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(k.w->filterField(), u"camera"_s);
        QCOMPARE(shownNumbers(*k.w), (QList<int>{7, 33}));

        QTest::keyClick(k.w->filterField(), Qt::Key_Escape);
        QCOMPARE(k.w->filterField()->text(), QString());
        QCOMPARE(k.w->list()->model()->rowCount(), kKeypanels);
        QCOMPARE(status.last().at(0).toString(), QString());
        QVERIFY(k.w->filterField()->hasFocus());
        // Escape in the empty field hands the keyboard back to the list.
        QTest::keyClick(k.w->filterField(), Qt::Key_Escape);
        QVERIFY(k.w->list()->hasFocus());
    }

private:
    std::unique_ptr<PromptsTestScope> prompts_;
};

QTEST_MAIN(ListFilterTest)
#include "ListFilterTest.moc"
