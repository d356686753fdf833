#pragma once

#include <QTreeWidget>

#include <cstdint>

namespace vexilor {

class CKestovaDoc;

// The navigation tree: the root "Intercom" with the folders "Studios", "Classes" and "Users" and,
// while a restrictions file is loaded, one item per studio, class and user. Each item carries the
// tree kind in the high 16 bits of its data and the index into the document's sorted name list in
// the low 16 bits. The selected item is drawn bold.
class CKestovaTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kDataRole = Qt::UserRole + 1;

    explicit CKestovaTreeCtrl(QWidget* parent = nullptr);

    // Fills the tree from the document. The first fill expands every fixed item and selects none;
    // a refill keeps the expansion of the fixed items and reselects the first selected one,
    // without notifications.
    void fill(CKestovaDoc& doc, bool first);

    static std::uint32_t itemData(const QTreeWidgetItem* item);
    static int kindOf(const QTreeWidgetItem* item) { return int(itemData(item) >> 16); }
    // Data and kind of the selected item (0 when nothing is selected).
    std::uint32_t selectedData() const { return itemData(currentItem()); }
    int selectedKind() const { return int(selectedData() >> 16); }
    QTreeWidgetItem* rootItem() const { return topLevelItem(0); }
    // The root, "Studios", "Classes" and "Users" in that order (null before the first fill).
    QTreeWidgetItem* fixedItem(int index) const;

    // Selects an item, notifying unless notifications are suppressed. False for a null item.
    bool selectItem(QTreeWidgetItem* item);

Q_SIGNALS:
    // The selected item changed (sent before the view rebuilds; the view posts the rebuild).
    void selectionChanging(std::uint32_t data);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

    bool suppress_ = false;
};

}  // namespace vexilor
