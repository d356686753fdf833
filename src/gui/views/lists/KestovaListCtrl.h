#pragma once

#include <QTableView>
#include <QTimer>

#include <functional>

namespace vexilor {

class CGlyphDelegate;
class CKestovaListModel;
class CListSortProxy;
class SettingsStore;
struct ListColors;

// The list control of the list windows: full-row, several rows selectable, sorted by clicking a
// heading, glyph cells painted by CGlyphDelegate, "<no items in list>" when empty, drag selection
// that scrolls on a timer, and column widths and order kept per layout key.
class CKestovaListCtrl : public QTableView {
    Q_OBJECT
public:
    static constexpr int kControlId = 540;
    static constexpr int kAutoScrollMs = 100;

    explicit CKestovaListCtrl(CKestovaListModel* model, QWidget* parent = nullptr);
    ~CKestovaListCtrl() override;

    CKestovaListModel* listModel() const { return model_; }
    CListSortProxy* sortProxy() const { return proxy_; }
    CGlyphDelegate* glyphDelegate() const { return delegate_; }

    void setRequireDoubleClick(bool on) { requireDoubleClick_ = on; }
    void setReadOnlyTest(std::function<bool()> test);
    bool isReadOnly() const { return readOnly_ && readOnly_(); }
    void setColors(const ListColors& colors, int shadingMask);

    // Source rows (item indexes) of the selected rows, in the order the list shows them.
    QList<int> selectedItems() const;
    // Source rows of every row in shown order.
    QList<int> allItems() const;
    int viewRowOfItem(int item) const;
    void selectAllRows();
    void selectNoRows();
    void invertSelection();

    // Shows only the rows whose text columns contain the text (empty: every row), in the current
    // sort order; the current row moves to a shown row when its own is hidden.
    void setFilterText(const QString& text);
    QString filterText() const;

    // As if the heading of a column were clicked: the same column reverses, another sorts
    // ascending; the filler never sorts.
    void clickHeading(int column);
    int sortedColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // Column layout under "Windows/Lists" (an empty key stores under "Default").
    void restoreLayout(SettingsStore& settings, const QString& layoutKey);
    void saveLayout(SettingsStore& settings, const QString& layoutKey) const;
    // Divider double-click sizing of a column with the given modifiers.
    void sizeColumnFromDivider(int column, Qt::KeyboardModifiers modifiers);
    // Heading and contents width of a column (what sizing to fit measures).
    int headingTextWidth(int column) const;
    int contentsWidth(int column) const;

    static QString emptyText();

Q_SIGNALS:
    // A click (or double click) that may change access: the item under it and its column.
    void accessCellClicked(int item, int column);
    void focusGained();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void sortIndicatorChanged(int column, Qt::SortOrder order);
    void applySort();
    void keepFillerLast();
    void extendDrag(int viewRow);
    void autoScrollStep();
    bool accessClick(QMouseEvent* event) const;

    CKestovaListModel* model_;
    CListSortProxy* proxy_;
    CGlyphDelegate* delegate_;
    std::function<bool()> readOnly_;
    bool requireDoubleClick_ = true;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool settingIndicator_ = false;

    // Drag selection.
    bool dragging_ = false;
    int dragStart_ = -1;
    bool dragDeselects_ = false;
    bool dragRestoresOthers_ = false;
    QList<bool> beforeDrag_;
    int scrollDirection_ = 0;
    QTimer scrollTimer_;
};

}  // namespace vexilor
