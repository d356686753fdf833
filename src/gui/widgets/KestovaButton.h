#pragma once

#include <QToolButton>

namespace vexilor {

// A square push button with an icon above its label (the view's Previous and Next buttons). It
// reports the modifiers held at the click, which change what the step does.
class CKestovaButton : public QToolButton {
    Q_OBJECT
public:
    CKestovaButton(const QString& text, const QIcon& icon, int side, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {side_, side_}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void clickedWith(Qt::KeyboardModifiers modifiers);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int side_;
    Qt::KeyboardModifiers pressModifiers_;
    bool fromMouse_ = false;
};

}  // namespace vexilor
