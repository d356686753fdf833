#include "widgets/ListFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace vexilor {

CListFilter::CListFilter(QWidget* parent) : QLineEdit(parent)
{
    setPlaceholderText(QCoreApplication::translate("vexilor::lists", "Filter"));
    setClearButtonEnabled(true);
    setObjectName(QStringLiteral("listFilter"));
}

void CListFilter::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Escape) {
        if (text().isEmpty())
            Q_EMIT leaveRequested();
        else
            clear();
        event->accept();
        return;
    }
    if (plain && (event->key() == Qt::Key_Down || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        Q_EMIT leaveRequested();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CListFilter::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    Q_EMIT focusGained();
}

}  // namespace vexilor
