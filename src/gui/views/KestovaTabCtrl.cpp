#include "views/KestovaTabCtrl.h"

#include "views/Navigation.h"

namespace vexilor {

CKestovaTabCtrl::CKestovaTabCtrl(QWidget* parent) : QTabBar(parent)
{
    setShape(QTabBar::RoundedSouth);
    setFocusPolicy(Qt::NoFocus);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (!quiet_ && index >= 0)
            Q_EMIT tabChosen(index);
    });
}

void CKestovaTabCtrl::applyTabSet(int set)
{
    if (set == set_)
        return;
    const int remembered = selectedValue();
    set_ = set;
    quiet_ = true;
    setUpdatesEnabled(false);
    while (count() > 0)
        removeTab(count() - 1);
    for (int value : nav::TabsOfSet(set)) {
        const int index = addTab(nav::TabLabel(value));
        setTabData(index, value);
        setTabToolTip(index, nav::TabLabel(value).trimmed());
    }
    for (int i = 0; i < count(); ++i)
        if (valueAt(i) == remembered)
            setCurrentIndex(i);
    setUpdatesEnabled(true);
    quiet_ = false;
}

int CKestovaTabCtrl::valueAt(int index) const
{
    return index >= 0 && index < count() ? tabData(index).toInt() : 0;
}

std::vector<int> CKestovaTabCtrl::values() const
{
    std::vector<int> result;
    for (int i = 0; i < count(); ++i)
        result.push_back(valueAt(i));
    return result;
}

void CKestovaTabCtrl::selectIndex(int index)
{
    quiet_ = true;
    setCurrentIndex(index);
    quiet_ = false;
}

}  // namespace vexilor
