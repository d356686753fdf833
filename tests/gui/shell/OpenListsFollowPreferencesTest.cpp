#include "app/ColorRef.h"
#include "app/SettingsStore.h"
#include "restrictions/EntitySelection.h"
#include "restrictions/MenuCatalogue.h"
#include "shell/DlgPrefs.h"
#include "support/PromptsTestScope.h"
#include "views/lists/FeaturesWnd.h"
#include "views/lists/KestovaListCtrl.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/MenuRestrictWnd.h"
#include "views/lists/ResourcesWnd.h"
#include "views/support/DocFixture.h"
#include "widgets/GlyphDelegate.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;
using vexilor::test::PromptsTestScope;

namespace {

const QString kFixtures = QStringLiteral(VEXILOR_FIXTURES_DIR);

// Ann inherits "Key restrictions" allowed from Crew.
const std::string kFile = "[CLASS \"Crew\"]\nKP.Key.Restricts = Y\n[USER \"Ann\"]\nclass=\"Crew\"\n";

// A document, Ann selected, and usable directories and executable, so that the preferences
// dialog's OK goes through.
struct Session {
    DocFixture f{kFile};
    Session()
    {
        const QDir dir(f.dir.path());
        dir.mkpath(u"res"_s);
        dir.mkpath(u"cfg"_s);
        f.settings.writeString(SettingKey::ShowWelcome, u"N"_s);
        f.app.prefs.tovrinExePath = kFixtures + u"/menus/win32/Tovrin.exe"_s;
        f.app.prefs.resFilesDirectory = dir.filePath(u"res"_s);
        f.app.prefs.cfgFilesDirectory = dir.filePath(u"cfg"_s);
        f.app.intercom.capabilities.setSize(133);
        for (unsigned c = 0; c < 133; ++c)
            f.app.intercom.capabilities.set(c);
        f.doc->selection().select(u"Ann", EntityKind::User);
    }

    // The Preferences command as the user runs it: the dialog, a change, OK.
    void preferences(const std::function<void(CDlgPrefs&)>& change)
    {
        CDlgPrefs dialog(f.app, false);
        change(dialog);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    void clickMode(bool doubleClick)
    {
        preferences([&](CDlgPrefs& d) { d.clickGroup()->button(doubleClick ? 1 : 0)->click(); });
    }
};

void show(QWidget& w)
{
    w.resize(700, 500);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

int rowOf(CListOnlyWnd& w, const QString& name)
{
    CKestovaListModel* m = w.listModel();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, m->columnOfKind(colkind::kName)).data().toString() == name)
            return r;
    return -1;
}

QStringList names(CListOnlyWnd& w)
{
    QStringList out;
    CKestovaListModel* m = w.listModel();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, m->columnOfKind(colkind::kName)).data().toString();
    return out;
}

Glyph allowGlyph(CListOnlyWnd& w, int item)
{
    CKestovaListModel* m = w.listModel();
    return static_cast<Glyph>(m->index(item, m->columnOfKind(colkind::kAllow)).data(CKestovaListModel::GlyphRole).toInt());
}

QPoint allowCell(CListOnlyWnd& w, int item)
{
    CKestovaListCtrl* list = w.list();
    return list->visualRect(list->model()->index(list->viewRowOfItem(item), w.listModel()->columnOfKind(colkind::kAllow)))
        .center();
}

void doubleClick(CListOnlyWnd& w, int item)
{
    // What the window system delivers: press, release, press, double click, release.
    QWidget* vp = w.list()->viewport();
    const QPoint at = allowCell(w, item);
    QTest::mousePress(vp, Qt::LeftButton, {}, at);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at);
    QTest::mousePress(vp, Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &dbl);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at);
}

}  // namespace

// The preferences reach the list that is open when OK is pressed, not only the next one built.
class OpenListsFollowPreferencesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { prompts_ = std::make_unique<PromptsTestScope>(); }
    void cleanup() { prompts_.reset(); }

    void clickModeAppliesToTheOpenList()
    {
        Session s;
        s.f.app.prefs.requireDoubleClick = false;
        CFeaturesWnd w(*s.f.doc, s.f.app, 0);
        show(w);
        const int keys = rowOf(w, u"Key restrictions"_s);
        QVERIFY(keys >= 0);
        QCOMPARE(allowGlyph(w, keys), Glyph::EmptyBox);

        s.clickMode(true);
        QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, allowCell(w, keys));
        QCOMPARE(allowGlyph(w, keys), Glyph::EmptyBox);  // a single click only selects now
        QVERIFY(!s.f.doc->isModified());
        doubleClick(w, keys);
        QCOMPARE(allowGlyph(w, keys), Glyph::CheckedBox);

        s.clickMode(false);
        QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, allowCell(w, keys));
        QCOMPARE(allowGlyph(w, keys), Glyph::EmptyBox);  // back to inherit with one click
    }

    void anotherExecutableReplacesTheOpenMenuList()
    {
        // The English executable alone in a folder; the fixture's own folder adds its Japanese
        // language library, which the session's language (1041) reads.
        Session s;
        s.f.app.languageId = 1041;
        const QString english = s.f.dir.filePath(u"english/Tovrin.exe"_s);
        QVERIFY(QDir(s.f.dir.path()).mkpath(u"english"_s));
        QVERIFY(QFile::copy(kFixtures + u"/menus/win64/Tovrin.exe"_s, english));
        const QString japanese = kFixtures + u"/menus/win64/Tovrin.exe"_s;
        s.f.app.prefs.tovrinExePath = english;

        const auto namesOf = [&](const QString& exe) {
            CMenuCatalogue catalogue;
            catalogue.load(std::filesystem::path(exe.toStdU16String()), 1041);
            QStringList out;
            for (int entry : ShownMenuEntries(catalogue, s.f.app.intercom))
                out << QString::fromStdU16String(catalogue.text(std::size_t(entry)));
            return out;
        };
        QVERIFY(namesOf(english) != namesOf(japanese));

        CMenuRestrictWnd w(*s.f.doc, s.f.app);
        show(w);
        QCOMPARE(names(w), namesOf(english));
        s.preferences([&](CDlgPrefs& d) { d.exePathEdit()->setText(japanese); });
        QCOMPARE(names(w), namesOf(japanese));
    }

    void alphaLengthAndColoursApplyToTheOpenList()
    {
        Session s;
        s.f.app.intercom.alphas[ResourceKey(0, 1)].alpha4 = u"KP1";
        s.f.app.intercom.alphas[ResourceKey(0, 1)].alpha8 = u"KEYPAN01";
        CResourceEditWnd w(*s.f.doc, s.f.app, 0);
        show(w);
        const auto alpha = [&] {
            return w.list()->model()->index(0, w.listModel()->columnOfKind(colkind::kAlpha)).data().toString();
        };
        QCOMPARE(alpha(), u"KP1"_s);

        s.preferences([&](CDlgPrefs& d) { d.alphaGroup()->button(2)->click(); });
        QCOMPARE(alpha(), u"KEYPAN01"_s);

        // Colours and shading have no control in the dialog; whatever changes them goes the same way.
        Preferences prefs = s.f.app.prefs;
        prefs.colors.denyText = MakeColorRef(1, 2, 3);
        s.f.app.changePreferences(prefs);
        QVERIFY(w.list()->glyphDelegate()->colors() == prefs.colors);
    }

private:
    std::unique_ptr<PromptsTestScope> prompts_;
};

QTEST_MAIN(OpenListsFollowPreferencesTest)
#include "OpenListsFollowPreferencesTest.moc"
