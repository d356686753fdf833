#pragma once

#include <QWidget>

namespace vexilor {

// The title strip: one line of text in the window colour on the button shadow, bold, 8 pixels
// from the left, vertically centred, cut with an ellipsis when too long.
class CContextWnd : public QWidget {
    Q_OBJECT
public:
    explicit CContextWnd(int height, QWidget* parent = nullptr);

    QString text() const { return text_; }
    // Sets the text and repaints at once.
    void setText(const QString& text);

    QSize sizeHint() const override { return {200, height_}; }
    QSize minimumSizeHint() const override { return {0, height_}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_ = QStringLiteral("Title");
    int height_;
};

}  // namespace vexilor
