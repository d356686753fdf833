#include "views/EditWnd.h"

#include "views/KestovaTabCtrl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>

namespace vexilor {

CEditWnd::CEditWnd(QWidget* parent) : QWidget(parent), tabs_(new CKestovaTabCtrl(this))
{
    setObjectName(QStringLiteral("editPane"));
}

void CEditWnd::setPage(QWidget* page)
{
    page_ = page;
    if (page_) {
        page_->setParent(this);
        setFocusProxy(page_);
    } else {
        setFocusProxy(nullptr);
    }
    relayout();
}

QRect CEditWnd::pageRect() const
{
    return QRect(kMargin, kMargin, std::max(0, width() - 2 * kMargin),
                 std::max(0, height() - kMargin - kBottomMargin));
}

void CEditWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void CEditWnd::relayout()
{
    update();
    if (page_)
        page_->setGeometry(pageRect());
    // The tabs hang from the bottom edge of the frame around the page.
    const QSize hint = tabs_->sizeHint();
    const int top = height() - kBottomMargin + kMargin / 2;
    tabs_->setGeometry(kMargin / 2, top, std::min(hint.width(), std::max(0, width() - kMargin)),
                       std::min(hint.height(), std::max(0, height() - top)));
}

void CEditWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.shape = QTabBar::RoundedSouth;
    frame.rect = QRect(kMargin / 2, kMargin / 2, std::max(0, width() - kMargin),
                       std::max(0, height() - kBottomMargin));
    frame.tabBarSize = tabs_->sizeHint();
    frame.tabBarRect = tabs_->geometry();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

}  // namespace vexilor
