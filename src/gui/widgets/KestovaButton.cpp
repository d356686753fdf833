#include "widgets/KestovaButton.h"

#include <QGuiApplication>
#include <QMouseEvent>

#include <algorithm>

namespace vexilor {

CKestovaButton::CKestovaButton(const QString& text, const QIcon& icon, int side, QWidget* parent)
    : QToolButton(parent), side_(side)
{
    setText(text);
    setIcon(icon);
    setToolTip(text);
    setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextUnderIcon);
    setIconSize({20, 20});
    setAutoRaise(false);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(side, side);
    // "Previous" has to fit the square.
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    setFont(small);
    // A mouse click reports the modifiers held when the button was released.
    connect(this, &QToolButton::clicked, this, [this] {
        Q_EMIT clickedWith(fromMouse_ ? pressModifiers_
                                      : QGuiApplication::keyboardModifiers() &
                                            (Qt::ShiftModifier | Qt::ControlModifier));
    });
}

void CKestovaButton::mouseReleaseEvent(QMouseEvent* event)
{
    pressModifiers_ = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    fromMouse_ = true;
    QToolButton::mouseReleaseEvent(event);
    fromMouse_ = false;
}

}  // namespace vexilor
