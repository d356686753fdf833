#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "document/EntityEdits.h"
#include "document/KestovaDoc.h"
#include "intercom/Capabilities.h"
#include "restrictions/RestrictionsDump.h"
#include "support/PromptsTestScope.h"
#include "views/CategoryBar.h"
#include "views/ContextWnd.h"
#include "views/KestovaTreeCtrl.h"
#include "views/KestovaView.h"
#include "views/studios/StudioResourceWnds.h"
#include "views/studios/StudioSelectWnd.h"
#include "views/support/DocFixture.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include <functional>
#include <memory>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::DocFixture;

namespace {

const std::string kFile =
    "[STUDIO \"News\"]\nKP.Edit = 1-4\n[STUDIO \"Sport\"]\nKP.Edit = 5\n[STUDIO \"Talk\"]\nKP.Edit = 6\n"
    "[CLASS \"Crew\"]\nstudio+=\"News\"\nKP.Edit -= 9\n[CLASS \"Guests\"]\n"
    "[USER \"Ann\"]\nclass=\"Crew\"\n[USER \"Bob\"]\nclass=\"Crew\"\n[USER \"Carl\"]\n";

// The main view over the document with the windows that edit one entity: the configuration of a
// class or user, the keypanels of a studio; a plain window elsewhere.
struct Fixture {
    DocFixture f{kFile};
    std::unique_ptr<CKestovaView> view;
    int built = 0;

    Fixture()
    {
        f.app.intercom.capabilities.setRange(0, kCapabilityCount);
        view = std::make_unique<CKestovaView>(
            *f.doc, f.app, [this](const Place& place, CKestovaDoc& doc, const CAppState& app, QWidget* parent) -> CPlaceWindow* {
                ++built;
                if ((place.treeKind == treekind::kClass || place.treeKind == treekind::kUser) && place.categoryRow == 0)
                    return new CStudioSelectWnd(doc, app,
                                                place.treeKind == treekind::kClass ? EntityKind::Class : EntityKind::User,
                                                place.entityName, parent);
                if (place.treeKind == treekind::kStudio)
                    return new CStudioResourceEditWnd(doc, app, place.resourceType, parent);
                return new CPlaceWindow(parent);
            });
        view->resize(1000, 700);
        view->show();
        view->rebuild();
    }

    QModelIndex find(const QString& text) const
    {
        const QAbstractItemModel* model = view->tree()->model();
        const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, text, 1,
                                                   Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchCaseSensitive);
        return found.isEmpty() ? QModelIndex() : found.first();
    }

    bool show(const QString& text)
    {
        const int before = built;
        view->tree()->setCurrentIndex(find(text));
        return QTest::qWaitFor([&] { return built > before; });
    }

    QString title() const { return view->titleStrip()->text(); }
};

using Step = std::function<bool(CKestovaDoc&)>;

}  // namespace

Q_DECLARE_METATYPE(Step)

