#include "views/KestovaTreeCtrl.h"

#include "document/KestovaDoc.h"
#include "views/PlaceWindow.h"
#include "widgets/Icons.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <array>

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

std::uint32_t MakeData(int kind, int index)
{
    return (std::uint32_t(kind) << 16) | (std::uint32_t(index) & 0xFFFFu);
}

QIcon KindIcon(int kind)
{
    using namespace treekind;
    switch (kind) {
    case kIntercom: return AppIcon(QStringLiteral("intercom"));
    case kStudios:
    case kStudio: return AppIcon(QStringLiteral("studio"));
    case kClasses:
    case kClass: return AppIcon(QStringLiteral("class"));
    default: return AppIcon(QStringLiteral("user"));
    }
}

QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const QString& text, int kind, int index)
{
    auto* item = new QTreeWidgetItem(parent, {text});
    item->setData(0, CKestovaTreeCtrl::kDataRole, MakeData(kind, index));
    item->setIcon(0, KindIcon(kind));
    return item;
}

void SetBold(QTreeWidgetItem* item, bool bold)
{
    if (!item)
        return;
    QFont font = item->font(0);
    font.setBold(bold);
    item->setFont(0, font);
}

}  // namespace

CKestovaTreeCtrl::CKestovaTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
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

    connect(this, &QTreeWidget::currentItemChanged, this, &CKestovaTreeCtrl::onCurrentItemChanged);
}

std::uint32_t CKestovaTreeCtrl::itemData(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kDataRole).toUInt() : 0;
}

QTreeWidgetItem* CKestovaTreeCtrl::fixedItem(int index) const
{
    QTreeWidgetItem* root = rootItem();
    if (!root || index < 0 || index > 3)
        return nullptr;
    return index == 0 ? root : root->child(index - 1);
}

void CKestovaTreeCtrl::fill(CKestovaDoc& doc, bool first)
{
    std::array<bool, 4> expanded{true, true, true, true};
    std::array<bool, 4> selected{};
    if (!first) {
        for (int i = 0; i < 4; ++i) {
            if (QTreeWidgetItem* item = fixedItem(i)) {
                expanded[std::size_t(i)] = item->isExpanded();
                selected[std::size_t(i)] = item == currentItem();
            }
        }
    }

    const bool wasSuppressed = suppress_;
    suppress_ = !first;
    setUpdatesEnabled(false);
    clear();

    using namespace treekind;
    auto* root = new QTreeWidgetItem(this, {QStringLiteral("Intercom")});
    root->setData(0, kDataRole, MakeData(kIntercom, 0));
    root->setIcon(0, KindIcon(kIntercom));
    QTreeWidgetItem* studios = AddItem(root, QStringLiteral("Studios"), kStudios, 0);
    QTreeWidgetItem* classes = AddItem(root, QStringLiteral("Classes"), kClasses, 0);
    QTreeWidgetItem* users = AddItem(root, QStringLiteral("Users"), kUsers, 0);

    if (doc.model().loaded()) {
        doc.refreshNameLists();
        const auto addAll = [](QTreeWidgetItem* parent, const QStringList& names, int kind) {
            for (int i = 0; i < names.size(); ++i)
                AddItem(parent, names[i], kind, i);
        };
        addAll(classes, doc.classNames(), kClass);
        addAll(studios, doc.studioNames(), kStudio);
        addAll(users, doc.userNames(), kUser);
    }

    for (int i = 0; i < 4; ++i)
        fixedItem(i)->setExpanded(expanded[std::size_t(i)]);
    for (int i = 0; i < 4; ++i) {
        if (selected[std::size_t(i)]) {
            selectItem(fixedItem(i));
            break;
        }
    }
    setUpdatesEnabled(true);
    suppress_ = wasSuppressed;
}

bool CKestovaTreeCtrl::selectItem(QTreeWidgetItem* item)
{
    if (!item)
        return false;
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

void CKestovaTreeCtrl::onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (!current || current->data(0, kDataRole).isNull())
        return;
    SetBold(previous, false);
    SetBold(current, true);
    if (!suppress_)
        Q_EMIT selectionChanging(itemData(current));
}

void CKestovaTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    // The right button neither selects nor opens anything.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CKestovaTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

}  // namespace vexilor
