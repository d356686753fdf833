#include "views/lists/ListLayout.h"

#include <QtEndian>

#include <vector>

namespace vexilor {

QByteArray EncodeColumnWidths(const QList<int>& widths)
{
    QByteArray bytes;
    bytes.reserve(widths.size() * 2);
    for (int w : widths) {
        const int clamped = std::clamp(w, 0, 0xFFFF);
        bytes.append(static_cast<char>(clamped >> 8 & 0xFF));
        bytes.append(static_cast<char>(clamped & 0xFF));
    }
    return bytes;
}

QList<int> DecodeColumnWidths(const QByteArray& bytes)
{
    QList<int> widths;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        widths.append(static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]));
    return widths;
}

QByteArray EncodeColumnOrder(const QList<int>& order)
{
    QByteArray bytes(order.size() * 4, '\0');
    for (qsizetype i = 0; i < order.size(); ++i)
        qToLittleEndian<qint32>(order[i], bytes.data() + i * 4);
    return bytes;
}

QList<int> DecodeColumnOrder(const QByteArray& bytes)
{
    QList<int> order;
    for (qsizetype i = 0; i + 3 < bytes.size(); i += 4)
        order.append(qFromLittleEndian<qint32>(bytes.constData() + i));
    return order;
}

QList<int> MergedColumnOrder(const QList<int>& stored, int columns)
{
    QList<int> order;
    std::vector<bool> used(static_cast<std::size_t>(std::max(columns, 0)), false);
    for (int c : stored) {
        // A stored array from another column table (or damaged) stops being followed where it
        // stops making sense.
        if (c < 0 || c >= columns || used[static_cast<std::size_t>(c)] || order.size() >= columns)
            break;
        used[static_cast<std::size_t>(c)] = true;
        order.append(c);
    }
    for (int c = 0; c < columns; ++c)
        if (!used[static_cast<std::size_t>(c)])
            order.append(c);
    return order;
}

}  // namespace vexilor