// After an undo or redo of a structural step the tree keeps the entity that was shown (or its folder
// when it is gone), the title says so, and the window is built anew from the model: it edits that
// entity and no other, and its next change does not write back the state before the undo.
class UndoRedoWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void undoAndRedoKeepTheShownEntity_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("shown");       // the entity whose window is open
        QTest::addColumn<QString>("shownTitle");  // the tree part of the title
        QTest::addColumn<QString>("afterUndo");   // the tree row shown after the undo
        QTest::addColumn<QString>("afterRedo");   // ... and after the redo

        const auto row = [](const char* name, Step step, const QString& shown, const QString& titleAfterUndo,
                            const QString& afterUndo, const QString& afterRedo) {
            QTest::newRow(name) << step << shown << titleAfterUndo << afterUndo << afterRedo;
        };
        row("add a class", [](CKestovaDoc& d) { return AddEntity(d, EntityKind::Class, u"Aaron"_s); }, u"Guests"_s,
            u"Class : Guests"_s, u"Guests"_s, u"Guests"_s);
        row("rename another class past the shown one",
            [](CKestovaDoc& d) { return RenameEntity(d, EntityKind::Class, u"Crew"_s, u"Zulu"_s); }, u"Guests"_s,
            u"Class : Guests"_s, u"Guests"_s, u"Guests"_s);
        row("delete a referenced class",
            [](CKestovaDoc& d) { return DeleteEntity(d, EntityKind::Class, u"Crew"_s, true) == DeleteOutcome::Deleted; },
            u"Guests"_s, u"Class : Guests"_s, u"Guests"_s, u"Guests"_s);
        row("delete several users",
            [](CKestovaDoc& d) { return DeleteEntities(d, EntityKind::User, {u"Ann"_s, u"Bob"_s}, {}).size() == 2; },
            u"Carl"_s, u"User : Carl"_s, u"Carl"_s, u"Carl"_s);
        row("the class of another user", [](CKestovaDoc& d) { return SetClassOfUser(d, u"Bob"_s, u"Guests"_s); },
            u"Ann"_s, u"User : Ann"_s, u"Ann"_s, u"Ann"_s);
        row("studio references of another class",
            [](CKestovaDoc& d) { return SetStudioRefs(d, EntityKind::Class, u"Crew"_s, {{u"Talk", StudioOp::Add}}); },
            u"Guests"_s, u"Class : Guests"_s, u"Guests"_s, u"Guests"_s);
        row("allow all for another class",
            [](CKestovaDoc& d) { return SetAll(d, EntityKind::Class, u"Crew"_s, SetAllOperation::Allow); },
            u"Guests"_s, u"Class : Guests"_s, u"Guests"_s, u"Guests"_s);
        row("inherit all for another user",
            [](CKestovaDoc& d) { return SetAll(d, EntityKind::User, u"Ann"_s, SetAllOperation::Inherit); },
            u"Bob"_s, u"User : Bob"_s, u"Bob"_s, u"Bob"_s);
        row("add a studio", [](CKestovaDoc& d) { return AddEntity(d, EntityKind::Studio, u"Alpha"_s); }, u"Sport"_s,
            u"Studio : Sport"_s, u"Sport"_s, u"Sport"_s);
        row("rename another studio",
            [](CKestovaDoc& d) { return RenameEntity(d, EntityKind::Studio, u"News"_s, u"Weather"_s); }, u"Sport"_s,
            u"Studio : Sport"_s, u"Sport"_s, u"Sport"_s);
        row("delete a referenced studio",
            [](CKestovaDoc& d) { return DeleteEntity(d, EntityKind::Studio, u"News"_s, true) == DeleteOutcome::Deleted; },
            u"Talk"_s, u"Studio : Talk"_s, u"Talk"_s, u"Talk"_s);
        // The shown entity itself: renamed back by the undo, the tree and the title follow it.
        row("rename the shown class",
            [](CKestovaDoc& d) { return RenameEntity(d, EntityKind::Class, u"Guests"_s, u"Aardvarks"_s); },
            u"Aardvarks"_s, u"Class : Guests"_s, u"Guests"_s, u"Aardvarks"_s);
        // Gone after the undo: its folder takes over, and stays after the redo.
        row("add the shown user", [](CKestovaDoc& d) { return AddEntity(d, EntityKind::User, u"Dora"_s); },
            u"Dora"_s, u"User"_s, u"Users"_s, u"Users"_s);
    }

    void undoAndRedoKeepTheShownEntity()
    {
        QFETCH(Step, step);
        QFETCH(QString, shown);
        QFETCH(QString, shownTitle);
        QFETCH(QString, afterUndo);
        QFETCH(QString, afterRedo);
        test::PromptsTestScope prompts;
        Fixture x;
        CKestovaDoc& doc = *x.f.doc;
        const std::string original = canonicalDump(doc.model());

        QVERIFY(step(doc));
        const std::string stepped = canonicalDump(doc.model());
        QVERIFY(x.show(shown));
        QPointer<CPlaceWindow> before = x.view->currentWindow();

        doc.undoStack().undo();
        QCOMPARE(canonicalDump(doc.model()), original);
        checkShown(x, afterUndo, shownTitle, before, false);

        before = x.view->currentWindow();
        doc.undoStack().redo();
        QCOMPARE(canonicalDump(doc.model()), stepped);
        const QString redoTitle = x.view->tree()->selectedKind() == treekind::kUsers ? u"User"_s
                                : shownTitle.section(u" : "_s, 0, 0) + u" : "_s + afterRedo;
        checkShown(x, afterRedo, redoTitle, before, true);  // the click's step is undone again

        // Undone once more, now with a click in the rebuilt window.
        before = x.view->currentWindow();
        doc.undoStack().undo();
        QCOMPARE(canonicalDump(doc.model()), original);
        checkShown(x, afterUndo, shownTitle, before, true);
    }

    // Several rows deleted at once go back in one undo.
    void deletingSeveralRowsIsOneStep()
    {
        test::PromptsTestScope prompts;
        Fixture x;
        CKestovaDoc& doc = *x.f.doc;
        const std::string original = canonicalDump(doc.model());
        QCOMPARE(DeleteEntities(doc, EntityKind::User, {u"Ann"_s, u"Carl"_s}, {}), (QStringList{u"Ann"_s, u"Carl"_s}));
        QCOMPARE(doc.undoStack().count(), 1);
        QCOMPARE(doc.undoStack().undoText(), u"Delete 2 users"_s);
        doc.undoStack().undo();
        QCOMPARE(canonicalDump(doc.model()), original);
        QVERIFY(x.find(u"Ann"_s).isValid() && x.find(u"Carl"_s).isValid());
    }

