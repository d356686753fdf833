#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace vexilor {

struct CAppState;
class CKestovaDoc;

// Navigation tree kinds (the high word of a tree item's data).
namespace treekind {
inline constexpr int kNone = 0;
inline constexpr int kIntercom = 1;
inline constexpr int kStudios = 2;
inline constexpr int kStudio = 4;
inline constexpr int kClasses = 8;
inline constexpr int kClass = 16;
inline constexpr int kUsers = 32;
inline constexpr int kUser = 64;
}  // namespace treekind

// Tab values; a tab set is a mask of them.
namespace tabvalue {
inline constexpr int kNone = 0;
inline constexpr int kResources = 1;
inline constexpr int kCapabilities = 2;
inline constexpr int kAlphas = 4;
inline constexpr int kAssignments = 8;
inline constexpr int kFeatures = 16;
inline constexpr int kScrollEnables = 32;
inline constexpr int kIntercomResources = 64;
}  // namespace tabvalue

// Where the user is: the tree item, the category row (0 Configuration .. 21 Menus) and the tab.
// The view has already committed the previous entity and selected this one in the model (studio,
// class or user) before it asks for the window.
struct Place {
    int treeKind = treekind::kNone;
    QString entityName;  // the studio, class or user; empty for the root and the folders
    int categoryRow = -1;
    int resourceType = 18;  // the row's resource type, 18 for none
    int tab = tabvalue::kNone;
};

// The window that edits one place (a list window). The view owns it as the edit pane's child and
// destroys it before building the next one.
class CPlaceWindow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // The help context of the window (its tab's value, or the one the view names for it).
    int helpContext() const { return helpContext_; }
    void setHelpContext(int id) { helpContext_ = id; }
    // The configuration or the alpha size changed (after "Refresh Alphas" or the preferences):
    // repaint with the new one.
    virtual void configurationChanged() {}

Q_SIGNALS:
    // One of the window's controls gained the focus (the view remembers the edit pane).
    void focusGained();
    // A status-bar text for the command under the mouse or key (empty restores the idle text).
    void statusMessage(const QString& text);

private:
    int helpContext_ = 0;
};

// Builds the window for a place, or returns nullptr when that place has no window: the view then
// leaves the edit pane empty (never the previous place's window under the new title). The view
// calls the factory the application gives it.
using PlaceWindowFactory =
    std::function<CPlaceWindow*(const Place& place, CKestovaDoc& doc, const CAppState& app, QWidget* parent)>;

}  // namespace vexilor
