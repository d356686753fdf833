#pragma once

#include "views/lists/ListColumns.h"
#include "widgets/GlyphDelegate.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace vexilor {

// What a list shows: its items in row order, the texts of its text columns and the row-flag bits
// of its glyph columns. Implementations ask the model or the configuration on every call, so a
// list never caches what it shows.
class ListItems {
public:
    virtual ~ListItems() = default;
    virtual int count() const = 0;
    // The text of a text column.
    virtual QString text(int item, int kind) const = 0;
    // The value a text column sorts by; its text unless the item knows better (a number).
    virtual QVariant rawValue(int item, int kind) const { return text(item, kind); }
    // The row-flag bit of a glyph column (allowed, explicit allow, explicit deny, inherited allow,
    // included).
    virtual bool flag(int item, int kind) const = 0;
};

// The table model of a list window: one row per item, the columns of its column table, then an
// empty filler column. Rows are answered when asked (painted or sorted), never stored.
class CKestovaListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        GlyphRole = listrole::kGlyph,  // int(Glyph) of a glyph cell, Glyph::None elsewhere
        KindRole = listrole::kKind,    // the column kind, 0 for the filler
        FlagRole = listrole::kFlag,    // bool: the cell's row-flag bit (chooses its colour)
        RawValueRole,                  // what sorting compares: a number, a text, a flag
        RowFlagsRole,                  // int: the bits of every glyph column of the row
        ItemRole,                      // int: the item index of the row
    };

    CKestovaListModel(std::span<const ListColumn> columns, std::unique_ptr<ListItems> items,
                      QObject* parent = nullptr);
    ~CKestovaListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Replaces the items (populate): a model reset.
    void setItems(std::unique_ptr<ListItems> items);
    const ListItems& items() const { return *items_; }
    ListItems& items() { return *items_; }

    int fillerColumn() const { return static_cast<int>(columns_.size()); }
    int columnKind(int column) const;
    int columnOfKind(int kind) const;  // -1 when the table has none
    const ListColumn* column(int c) const;
    // The sort kind a column answers with: glyph columns -4 (set flags first), numbers 1, text 6.
    int sortKind(int column) const;

    // What the access cells of an item show as their tooltip: why the item has its value (empty:
    // no tooltip).
    void setExplainer(std::function<QString(int item)> explain) { explain_ = std::move(explain); }
    QString explanation(int item) const { return explain_ ? explain_(item) : QString(); }

    // Whether any text column of an item contains the text, case-insensitively.
    bool itemContains(int item, const QString& text) const;

    // The items changed their access: repaint those rows.
    void itemsChanged(int firstRow, int lastRow);
    void allItemsChanged();

private:
    std::vector<ListColumn> columns_;
    std::unique_ptr<ListItems> items_;
    std::function<QString(int)> explain_;
};

// The sorting and filtering layer between the model and the view: compares the raw values by the
// column's sort kind, so display texts are never parsed, and keeps the rows whose text columns
// (number, alphas, description, label) contain the filter text, case-insensitively.
class CListSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QString filterText() const { return filterText_; }
    void setFilterText(const QString& text);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString filterText_;
};

}  // namespace vexilor