private:
    // The tree shows `name`, the title names it, and the window was built anew for it.
    static void checkShown(Fixture& x, const QString& name, const QString& treeTitle, const QPointer<CPlaceWindow>& old,
                           bool click)
    {
        QVERIFY2(old.isNull(), "the window that was open is gone");
        CPlaceWindow* window = x.view->currentWindow();
        QVERIFY(window);
        QCOMPARE(x.view->tree()->selectedText(), name);
        QCOMPARE(x.view->tree()->currentIndex(), x.find(name));
        QVERIFY2(x.title().startsWith(treeTitle + u" : "_s), qPrintable(x.title()));
        QVERIFY(x.view->categoryBar()->selectedRow() >= 0);  // the categories are not greyed out

        CKestovaDoc& doc = *x.f.doc;
        const int kind = x.view->tree()->selectedKind();
        if (kind == treekind::kStudio) {
            QCOMPARE(QString::fromStdU16String(doc.selection().selectedName()), name);
            QVERIFY(qobject_cast<CStudioResourceEditWnd*>(window));
        }
        if (kind != treekind::kClass && kind != treekind::kUser)
            return;
        auto* studios = qobject_cast<CStudioSelectWnd*>(window);
        QVERIFY(studios);
        const EntityKind entity = kind == treekind::kClass ? EntityKind::Class : EntityKind::User;
        // The lists show the model as it is now.
        const std::vector<StudioRef> refs = doc.model().studioRefs(entity, name.toStdU16String());
        QCOMPARE(studios->selectedRefs().size(), refs.size());
        if (entity == EntityKind::User) {
            const QString className = QString::fromStdU16String(doc.model().classOf(name.toStdU16String()));
            QCOMPARE(studios->classList()->currentIndex() == 0 ? QString() : studios->classList()->currentText(),
                     className);
        }
        if (!click)
            return;
        // A click edits this entity only, and leaves the undone or redone step as it is.
        const std::string now = canonicalDump(doc.model());
        studios->selectAvailable({0});
        studios->include();
        QCOMPARE(doc.model().studioRefs(entity, name.toStdU16String()).size(), refs.size() + 1);
        QCOMPARE(doc.undoStack().undoText(),
                 u"Change the studios of "_s + (entity == EntityKind::Class ? u"class "_s : u"user "_s) + name);
        doc.undoStack().undo();
        QCOMPARE(canonicalDump(doc.model()), now);
    }
};

QTEST_MAIN(UndoRedoWindowTest)
#include "UndoRedoWindowTest.moc"
