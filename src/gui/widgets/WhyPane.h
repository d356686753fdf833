#pragma once

#include <QLabel>

namespace vexilor {

// The small read-only pane under a permission list that says why the current row has its value.
// The text can be selected and copied but not edited; it never takes the focus by Tab.
class CWhyPane : public QLabel {
    Q_OBJECT
public:
    explicit CWhyPane(QWidget* parent = nullptr);
};

}  // namespace vexilor
