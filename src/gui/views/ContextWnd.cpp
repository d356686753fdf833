#include "views/ContextWnd.h"

#include <QPainter>

namespace vexilor {

CContextWnd::CContextWnd(int height, QWidget* parent) : QWidget(parent), height_(height)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(12.5);
    font.setBold(true);
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void CContextWnd::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    setToolTip(text);
    repaint();
}

void CContextWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    painter.setPen(palette().color(QPalette::Base));
    painter.setFont(font());
    const QRect area = rect().adjusted(8, 0, -2, 0);
    const QString shown = fontMetrics().elidedText(text_, Qt::ElideRight, area.width());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

}  // namespace vexilor
