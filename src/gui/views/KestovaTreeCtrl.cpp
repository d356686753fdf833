#include "views/KestovaTreeCtrl.h"

#include "document/KestovaDoc.h"
#include "views/NavigationModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace vexilor {
namespace {

constexpr int kMinItemHeight = 20;

// Rows are at least 20 pixels high, however small the style's default.
class TreeRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), kMinItemHeight));
        return size;
    }
};

}  // namespace

CKestovaTreeCtrl::CKestovaTreeCtrl(CKestovaDoc& doc, QWidget* parent)
    : QTreeView(parent), model_(new CNavigationModel(doc, this))
{
    static_assert(kDataRole == CNavigationModel::kDataRole);
    setModel(model_);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TreeRowDelegate(this));
    setUniformRowHeights(true);
    setIconSize({16, 16});
    header()->setStretchLastSection(true);

    // Unselected items on the button face; the selection on the button shadow while the tree
    // does not have the focus.
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, pal.color(group, QPalette::Button));
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Dark));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

void CKestovaTreeCtrl::fill()
{
    const bool wasSuppressed = suppress_;
    suppress_ = true;
    setCurrentIndex({});
    model_->reset();
    for (int i = 0; i < 4; ++i)
        expand(model_->fixedIndex(i));
    suppress_ = wasSuppressed;
}

std::uint32_t CKestovaTreeCtrl::selectedData() const
{
    return CNavigationModel::dataOf(currentIndex());
}

QModelIndex CKestovaTreeCtrl::intercomIndex() const
{
    return model_->rootIndex();
}

QModelIndex CKestovaTreeCtrl::fixedIndex(int which) const
{
    return model_->fixedIndex(which);
}

bool CKestovaTreeCtrl::selectIndex(const QModelIndex& index)
{
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    scrollTo(index);
    return true;
}

void CKestovaTreeCtrl::selectQuietly(const QModelIndex& index)
{
    const bool wasSuppressed = suppress_;
    suppress_ = true;
    if (index.isValid())
        selectIndex(index);
    else
        setCurrentIndex({});
    suppress_ = wasSuppressed;
}

void CKestovaTreeCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    model_->setBoldIndex(current);
    // While rows come and go the selection model moves the current row on its own; the view
    // decides where the selection goes once the change is complete.
    if (!current.isValid() || suppress_ || model_->isChanging())
        return;
    Q_EMIT selectionChanging(CNavigationModel::dataOf(current));
}

void CKestovaTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    // The right button neither selects nor opens anything.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CKestovaTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

}  // namespace vexilor
