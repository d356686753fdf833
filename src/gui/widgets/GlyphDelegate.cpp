#include "widgets/GlyphDelegate.h"

#include "app/ColorRef.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vexilor {

namespace {

constexpr int kTextIndent = 4;

bool isGlyphKind(int kind)
{
    return kind == 1 || kind == 2 || kind == 4 || kind == 8 || kind == 256;
}

}  // namespace

QString GlyphText(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Check: return QStringLiteral("\u2714");
    case Glyph::Cross: return QStringLiteral("\u2718");
    case Glyph::CheckedBox: return QStringLiteral("\u2611");
    case Glyph::CrossedBox: return QStringLiteral("\u2612");
    case Glyph::EmptyBox: return QStringLiteral("\u2610");
    case Glyph::None: break;
    }
    return {};
}

CGlyphDelegate::CGlyphDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void CGlyphDelegate::setColors(const ListColors& colors, int shadingMask)
{
    colors_ = colors;
    shadingMask_ = shadingMask;
}

QColor CGlyphDelegate::background(const ListColors& colors, int shadingMask, int row, bool selected, bool focused,
                                  bool readOnly)
{
    std::uint32_t ref = selected ? (focused ? colors.selectedBackground : colors.unfocusedBackground)
                                 : (readOnly ? colors.readOnlyBackground : colors.normalBackground);
    if ((row & shadingMask) != 0) {
        std::uint32_t shaded = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int channel = static_cast<int>(ref >> shift & 0xFF);
            const int offset = static_cast<int>(colors.shadingOffsets >> shift & 0xFF);
            shaded |= static_cast<std::uint32_t>(std::max(0, channel - offset)) << shift;
        }
        ref = shaded;
    }
    return FromColorRef(ref);
}

QColor CGlyphDelegate::textColor(const ListColors& colors, int kind, bool flag, bool selected)
{
    enum { Allow, Deny, Inherit } which = Inherit;
    switch (kind) {
    case 1:
    case 8: which = flag ? Allow : Deny; break;
    case 2:
    case 256: which = flag ? Allow : Inherit; break;
    case 4: which = flag ? Deny : Inherit; break;
    default: break;
    }
    switch (which) {
    case Allow: return FromColorRef(selected ? colors.selectedAllowText : colors.allowText);
    case Deny: return FromColorRef(selected ? colors.selectedDenyText : colors.denyText);
    case Inherit: break;
    }
    return FromColorRef(selected ? colors.selectedInheritText : colors.inheritText);
}

void CGlyphDelegate::drawGlyph(QPainter* painter, const QRect& box, Glyph glyph, const QColor& color)
{
    if (glyph == Glyph::None || box.width() < 4 || box.height() < 4)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const qreal side = std::min(box.width(), box.height());
    const QRectF r(box.center().x() - side / 2 + 0.5, box.center().y() - side / 2 + 0.5, side - 1, side - 1);
    const qreal stroke = std::max<qreal>(1.5, side / 7);
    QPen pen(color, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);

    auto check = [&](const QRectF& a) {
        QPainterPath p;
        p.moveTo(a.left() + a.width() * 0.12, a.top() + a.height() * 0.55);
        p.lineTo(a.left() + a.width() * 0.40, a.top() + a.height() * 0.85);
        p.lineTo(a.left() + a.width() * 0.90, a.top() + a.height() * 0.15);
        painter->drawPath(p);
    };
    auto cross = [&](const QRectF& a) {
        painter->drawLine(QPointF(a.left() + a.width() * 0.18, a.top() + a.height() * 0.18),
                          QPointF(a.right() - a.width() * 0.18, a.bottom() - a.height() * 0.18));
        painter->drawLine(QPointF(a.right() - a.width() * 0.18, a.top() + a.height() * 0.18),
                          QPointF(a.left() + a.width() * 0.18, a.bottom() - a.height() * 0.18));
    };
    const qreal inset = side * 0.12;
    const QRectF boxRect = r.adjusted(inset, inset, -inset, -inset);
    const QRectF inner = boxRect.adjusted(stroke, stroke, -stroke, -stroke);
    switch (glyph) {
    case Glyph::Check: check(r); break;
    case Glyph::Cross: cross(r.adjusted(inset, inset, -inset, -inset)); break;
    case Glyph::CheckedBox:
        painter->setPen(QPen(color, std::max<qreal>(1.0, stroke * 0.6)));
        painter->drawRect(boxRect);
        painter->setPen(pen);
        check(inner);
        break;
    case Glyph::CrossedBox:
        painter->setPen(QPen(color, std::max<qreal>(1.0, stroke * 0.6)));
        painter->drawRect(boxRect);
        painter->setPen(pen);
        cross(inner);
        break;
    case Glyph::EmptyBox:
        painter->setPen(QPen(color, std::max<qreal>(1.0, stroke * 0.6)));
        painter->drawRect(boxRect);
        break;
    case Glyph::None: break;
    }
    painter->restore();
}

void CGlyphDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool focused = option.widget && option.widget->hasFocus();
    const bool readOnly = readOnly_ && readOnly_();
    const int kind = index.data(listrole::kKind).toInt();
    const bool flag = index.data(listrole::kFlag).toBool();

    painter->fillRect(option.rect, background(colors_, shadingMask_, index.row(), selected, focused, readOnly));

    const QColor color = textColor(colors_, kind, flag, selected);
    const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    if (isGlyphKind(kind)) {
        const int side = std::min(option.rect.height() - 2, option.fontMetrics.height() * 4 / 3);
        QRect box(0, 0, side, side);
        box.moveCenter(option.rect.center());
        if (alignment.testFlag(Qt::AlignLeft) && !alignment.testFlag(Qt::AlignHCenter))
            box.moveLeft(option.rect.left() + kTextIndent);
        else if (alignment.testFlag(Qt::AlignRight))
            box.moveRight(option.rect.right() - kTextIndent);
        drawGlyph(painter, box, static_cast<Glyph>(index.data(listrole::kGlyph).toInt()), color);
        return;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const QRect textRect = option.rect.adjusted(kTextIndent, 0, -kTextIndent / 2, 0);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(color);
    const QString shown = option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    painter->restore();
}

QSize CGlyphDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int height = option.fontMetrics.height() * 4 / 3 + 4;
    const int kind = index.data(listrole::kKind).toInt();
    if (isGlyphKind(kind))
        return {option.fontMetrics.height() * 4 / 3 + 2 * kTextIndent, height};
    const QString text = index.data(Qt::DisplayRole).toString();
    return {option.fontMetrics.horizontalAdvance(text) + 2 * kTextIndent, height};
}

}  // namespace vexilor
