#pragma once

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

class QMimeData;

namespace vexilor {

struct CAppState;
class CKestovaDoc;
class CKestovaView;

// The program's single top-level window: menu bar, toolbar, status bar with the "Read-only"
// indicator, and the main view. It holds every command of the menu, the toolbar and the keyboard
// (Commands.h); the application supplies the handlers of its commands, the frame handles the rest.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CAppState& app, CKestovaDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The main view becomes the client; its keyboard commands join the frame's.
    void setView(CKestovaView* view);
    CKestovaView* view() const { return view_; }

    // The handler of an application command (change intercom, refresh, preferences, ...).
    void setHandler(int id, std::function<void()> handler);
    // Runs a command as the menu would (nothing when it is disabled).
    void runCommand(int id);

    QAction* action(int id) const { return actions_.value(id); }
    QToolBar* toolBar() const { return toolBar_; }
    QLabel* readOnlyIndicator() const { return readOnly_; }
    QMenu* menu(int index) const;

    // Enabling, check marks, the read-only indicator and the title (with its marker of unsaved
    // changes), from the current state.
    void updateCommandUI();

    // Restores the stored placement and bar state; the show state to use, nothing when no
    // placement was stored (start-up then shows the window maximized).
    std::optional<int> restoreLayout();
    // Saves the placement and the bar state (done when the window closes).
    void saveLayout();

    // The intercom a dropped restrictions file belongs to ("NAME.res" gives NAME), or empty when
    // the drop holds no local ".res" file.
    static QString DroppedIntercom(const QMimeData* data);

Q_SIGNALS:
    // The window is closing (the document agreed); placement and bars are saved.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void restoreBarState();
    void saveBarState();
    void fitMaximumToScreen();

    CAppState& app_;
    CKestovaDoc& doc_;
    CKestovaView* view_ = nullptr;
    QHash<int, QAction*> actions_;
    QHash<int, std::function<void()>> handlers_;
    QList<QMenu*> menus_;
    QToolBar* toolBar_ = nullptr;
    QLabel* readOnly_ = nullptr;
    QString savedMessage_;
    bool followsScreen_ = false;
};

}  // namespace vexilor
