#pragma once

#include <QLineEdit>

namespace vexilor {

// The filter field above a list: placeholder "Filter" and a clear button. Escape clears a text;
// Escape in an empty field, Down or Enter hand the keyboard back to the list (leaveRequested).
class CListFilter : public QLineEdit {
    Q_OBJECT
public:
    explicit CListFilter(QWidget* parent = nullptr);

Q_SIGNALS:
    void leaveRequested();
    void focusGained();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace vexilor
