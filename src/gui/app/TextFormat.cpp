#include "app/TextFormat.h"

namespace vexilor {

std::uint64_t FormatArg::unsignedValue() const
{
    if (narrow_)
        return static_cast<std::uint32_t>(value_);
    return static_cast<std::uint64_t>(value_);
}

QString FormatArg::asText() const
{
    return isText_ ? text_ : asSigned();
}

QString FormatArg::asSigned() const
{
    if (isText_)
        return text_;
    if (!signed_ && !narrow_)
        return QString::number(static_cast<qulonglong>(value_));
    if (!signed_)
        return QString::number(static_cast<qint64>(static_cast<std::int32_t>(value_)));
    return QString::number(static_cast<qlonglong>(value_));
}

QString FormatArg::asUnsigned() const
{
    return isText_ ? text_ : QString::number(static_cast<qulonglong>(unsignedValue()));
}

QString FormatArg::asHex(bool upper) const
{
    if (isText_)
        return text_;
    QString hex = QString::number(static_cast<qulonglong>(unsignedValue()), 16);
    return upper ? hex.toUpper() : hex;
}

QString FormatText(QStringView pattern, std::span<const FormatArg> list)
{
    const std::size_t count = list.size();

    QString out;
    out.reserve(pattern.size() + 16 * static_cast<qsizetype>(count));
    std::size_t next = 0;
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 == n) {
            out += c;
            ++i;
            continue;
        }
        const QChar p = pattern[i + 1];
        if (p == u'%') {
            out += u'%';
            i += 2;
            continue;
        }
        if (p >= u'1' && p <= u'9') {
            const auto index = static_cast<std::size_t>(p.unicode() - u'1');
            if (index < count)
                out += list[index].asText();
            else
                out += pattern.mid(i, 2);
            i += 2;
            continue;
        }
        // Length modifiers change nothing here: every integer argument carries its own width.
        qsizetype j = i + 1;
        while (j < n && j - i <= 2 && (pattern[j] == u'l' || pattern[j] == u'h'))
            ++j;
        const QChar conv = j < n ? pattern[j] : QChar();
        const bool known = conv == u's' || conv == u'd' || conv == u'i' || conv == u'u'
                           || conv == u'x' || conv == u'X';
        if (!known || next >= count) {
            out += pattern.mid(i, known ? j + 1 - i : 1);
            i = known ? j + 1 : i + 1;
            continue;
        }
        const FormatArg& arg = list[next++];
        switch (conv.unicode()) {
        case u's': out += arg.asText(); break;
        case u'd':
        case u'i': out += arg.asSigned(); break;
        case u'u': out += arg.asUnsigned(); break;
        default: out += arg.asHex(conv == u'X'); break;
        }
        i = j + 1;
    }
    return out;
}

}  // namespace vexilor
