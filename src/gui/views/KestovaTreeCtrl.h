#pragma once

#include "restrictions/RestrictionsModel.h"

#include <QPersistentModelIndex>
#include <QTreeView>

#include <cstdint>

namespace vexilor {

class CKestovaDoc;
class CNavigationModel;

// The navigation tree: a view of the document's studios, classes and users (CNavigationModel).
// Each row carries the tree kind in the high 16 bits of its data and the index into the document's
// sorted name list in the low 16 bits. The selected row is drawn bold.
class CKestovaTreeCtrl : public QTreeView {
    Q_OBJECT
public:
    static constexpr int kDataRole = Qt::UserRole + 1;

    explicit CKestovaTreeCtrl(CKestovaDoc& doc, QWidget* parent = nullptr);

    CNavigationModel* navigationModel() const { return model_; }

    // After another file was opened: takes the document's lists, expands every fixed row and
    // selects none.
    void fill();

    // Data and kind of the selected row (0 when nothing is selected).
    std::uint32_t selectedData() const;
    int selectedKind() const { return int(selectedData() >> 16); }
    QString selectedText() const { return currentIndex().data().toString(); }
    QModelIndex intercomIndex() const;
    // The root, "Studios", "Classes" and "Users" in that order.
    QModelIndex fixedIndex(int which) const;

    // Selects a row, notifying unless notifications are suppressed. False for an invalid index.
    bool selectIndex(const QModelIndex& index);
    // Selects a row without notifying.
    void selectQuietly(const QModelIndex& index);

Q_SIGNALS:
    // The selected row changed (sent before the view rebuilds; the view posts the rebuild).
    void selectionChanging(std::uint32_t data);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    CNavigationModel* model_ = nullptr;
    bool suppress_ = false;
};

}  // namespace vexilor
