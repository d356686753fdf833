#pragma once

#include <QTabBar>

#include <vector>

namespace vexilor {

// The tab strip along the bottom of the edit pane. Each tab carries its value; a tab set is a mask
// of values, always shown in the fixed order. Never takes the keyboard focus.
class CKestovaTabCtrl : public QTabBar {
    Q_OBJECT
public:
    explicit CKestovaTabCtrl(QWidget* parent = nullptr);

    int tabSet() const { return set_; }
    // Replaces the tabs when the set differs from the current one, keeping the selected value
    // when the new set has it. Sends no notification.
    void applyTabSet(int set);
    int valueAt(int index) const;
    int selectedValue() const { return valueAt(currentIndex()); }
    std::vector<int> values() const;
    // Selects a tab from program code, without notification.
    void selectIndex(int index);

Q_SIGNALS:
    // The user chose another tab.
    void tabChosen(int index);

private:
    int set_ = -1;
    bool quiet_ = false;
};

}  // namespace vexilor
