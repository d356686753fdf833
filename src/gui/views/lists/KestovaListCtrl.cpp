#include "views/lists/KestovaListCtrl.h"

#include "app/SettingsStore.h"
#include "views/lists/KestovaListModel.h"
#include "views/lists/ListLayout.h"
#include "widgets/GlyphDelegate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

namespace vexilor {

namespace {
constexpr int kMargin = 20;
}

CKestovaListCtrl::CKestovaListCtrl(CKestovaListModel* model, QWidget* parent)
    : QTableView(parent), model_(model), proxy_(new CListSortProxy(this)), delegate_(new CGlyphDelegate(this))
{
    proxy_->setSourceModel(model_);
    proxy_->setDynamicSortFilter(false);
    setModel(proxy_);
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setAutoScroll(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() * 4 / 3 + 4);
    QHeaderView* h = horizontalHeader();
    h->setSectionsClickable(true);
    h->setSectionsMovable(true);
    h->setHighlightSections(false);
    h->setSortIndicatorShown(true);
    h->setSortIndicator(-1, Qt::AscendingOrder);
    h->setStretchLastSection(true);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Sizing by a divider double-click follows the list's own rules.
    disconnect(h, &QHeaderView::sectionHandleDoubleClicked, this, nullptr);
    connect(h, &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int column) { sizeColumnFromDivider(column, QApplication::keyboardModifiers()); });
    connect(h, &QHeaderView::sortIndicatorChanged, this, &CKestovaListCtrl::sortIndicatorChanged);
    connect(h, &QHeaderView::sectionMoved, this, [this] { keepFillerLast(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { applySort(); });
    scrollTimer_.setInterval(kAutoScrollMs);
    connect(&scrollTimer_, &QTimer::timeout, this, &CKestovaListCtrl::autoScrollStep);
    setObjectName(QStringLiteral("list540"));
}

CKestovaListCtrl::~CKestovaListCtrl() = default;

QString CKestovaListCtrl::emptyText()
{
    return QCoreApplication::translate("vexilor::lists", "<no items in list>");
}

void CKestovaListCtrl::setReadOnlyTest(std::function<bool()> test)
{
    readOnly_ = test;
    delegate_->setReadOnlyTest(std::move(test));
}

void CKestovaListCtrl::setColors(const ListColors& colors, int shadingMask)
{
    delegate_->setColors(colors, shadingMask);
    viewport()->update();
}

QList<int> CKestovaListCtrl::selectedItems() const
{
    QList<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    QList<int> items;
    items.reserve(rows.size());
    for (int r : rows)
        items.append(proxy_->mapToSource(proxy_->index(r, 0)).row());
    return items;
}

QList<int> CKestovaListCtrl::allItems() const
{
    QList<int> items;
    const int n = proxy_->rowCount();
    items.reserve(n);
    for (int r = 0; r < n; ++r)
        items.append(proxy_->mapToSource(proxy_->index(r, 0)).row());
    return items;
}

int CKestovaListCtrl::viewRowOfItem(int item) const
{
    return proxy_->mapFromSource(model_->index(item, 0)).row();
}

void CKestovaListCtrl::selectAllRows()
{
    if (proxy_->rowCount() == 0)
        return;
    selectionModel()->select(QItemSelection(proxy_->index(0, 0), proxy_->index(proxy_->rowCount() - 1, 0)),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CKestovaListCtrl::selectNoRows()
{
    selectionModel()->clearSelection();
}

void CKestovaListCtrl::invertSelection()
{
    if (proxy_->rowCount() == 0)
        return;
    selectionModel()->select(QItemSelection(proxy_->index(0, 0), proxy_->index(proxy_->rowCount() - 1, 0)),
                             QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

void CKestovaListCtrl::setFilterText(const QString& text)
{
    const QString before = proxy_->filterText();
    if (text == before)
        return;
    proxy_->setFilterText(text);
    // Rows that come back are inserted out of order; a narrowed filter only hides rows.
    if (!text.contains(before, Qt::CaseInsensitive))
        applySort();
    if (!currentIndex().isValid() && proxy_->rowCount() > 0)
        selectionModel()->setCurrentIndex(proxy_->index(0, 0), QItemSelectionModel::NoUpdate);
}

QString CKestovaListCtrl::filterText() const
{
    return proxy_->filterText();
}

// --- sorting ----------------------------------------------------------------------------------

void CKestovaListCtrl::clickHeading(int column)
{
    if (column < 0 || column >= model_->fillerColumn())
        return;
    const Qt::SortOrder order =
        column == sortColumn_ && sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    horizontalHeader()->setSortIndicator(column, order);
}

void CKestovaListCtrl::sortIndicatorChanged(int column, Qt::SortOrder order)
{
    if (settingIndicator_)
        return;
    // The header flips the indicator itself; a new column always starts ascending.
    if (column != sortColumn_)
        order = Qt::AscendingOrder;
    if (column < 0 || column >= model_->fillerColumn()) {
        settingIndicator_ = true;
        horizontalHeader()->setSortIndicator(sortColumn_, sortOrder_);
        settingIndicator_ = false;
        return;
    }
    sortColumn_ = column;
    sortOrder_ = order;
    settingIndicator_ = true;
    horizontalHeader()->setSortIndicator(column, order);
    settingIndicator_ = false;
    applySort();
}

void CKestovaListCtrl::applySort()
{
    if (sortColumn_ < 0)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    proxy_->sort(sortColumn_, sortOrder_);
    QApplication::restoreOverrideCursor();
}

// --- layout -----------------------------------------------------------------------------------

void CKestovaListCtrl::keepFillerLast()
{
    QHeaderView* h = horizontalHeader();
    const int filler = model_->fillerColumn();
    const int last = h->count() - 1;
    if (h->visualIndex(filler) != last) {
        const QSignalBlocker block(h);
        h->moveSection(h->visualIndex(filler), last);
    }
}

int CKestovaListCtrl::headingTextWidth(int column) const
{
    const QString title = model_->headerData(column, Qt::Horizontal).toString() + QStringLiteral("   ");
    return horizontalHeader()->fontMetrics().horizontalAdvance(title);
}

int CKestovaListCtrl::contentsWidth(int column) const
{
    return sizeHintForColumn(column);
}

void CKestovaListCtrl::restoreLayout(SettingsStore& settings, const QString& layoutKey)
{
    const QString key = layoutKey.isEmpty() ? QStringLiteral("Default") : layoutKey;
    const QList<int> widths = DecodeColumnWidths(settings.readListLayout(key, ListLayoutPart::ColumnWidths));
    const QList<int> stored = DecodeColumnOrder(settings.readListLayout(key, ListLayoutPart::ColumnOrder));
    QHeaderView* h = horizontalHeader();
    const int filler = model_->fillerColumn();
    for (int c = 0; c < filler; ++c) {
        if (c < widths.size())
            h->resizeSection(c, widths[c]);
        else
            h->resizeSection(c, std::max(h->sectionSizeHint(c), contentsWidth(c)) + kMargin);
    }
    const QList<int> order = MergedColumnOrder(stored, model_->columnCount());
    {
        const QSignalBlocker block(h);
        for (int visual = 0; visual < order.size(); ++visual)
            h->moveSection(h->visualIndex(order[visual]), visual);
    }
    keepFillerLast();
}

void CKestovaListCtrl::saveLayout(SettingsStore& settings, const QString& layoutKey) const
{
    const QString key = layoutKey.isEmpty() ? QStringLiteral("Default") : layoutKey;
    const QHeaderView* h = horizontalHeader();
    QList<int> widths;
    QList<int> order;
    for (int c = 0; c < h->count(); ++c) {
        widths.append(h->sectionSize(c));
        order.append(h->logicalIndex(c));
    }
    settings.writeListLayout(key, ListLayoutPart::ColumnWidths, EncodeColumnWidths(widths));
    settings.writeListLayout(key, ListLayoutPart::ColumnOrder, EncodeColumnOrder(order));
}

void CKestovaListCtrl::sizeColumnFromDivider(int column, Qt::KeyboardModifiers modifiers)
{
    if (column < 0 || column >= model_->fillerColumn())
        return;
    QHeaderView* h = horizontalHeader();
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    const int heading = headingTextWidth(column);
    int width = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        width = contentsWidth(column);
    } else if (modifiers.testFlag(Qt::ControlModifier)) {
        width = heading + (alt ? 0 : kMargin);
    } else {
        width = std::max(h->sectionSizeHint(column), contentsWidth(column));
        const bool lastColumn = h->visualIndex(column) == model_->fillerColumn() - 1;
        int rowsWidth = 0;
        for (int c = 0; c < model_->fillerColumn(); ++c)
            rowsWidth += c == column ? width : h->sectionSize(c);
        const bool beyondEdge = rowsWidth > viewport()->width();
        if (!alt && width < heading + kMargin && (!lastColumn || beyondEdge))
            width += kMargin;
    }
    h->resizeSection(column, std::max(width, h->minimumSectionSize()));
}

// --- painting ---------------------------------------------------------------------------------

void CKestovaListCtrl::paintEvent(QPaintEvent* event)
{
    if (proxy_->rowCount() == 0) {
        QPainter p(viewport());
        const ListColors& colors = delegate_->colors();
        const QColor background = isReadOnly() ? QColor(colors.readOnlyBackground & 0xFF,
                                                         colors.readOnlyBackground >> 8 & 0xFF,
                                                         colors.readOnlyBackground >> 16 & 0xFF)
                                               : palette().color(QPalette::Base);
        p.fillRect(viewport()->rect(), background);
        p.setPen(palette().color(QPalette::WindowText));
        const QRect r = viewport()->rect().adjusted(4, 10, 0, 0);
        p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, emptyText());
        return;
    }
    QTableView::paintEvent(event);
    // The focus rectangle goes round the whole row that has the focus.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !hasFocus())
        return;
    const QRect first = visualRect(proxy_->index(current.row(), 0));
    if (!first.isValid())
        return;
    QPainter p(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = QRect(0, first.top(), viewport()->width(), first.height());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}

// --- mouse ------------------------------------------------------------------------------------

bool CKestovaListCtrl::accessClick(QMouseEvent* event) const
{
    if (event->button() != Qt::LeftButton)
        return false;
    return !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
}

void CKestovaListCtrl::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex hit = indexAt(event->position().toPoint());
    QList<bool> before;
    if (event->button() == Qt::LeftButton && hit.isValid() && !event->modifiers().testFlag(Qt::ShiftModifier)) {
        const int rows = proxy_->rowCount();
        before.reserve(rows);
        for (int r = 0; r < rows; ++r)
            before.append(selectionModel()->isRowSelected(r, {}));
    }
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    QTableView::mousePressEvent(event);
    if (!before.isEmpty()) {
        dragging_ = true;
        dragStart_ = hit.row();
        dragDeselects_ = ctrl && before.value(hit.row());
        int selected = 0;
        for (bool b : before)
            selected += b ? 1 : 0;
        dragRestoresOthers_ = ctrl && selected > 1;
        beforeDrag_ = before;
    }
    if (hit.isValid() && accessClick(event) && !requireDoubleClick_)
        Q_EMIT accessCellClicked(proxy_->mapToSource(hit).row(), hit.column());
}

void CKestovaListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    const int y = event->position().toPoint().y();
    if (y < 0) {
        scrollDirection_ = -1;
    } else if (y >= viewport()->height()) {
        scrollDirection_ = 1;
    } else {
        scrollDirection_ = 0;
        scrollTimer_.stop();
        const int row = rowAt(y);
        extendDrag(row < 0 ? proxy_->rowCount() - 1 : row);
        return;
    }
    if (!scrollTimer_.isActive()) {
        autoScrollStep();
        scrollTimer_.start();
    }
}

void CKestovaListCtrl::extendDrag(int viewRow)
{
    if (dragStart_ < 0 || viewRow < 0)
        return;
    const int low = std::min(dragStart_, viewRow);
    const int high = std::max(dragStart_, viewRow);
    const int last = proxy_->rowCount() - 1;
    QItemSelection select;
    auto add = [&](int a, int b) {
        if (a <= b)
            select.select(proxy_->index(a, 0), proxy_->index(b, model_->fillerColumn()));
    };
    if (!dragDeselects_)
        add(low, high);
    if (dragRestoresOthers_) {
        int runStart = -1;
        for (int r = 0; r <= last + 1; ++r) {
            const bool keep = r <= last && (r < low || r > high) && beforeDrag_.value(r);
            if (keep && runStart < 0)
                runStart = r;
            if (!keep && runStart >= 0) {
                add(runStart, r - 1);
                runStart = -1;
            }
        }
    }
    selectionModel()->select(select, QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(proxy_->index(viewRow, 0), QItemSelectionModel::NoUpdate);
}

void CKestovaListCtrl::autoScrollStep()
{
    if (!dragging_ || scrollDirection_ == 0) {
        scrollTimer_.stop();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + scrollDirection_);
    const int row = scrollDirection_ < 0 ? rowAt(0) : rowAt(viewport()->height() - 1);
    extendDrag(row < 0 ? (scrollDirection_ < 0 ? 0 : proxy_->rowCount() - 1) : row);
}

void CKestovaListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    scrollDirection_ = 0;
    scrollTimer_.stop();
    QTableView::mouseReleaseEvent(event);
}

void CKestovaListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click has already changed access when single clicks do, so
    // the double click itself only counts when a double click is required.
    const QModelIndex hit = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (requireDoubleClick_ && hit.isValid() && accessClick(event))
        Q_EMIT accessCellClicked(proxy_->mapToSource(hit).row(), hit.column());
}

void CKestovaListCtrl::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
    Q_EMIT focusGained();
}

void CKestovaListCtrl::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

}  // namespace vexilor
