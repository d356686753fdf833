#pragma once

#include "restrictions/RestrictionsModel.h"

#include <QAbstractItemModel>
#include <QPersistentModelIndex>
#include <QStringList>

#include <array>
#include <cstdint>

namespace vexilor {

class CKestovaDoc;

// The rows of the navigation tree: the root "Intercom" with the folders "Studios", "Classes" and
// "Users" and, while a restrictions file is loaded, one row per studio, class and user. The rows
// follow the document's name lists: they are inserted, removed and moved as the document announces
// its changes, never refilled, so that the tree's selection stays on the entity it shows.
// kDataRole gives the tree kind in the high 16 bits and the row's index in the document's name list
// in the low 16 bits.
class CNavigationModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int kDataRole = Qt::UserRole + 1;

    explicit CNavigationModel(CKestovaDoc& doc, QObject* parent = nullptr);

    // Takes the document's lists as they are (after another file was opened). Until the first
    // reset the model has no rows at all.
    void reset();

    QModelIndex rootIndex() const { return index(0, 0); }
    // The root, "Studios", "Classes" and "Users" for 0 to 3.
    QModelIndex fixedIndex(int which) const;
    // The folder of a studio, class or user kind.
    QModelIndex folderIndex(EntityKind kind) const;
    // The row of a studio, class or user, invalid when there is none.
    QModelIndex entityIndex(EntityKind kind, const QString& name) const;

    static std::uint32_t dataOf(const QModelIndex& index);
    static int kindOf(const QModelIndex& index) { return int(dataOf(index) >> 16); }
    // True while rows are being inserted, removed or moved.
    bool isChanging() const { return changing_ > 0; }

    // The row drawn bold (the selected one).
    void setBoldIndex(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void onAdded(EntityKind kind, int at, const QString& name);
    void onRemoved(EntityKind kind, int at);
    void onRenamed(EntityKind kind, int from, int to, const QString& name);
    QStringList* namesOf(EntityKind kind);

    CKestovaDoc& doc_;
    // Studios, classes and users, in the order of the folders.
    std::array<QStringList, 3> names_;
    QPersistentModelIndex bold_;
    int changing_ = 0;
    bool filled_ = false;
};

}  // namespace vexilor
