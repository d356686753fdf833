#pragma once

#include <QByteArray>
#include <QList>

namespace vexilor {

// The stored forms of a list's column layout: widths two bytes per column, high byte first;
// the order four bytes per column (the column at each position, least significant byte first).
QByteArray EncodeColumnWidths(const QList<int>& widths);
QList<int> DecodeColumnWidths(const QByteArray& bytes);
QByteArray EncodeColumnOrder(const QList<int>& order);
QList<int> DecodeColumnOrder(const QByteArray& bytes);

// The order to apply for `columns` columns: the stored positions first (while they name distinct
// columns in range), then the remaining columns in their natural order.
QList<int> MergedColumnOrder(const QList<int>& stored, int columns);

}  // namespace vexilor
