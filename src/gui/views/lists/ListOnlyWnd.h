#pragma once

#include "views/PlaceWindow.h"
#include "views/lists/ListColumns.h"

#include <QHash>
#include <QKeySequence>

#include <functional>
#include <memory>
#include <span>

class QAction;
class QMenu;

namespace vexilor {

struct CAppState;
class CKestovaDoc;
class CKestovaListCtrl;
class CKestovaListModel;
class CListFilter;
class CWhyPane;
class ListItems;
struct Preferences;

// A list window: a filter field, the list control under it and, for windows that explain access,
// a pane that says why the current row has its value. The window has the selection commands,
// populates, and restores the column layout when built and saves it when destroyed. Ctrl+F puts
// the keyboard in the filter; while it filters, the window reports "N of M rows shown".
class CListOnlyWnd : public CPlaceWindow {
    Q_OBJECT
public:
    ~CListOnlyWnd() override;

    CKestovaListCtrl* list() const { return list_; }
    CKestovaListModel* listModel() const { return model_; }
    QString layoutKey() const { return layoutKey_; }
    CListFilter* filterField() const { return filter_; }
    CWhyPane* whyPane() const { return why_; }

    // Sets the filter field's text; the list then shows the rows that contain it.
    void setFilterText(const QString& text);
    // "N of M rows shown"; empty while nothing is filtered.
    QString rowsShownText() const;
    // Why an item has its value (empty when the window does not explain access).
    virtual QString explainItem(int item) const;

    void selectAll();
    void selectNone();
    void invertSelection();

    // Fills the list again from the model and configuration; restoreLayout also reads the stored
    // column layout.
    void populate(bool restoreLayout);
    void configurationChanged() override;

    // Context menu resource: 0 none, 130 allow/deny/inherit, 131 include/exclude.
    virtual int contextMenuId() const { return 0; }
    // The context menu as it would open now; nullptr when the window has none or refuses it.
    virtual QMenu* createContextMenu(QWidget* parent);

    // The commands by their ids (32780 to 32788), for menus, keys and tests; nullptr if absent.
    QAction* command(int id) const;

protected:
    CListOnlyWnd(CKestovaDoc& doc, const CAppState& app, std::span<const ListColumn> columns, const QString& layoutKey,
                 QWidget* parent);
    virtual std::unique_ptr<ListItems> makeItems() = 0;
    void addCommand(int id, const QString& text, const QKeySequence& key, const QString& statusTip,
                    void (CListOnlyWnd::*slot)());
    void addCommand(int id, const QString& text, const QKeySequence& key, const QString& statusTip,
                    std::function<void()> run);
    bool readOnly() const;
    // Whether the window has a "why" for its rows now (a class or user is selected).
    virtual bool explainsAccess() const { return false; }
    // Shows the why of the current row, or hides the pane when the window explains nothing.
    void refreshWhy();
    // The preferences changed (prefs holds the new ones): click mode, colours and shading apply at
    // once and the rows repaint; a window whose rows come from a preference fills them again.
    virtual void preferencesChanged(const Preferences& previous);

    CKestovaDoc& doc_;
    const CAppState& app_;

private:
    void applyPreferences();
    void filterChanged(const QString& text);

    QString layoutKey_;
    CKestovaListModel* model_ = nullptr;
    CKestovaListCtrl* list_ = nullptr;
    CListFilter* filter_ = nullptr;
    CWhyPane* why_ = nullptr;
    QHash<int, QAction*> commands_;
};

// Command ids of the list windows.
namespace listcmd {
inline constexpr int kAllowSelected = 32780;
inline constexpr int kDenySelected = 32781;
inline constexpr int kInheritSelected = 32782;
inline constexpr int kAllowAll = 32783;
inline constexpr int kDenyAll = 32784;
inline constexpr int kInheritAll = 32785;
inline constexpr int kSelectAll = 32786;
inline constexpr int kSelectNone = 32787;
inline constexpr int kInvertSelection = 32788;
}  // namespace listcmd

}  // namespace vexilor
