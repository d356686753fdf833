#pragma once

#include "app/Preferences.h"

#include <QColor>
#include <QStyledItemDelegate>

#include <functional>

namespace vexilor {

// The symbols of the access columns.
enum class Glyph { None, Check, Cross, CheckedBox, CrossedBox, EmptyBox };

// A text stand-in for a glyph (copying, accessibility): the matching Unicode symbol.
QString GlyphText(Glyph glyph);

// Item-data roles the permission lists answer.
namespace listrole {
inline constexpr int kGlyph = Qt::UserRole + 1;  // int(Glyph)
inline constexpr int kKind = Qt::UserRole + 2;   // column kind (1 access, 2 allow, 4 deny, ...)
inline constexpr int kFlag = Qt::UserRole + 3;   // bool: the cell's row-flag bit
}  // namespace listrole

// Paints the cells of a permission list: the row background (selected with or without focus,
// read-only, normal, shaded by line), glyphs drawn as crisp vector symbols and texts, each in the
// allow, deny or inherit colour its column kind and flag call for.
class CGlyphDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CGlyphDelegate(QObject* parent = nullptr);

    // The colours of "Windows/Colors" and the "AlternateLineShading" mask.
    void setColors(const ListColors& colors, int shadingMask);
    // Asked while painting: whether the file is read-only (its background).
    void setReadOnlyTest(std::function<bool()> test) { readOnly_ = std::move(test); }
    const ListColors& colors() const { return colors_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QColor background(const ListColors& colors, int shadingMask, int row, bool selected, bool focused,
                             bool readOnly);
    static QColor textColor(const ListColors& colors, int kind, bool flag, bool selected);
    static void drawGlyph(QPainter* painter, const QRect& box, Glyph glyph, const QColor& color);

private:
    ListColors colors_;
    int shadingMask_ = 2;
    std::function<bool()> readOnly_;
};

}  // namespace vexilor
