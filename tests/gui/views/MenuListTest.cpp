#include "intercom/Capabilities.h"
#include "restrictions/EntitySelection.h"
#include "restrictions/MenuCatalogue.h"
#include "support/PromptsTestScope.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/MenuRestrictWnd.h"
#include "views/support/DocFixture.h"
#include "widgets/WhyPane.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

// An intercom with exactly the resource types named (by their counts and capabilities).
CIntercom intercomWith(const std::vector<unsigned>& types, std::uint16_t keypanels = 136)
{
    CIntercom icom;
    icom.ClearCapabilities();
    icom.keypanelCount = keypanels;
    icom.groupCount = 0;
    icom.assignmentGroupCount = 0;
    icom.autoDialCount = 0;
    icom.uplStatementCount = 0;
    icom.dimTableCount = 0;
    icom.ifbSpecialListCount = 0;
    for (unsigned t : types) {
        switch (t) {
        case restype::kGroup: icom.groupCount = 8; break;
        case restype::kAssignmentGroup:
            icom.capabilities.set(cap::NoAssignmentGroups);
            icom.assignmentGroupCount = 8;
            break;
        case restype::kAutoDial:
            icom.capabilities.set(cap::NoAutoDial);
            icom.autoDialCount = 8;
            break;
        case restype::kUplStatement:
            icom.capabilities.set(cap::NoUserProgrammableLogic);
            icom.uplStatementCount = 8;
            break;
        case restype::kDimTable: icom.dimTableCount = 8; break;
        case restype::kIfbSpecialList:
            icom.capabilities.set(cap::NoIFBSpecialLists);
            icom.ifbSpecialListCount = 8;
            break;
        case restype::kDornet: icom.capabilities.set(cap::NoDornetSupport); break;
        case restype::kSkelby: icom.capabilities.set(cap::NoConfigurableSkelby); break;
        case restype::kFennby: icom.capabilities.set(cap::NoConfigurableFennby); break;
        default: break;
        }
    }
    return icom;
}

CMenuItem command(const char16_t* text, std::uint32_t id)
{
    return {CMenuItem::Kind::Command, id, text, {}};
}

}  // namespace

class MenuListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { prompts_ = std::make_unique<PromptsTestScope>(); }
    void cleanup() { prompts_.reset(); }

    void entriesFollowWhatTheIntercomHas_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("keypanels");
        QTest::addColumn<bool>("shown");
        using L = QList<int>;
        const int grp = restype::kGroup, agrp = restype::kAssignmentGroup;
        QTest::newRow("plain entry") << u"File / Save"_s << L{} << 136 << true;
        QTest::newRow("Quidra Links, 100 keypanels") << u"View / Quidra Links"_s << L{} << 100 << false;
        QTest::newRow("Quidra Links, 136 keypanels") << u"View / Quidra Links"_s << L{} << 136 << false;
        QTest::newRow("Quidra Links, 137 keypanels") << u"View / Quidra Links"_s << L{} << 137 << true;
        QTest::newRow("Assignment Groups without groups") << u"Edit / Assignment Groups"_s << L{agrp} << 136 << true;
        QTest::newRow("Groups without groups") << u"Edit / Groups"_s << L{agrp} << 136 << false;
        QTest::newRow("Assignment Groups, groups only") << u"Edit / Assignment Groups"_s << L{grp} << 136 << false;
        QTest::newRow("Groups, groups only") << u"Edit / Groups"_s << L{grp} << 136 << true;
        // UPL is tested before assignment groups can show an entry.
        QTest::newRow("UPL before Assignment Group") << u"UPL Assignment Group"_s << L{agrp} << 136 << false;
        QTest::newRow("Auto Dial") << u"Edit / Auto Dials"_s << L{} << 136 << false;
        QTest::newRow("Auto Dial present") << u"Edit / Auto Dials"_s << L{int(restype::kAutoDial)} << 136 << true;
        QTest::newRow("Dornet Assignment") << u"Dornet Assignments"_s << L{} << 136 << false;
        QTest::newRow("Skelby Assignment") << u"Skelby Assignments"_s << L{int(restype::kDornet)} << 136 << false;
        QTest::newRow("Fennby Assignment present") << u"Fennby Assignments"_s << L{int(restype::kFennby)} << 136
                                                   << true;
        QTest::newRow("IFB Special List") << u"IFB Special Lists"_s << L{} << 136 << false;
        QTest::newRow("Dim Table") << u"Dim Tables"_s << L{} << 136 << false;
        QTest::newRow("Dim Table present") << u"Dim Tables"_s << L{int(restype::kDimTable)} << 136 << true;
        QTest::newRow("case-sensitive") << u"dim table"_s << L{} << 136 << true;
    }

    void entriesFollowWhatTheIntercomHas()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, types);
        QFETCH(int, keypanels);
        QFETCH(bool, shown);
        std::vector<unsigned> has;
        for (int t : types)
            has.push_back(static_cast<unsigned>(t));
        const CIntercom icom = intercomWith(has, static_cast<std::uint16_t>(keypanels));
        QCOMPARE(MenuEntryShown(text.toStdU16String(), icom), shown);
    }

    void windowListsShownEntriesAndEditsTheirKeys()
    {
        DocFixture f("[CLASS \"Crew\"]\n");
        f.app.intercom = intercomWith({restype::kAssignmentGroup}, 100);
        std::vector<CMenuItem> menu{
            {CMenuItem::Kind::Popup, 0, u"&Edit",
             {command(u"&Groups", 101), command(u"&Assignment Groups", 102), command(u"&Quidra Links", 103),
              command(u"&Keypanels", 104)}}};
        CMenuCatalogue catalogue;
        catalogue.assign(menu, nullptr);
        QVERIFY(catalogue.count() >= 4);
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CMenuRestrictWnd w(*f.doc, f.app, catalogue);
        QAbstractItemModelTester tester(w.listModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList listed;
        for (int r = 0; r < w.listModel()->rowCount(); ++r)
            listed << w.listModel()->index(r, 1).data().toString();
        QStringList expected;
        for (std::size_t i = 0; i < catalogue.count(); ++i)
            if (MenuEntryShown(catalogue.text(i), f.app.intercom))
                expected << QString::fromStdU16String(catalogue.text(i));
        QCOMPARE(listed, expected);
        QVERIFY(listed.filter(u"Assignment Groups"_s).size() == 1);
        QVERIFY(listed.filter(u"Quidra"_s).isEmpty());
        QVERIFY(std::none_of(listed.begin(), listed.end(), [](const QString& t) {
            return t.contains(u"Groups"_s) && !t.contains(u"Assignment Groups"_s);
        }));

        w.denyAll();
        for (std::size_t i = 0; i < catalogue.count(); ++i) {
            if (!MenuEntryShown(catalogue.text(i), f.app.intercom))
                continue;
            QCOMPARE(f.doc->selection().featureDenied(catalogue.key(i)), 1);
            QCOMPARE(f.doc->selection().featureIsInherited(catalogue.key(i)), 0);
        }
        QVERIFY(f.doc->isModified());
    }

    void filteredDenyAllReachesTheShownEntriesAndExplainsThem()
    {
        DocFixture f("[CLASS \"Crew\"]\n");
        f.app.intercom = intercomWith({restype::kAssignmentGroup}, 100);
        std::vector<CMenuItem> menu{{CMenuItem::Kind::Popup, 0, u"&Edit",
                                     {command(u"&Assignment Groups", 102), command(u"&Keypanels", 104),
                                      command(u"Keypanel &Types", 105)}}};
        CMenuCatalogue catalogue;
        catalogue.assign(menu, nullptr);
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CMenuRestrictWnd w(*f.doc, f.app, catalogue);
        w.setFilterText(u"KEYPANEL"_s);
        QCOMPARE(w.list()->model()->rowCount(), 2);
        w.denyAll();
        for (std::size_t i = 0; i < catalogue.count(); ++i) {
            const bool shown = QString::fromStdU16String(catalogue.text(i)).contains(u"Keypanel"_s);
            QCOMPARE(f.doc->selection().featureIsInherited(catalogue.key(i)), shown ? 0 : 1);
        }
        w.list()->selectionModel()->setCurrentIndex(w.list()->model()->index(1, 0), QItemSelectionModel::NoUpdate);
        QCOMPARE(w.whyPane()->text(), u"Denied by the class's own setting."_s);
        w.setFilterText(u"assignment"_s);
        QCOMPARE(w.whyPane()->text(), u"Denied by default: nothing allows it."_s);
    }

    void emptyCatalogueGivesAnEmptyList()
    {
        DocFixture f("[CLASS \"Crew\"]\n");
        f.doc->selection().select(u"Crew", EntityKind::Class);
        CMenuCatalogue empty;
        CMenuRestrictWnd w(*f.doc, f.app, empty);
        QCOMPARE(w.listModel()->rowCount(), 0);
        QCOMPARE(w.layoutKey(), u"Features"_s);
        // The preferences name no executable: the cached catalogue is empty too.
        f.app.prefs.tovrinExePath.clear();
        CMenuRestrictWnd fromPrefs(*f.doc, f.app);
        QCOMPARE(fromPrefs.listModel()->rowCount(), 0);
    }

private:
    std::unique_ptr<PromptsTestScope> prompts_;
};

QTEST_MAIN(MenuListTest)
#include "MenuListTest.moc"
