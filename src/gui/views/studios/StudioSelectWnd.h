#pragma once

#include "restrictions/RestrictionsModel.h"
#include "views/PlaceWindow.h"

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTreeView;

namespace vexilor {

struct CAppState;
class CKestovaDoc;

// The "Configuration" of a class or user: the ordered studios it takes resources from (each added
// or removed), a user's class, and Allow / Deny / Inherit All.
class CStudioSelectWnd : public CPlaceWindow {
    Q_OBJECT
public:
    // kind is Class or User.
    CStudioSelectWnd(CKestovaDoc& doc, const CAppState& app, EntityKind kind, const QString& name, QWidget* parent = nullptr);

    QTreeView* availableList() const { return available_; }
    QTreeView* selectedList() const { return selected_; }
    QComboBox* classList() const { return classes_; }
    QPushButton* button(int id) const;

    // Studios in the available list, and the selected references as shown.
    QStringList availableNames() const;
    std::vector<StudioRef> selectedRefs() const;
    void selectAvailable(const QList<int>& rows);
    void selectSelected(const QList<int>& rows);
    QList<int> selectedRowsOf(const QTreeView* list) const;

    void include();
    void exclude();
    void remove();
    void moveUp();
    void moveDown();
    void allowAll();
    void denyAll();
    void inheritAll();

    // Control ids of the buttons.
    static constexpr int kInclude = 545, kExclude = 562, kRemove = 563, kMoveUp = 538, kMoveDown = 539;
    static constexpr int kAllowAll = 555, kDenyAll = 556, kInheritAll = 557;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void populate();
    void fillAvailable();
    void appendSelected(const QString& studio, StudioOp op);
    void addFromAvailable(StudioOp op);
    void commitRefs();
    void classChosen(int index);
    void updateEnabling();
    void setAll(int questionClass, int operation);
    void swapRows(int a, int b);

    CKestovaDoc& doc_;
    const CAppState& app_;
    EntityKind kind_;
    QString name_;
    QLabel* classLabel_ = nullptr;
    QComboBox* classes_ = nullptr;
    QTreeView* available_ = nullptr;
    QTreeView* selected_ = nullptr;
    QStandardItemModel* availableRows_ = nullptr;
    QStandardItemModel* selectedRows_ = nullptr;
    QPushButton* include_ = nullptr;
    QPushButton* exclude_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* moveUp_ = nullptr;
    QPushButton* moveDown_ = nullptr;
    QPushButton* allowAll_ = nullptr;
    QPushButton* denyAll_ = nullptr;
    QPushButton* inheritAll_ = nullptr;
};

}  // namespace vexilor
