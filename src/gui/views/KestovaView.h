#pragma once

#include "views/PlaceWindow.h"

#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>

class QAction;
class QSplitter;

namespace vexilor {

class CKestovaDoc;
struct CAppState;
class CKestovaTreeCtrl;
class CListWnd;
class CEditWnd;
class CContextWnd;
class CKestovaButton;

// Control identifiers of the view's panes; focus requests and notifications name their source by
// them.
namespace paneid {
inline constexpr int kTree = 500;
inline constexpr int kCategoryBar = 501;
inline constexpr int kEditPane = 502;  // also the application, after Refresh Alphas or Preferences
inline constexpr int kTitle = 503;
inline constexpr int kPrevious = 504;
inline constexpr int kNext = 505;
inline constexpr int kTabs = 558;
inline constexpr int kListWindow = 560;
}  // namespace paneid

// Commands of the view (the frame adds navigationActions() to its window).
namespace viewcmd {
inline constexpr int kNextCategoryOrNode = 32773;      // Shift+Page Down
inline constexpr int kPreviousCategoryOrNode = 32774;  // Shift+Page Up
inline constexpr int kNextNode = 32775;                // Ctrl+Page Down
inline constexpr int kPreviousNode = 32776;            // Ctrl+Page Up
inline constexpr int kNextPane = 32795;                // F6
inline constexpr int kPreviousPane = 32796;            // Shift+F6
inline constexpr int kNextStep = 32797;                // Ctrl+Tab
inline constexpr int kPreviousStep = 32798;            // Ctrl+Shift+Tab
}  // namespace viewcmd

// The single view of the main frame: the navigation tree chooses the entity, the category bar the
// resource category, the tab strip the aspect; the edit pane hosts the one list window of that
// place. The view never changes the model itself: it commits the previous entity and selects the
// new one before it asks the factory for the next window.
class CKestovaView : public QWidget {
    Q_OBJECT
public:
    CKestovaView(CKestovaDoc& doc, CAppState& app, PlaceWindowFactory factory, QWidget* parent = nullptr);
    ~CKestovaView() override;

    // Shift/Ctrl+Page Up/Down, F6, Shift+F6, Ctrl+Tab, Ctrl+Shift+Tab; each carries its command id
    // as data. Owned by the view.
    QList<QAction*> navigationActions() const { return actions_; }

    // Selection changed from `source` (a pane id; paneid::kEditPane after Refresh Alphas or the
    // preferences: the category bar is rebuilt for the current configuration first). Rebuilds the
    // title and the list window.
    void selectionChanged(int source);
    // After a new document: fills the tree, rebuilds the categories and selects the root.
    void rebuild();

    int currentHelpContext() const;
    CPlaceWindow* currentWindow() const { return window_; }

    // Runs one of the view's commands (viewcmd ids, or kPrevious/kNext with the modifiers held).
    void runCommand(int id, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Focus request: mode 1 sets the focus now, 0 only if `pane` is not the remembered pane, 2 only
    // remembers it.
    void requestFocus(int pane, int mode);

    // For tests and the frame's layout.
    CKestovaTreeCtrl* tree() const { return tree_; }
    CListWnd* categoryBar() const { return bar_; }
    CEditWnd* editPane() const { return edit_; }
    CContextWnd* titleStrip() const { return title_; }
    int rememberedPane() const { return focusPane_; }

Q_SIGNALS:
    void statusMessage(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void selectionChanging(int source);
    void applyTabSet(int set);
    void updateTitle();
    void replaceWindow(int source);
    void step(bool forward, bool shift, bool ctrl, bool fromButton);
    bool treeStep(bool forward);
    void cyclePane(bool forward);
    void postFocusRequest(int pane, int mode);
    void rememberFocusOwner(QWidget* now);
    QWidget* paneWidget(int pane) const;
    void rebuildAfterStructureChange();
    void rebuildCategories();
    void createActions();

    CKestovaDoc& doc_;
    CAppState& app_;
    PlaceWindowFactory factory_;

    QSplitter* columns_ = nullptr;
    QSplitter* left_ = nullptr;
    QSplitter* right_ = nullptr;
    CKestovaTreeCtrl* tree_ = nullptr;
    CListWnd* bar_ = nullptr;
    CEditWnd* edit_ = nullptr;
    CContextWnd* title_ = nullptr;
    CKestovaButton* previous_ = nullptr;
    CKestovaButton* next_ = nullptr;
    QPointer<CPlaceWindow> window_;
    // The tree row the title and the window were last built for (follows renames and moves).
    QPersistentModelIndex shownIndex_;
    int shownKind_ = treekind::kNone;
    QList<QAction*> actions_;
    int focusPane_ = paneid::kTree;
    QMetaObject::Connection focusConnection_;
    bool shown_ = false;
};

}  // namespace vexilor
