#pragma once

#include "restrictions/RestrictionsModel.h"
#include "views/PlaceWindow.h"

class QAction;
class QPushButton;
class QStandardItemModel;
class QTreeView;

namespace vexilor {

struct CAppState;
class CKestovaDoc;

// The Studios, Classes or Users folder: every entity of the kind, with Add, Delete and Rename.
class CListWithButtonsWnd : public CPlaceWindow {
    Q_OBJECT
public:
    // kind is Studio, Class or User.
    CListWithButtonsWnd(CKestovaDoc& doc, const CAppState& app, EntityKind kind, QWidget* parent = nullptr);

    EntityKind kind() const { return kind_; }
    QTreeView* list() const { return list_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* renameButton() const { return rename_; }
    // The rows as shown, top to bottom.
    QStringList rowNames() const;
    // Selects the given rows (by position) and nothing else.
    void selectRows(const QList<int>& rows);

    void addEntity();
    void deleteSelected();
    void renameSelected();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void populate();
    void updateEnabling();
    QList<int> selectedRows() const;
    void saveLayout();

    CKestovaDoc& doc_;
    const CAppState& app_;
    EntityKind kind_;
    QTreeView* list_ = nullptr;
    QStandardItemModel* rows_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* rename_ = nullptr;
    QAction* addAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* renameAction_ = nullptr;
};

}  // namespace vexilor
