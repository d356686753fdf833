#include "views/CategoryBar.h"

#include "app/SettingsStore.h"
#include "views/Navigation.h"
#include "widgets/Icons.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>

namespace vexilor {

CListWnd::CListWnd(SettingsStore* settings, QWidget* parent)
    : QAbstractScrollArea(parent), settings_(settings)
{
    if (settings_)
        large_ = settings_->readInt(SettingKey::RadiosLargeIcons) != 0;
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(kLineStep);
    // Page up and down move one button; the page (thumb) stays the pane's height.
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd)
            bar->setSliderPosition(std::min(bar->maximum(), bar->value() + buttonHeight()));
        else if (action == QAbstractSlider::SliderPageStepSub)
            bar->setSliderPosition(std::max(bar->minimum(), bar->value() - buttonHeight()));
    });
}

void CListWnd::rebuild(const std::vector<int>& rows)
{
    const int keepRow = selectedRow();
    qDeleteAll(buttons_);
    buttons_.clear();
    rows_ = rows;
    selected_ = -1;
    const int side = large_ ? 32 : 16;
    const QIcon icon = AppIcon(QStringLiteral("category"));
    for (int position = 0; position < int(rows_.size()); ++position) {
        const nav::Category* category = nav::CategoryAt(rows_[std::size_t(position)]);
        auto* button = new QToolButton(viewport());
        button->setText(QString::fromUtf16(category->label));
        button->setObjectName(QStringLiteral("category%1").arg(category->row));
        button->setProperty("commandId", nav::CategoryCommand(category->row));
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIcon(icon);
        button->setIconSize({side, side});
        button->setFocusPolicy(Qt::NoFocus);
        button->setEnabled(nav::CategoryEnabled(category->row, kind_));
        connect(button, &QToolButton::clicked, this, [this, position] { onClicked(position); });
        buttons_.append(button);
        button->show();
    }
    if (const int at = positionOfRow(keepRow); at >= 0)
        setSelected(at);
    layoutButtons();
    updateScrollBar();
}

int CListWnd::selectedRow() const
{
    return selected_ >= 0 && selected_ < count() ? rows_[std::size_t(selected_)] : -1;
}

int CListWnd::positionOfRow(int row) const
{
    for (int i = 0; i < count(); ++i)
        if (rows_[std::size_t(i)] == row)
            return i;
    return -1;
}

bool CListWnd::isPositionEnabled(int position) const
{
    return position >= 0 && position < count() && buttons_[position]->isEnabled();
}

std::vector<bool> CListWnd::enabledPositions() const
{
    std::vector<bool> enabled;
    for (int i = 0; i < count(); ++i)
        enabled.push_back(isPositionEnabled(i));
    return enabled;
}

int CListWnd::firstEnabledPosition() const
{
    for (int i = 0; i < count(); ++i)
        if (isPositionEnabled(i))
            return i;
    return -1;
}

int CListWnd::lastEnabledPosition() const
{
    for (int i = count() - 1; i >= 0; --i)
        if (isPositionEnabled(i))
            return i;
    return -1;
}

bool CListWnd::enableForKind(int treeKind)
{
    kind_ = treeKind;
    for (int i = 0; i < count(); ++i)
        buttons_[i]->setEnabled(nav::CategoryEnabled(rows_[std::size_t(i)], treeKind));
    return selected_ < 0 || !isPositionEnabled(selected_);
}

void CListWnd::selectPosition(int position)
{
    if (position < 0 || position >= count())
        return;
    setSelected(position);
    Q_EMIT selectionChanging(rows_[std::size_t(position)]);
}

QToolButton* CListWnd::buttonAt(int position) const
{
    return position >= 0 && position < count() ? buttons_[position] : nullptr;
}

void CListWnd::setLargeButtons(bool large)
{
    if (large == large_)
        return;
    large_ = large;
    if (settings_)
        settings_->writeInt(SettingKey::RadiosLargeIcons, large ? 1 : 0);
    Q_EMIT rebuildRequested();
}

QMenu* CListWnd::createContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    if (large_)
        menu->addAction(QStringLiteral("Small buttons"), this, [this] { setLargeButtons(false); });
    else
        menu->addAction(QStringLiteral("Large buttons"), this, [this] { setLargeButtons(true); });
    return menu;
}

QSize CListWnd::sizeHint() const
{
    return {216 + 4, 244};
}

void CListWnd::setSelected(int position)
{
    for (int i = 0; i < count(); ++i)
        buttons_[i]->setChecked(i == position);
    selected_ = position;
    markFocus();
}

void CListWnd::markFocus()
{
    // The buttons never take the focus themselves: the selected one shows it in bold.
    for (int i = 0; i < count(); ++i) {
        QFont f = buttons_[i]->font();
        f.setBold(i == selected_ && hasFocus());
        buttons_[i]->setFont(f);
    }
}

void CListWnd::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    markFocus();
}

void CListWnd::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    markFocus();
}

void CListWnd::layoutButtons()
{
    const int h = buttonHeight();
    const int top = -verticalScrollBar()->value();
    const int width = viewport()->width();
    for (int i = 0; i < count(); ++i)
        buttons_[i]->setGeometry(0, top + i * h, width, h);
}

void CListWnd::updateScrollBar()
{
    // Range: the buttons plus 4; page: the pane plus 4.
    const int range = count() * buttonHeight() + 4;
    const int page = viewport()->height() + 4;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, range - page));
}

void CListWnd::onClicked(int position)
{
    const bool changed = position != selected_;
    setSelected(position);  // a click on the selected button keeps it pressed
    setFocus(Qt::MouseFocusReason);
    if (changed)
        Q_EMIT clicked(rows_[std::size_t(position)]);
    Q_EMIT activated();
}

void CListWnd::keyPressEvent(QKeyEvent* event)
{
    // With the focus on the bar, the arrows and Home/End choose among the enabled buttons as a
    // click would.
    int to = -1;
    if (event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Up:
            for (int i = selected_ - 1; i >= 0 && to < 0; --i)
                to = isPositionEnabled(i) ? i : -1;
            break;
        case Qt::Key_Down:
            for (int i = selected_ + 1; i < count() && to < 0; ++i)
                to = isPositionEnabled(i) ? i : -1;
            break;
        case Qt::Key_Home: to = firstEnabledPosition(); break;
        case Qt::Key_End: to = lastEnabledPosition(); break;
        default: QAbstractScrollArea::keyPressEvent(event); return;
        }
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (to >= 0) {
        onClicked(to);
        ensureVisible(to);
    }
    event->accept();
}

void CListWnd::ensureVisible(int position)
{
    QScrollBar* bar = verticalScrollBar();
    const int top = position * buttonHeight();
    if (top < bar->value())
        bar->setValue(top);
    else if (top + buttonHeight() > bar->value() + viewport()->height())
        bar->setValue(top + buttonHeight() - viewport()->height());
}

void CListWnd::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
    layoutButtons();
}

void CListWnd::scrollContentsBy(int, int)
{
    layoutButtons();
}

void CListWnd::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool CListWnd::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        contextMenuEvent(static_cast<QContextMenuEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace vexilor
