#pragma once

#include <QString>
#include <QStringView>

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace vexilor {

// One argument of FormatText: a text or an integer. Integers remember their signedness and
// whether they were 32-bit, so that "%u" and "%x" of a negative int read as the 32-bit pattern.
class FormatArg {
public:
    FormatArg(const QString& text) : text_(text), isText_(true) {}
    FormatArg(QStringView text) : text_(text.toString()), isText_(true) {}
    FormatArg(const char16_t* text) : text_(QString::fromUtf16(text)), isText_(true) {}

    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char16_t>)
    FormatArg(T value)
        : signed_(std::signed_integral<T>), narrow_(sizeof(T) <= 4)
    {
        if constexpr (std::signed_integral<T>)
            value_ = static_cast<std::int64_t>(value);
        else
            value_ = static_cast<std::int64_t>(static_cast<std::uint64_t>(value));
    }

    // The argument as "%s" shows it: a text as is, an integer in decimal.
    QString asText() const;
    // As "%d": an integer in signed decimal; a text as is.
    QString asSigned() const;
    // As "%u": an integer in unsigned decimal; a text as is.
    QString asUnsigned() const;
    // As "%x" (or "%X" with upper): unsigned hexadecimal without prefix; a text as is.
    QString asHex(bool upper) const;

private:
    std::uint64_t unsignedValue() const;

    QString text_;
    std::int64_t value_ = 0;
    bool isText_ = false;
    bool signed_ = false;
    bool narrow_ = false;
};

// Fills a message pattern without printf. Sequential conversions take the next argument in order:
// "%s", "%d"/"%i", "%u", "%x"/"%X", each with an optional length modifier ("%lx", "%ld", "%llu",
// "%hu"); "%1" to "%9" name an argument by position and leave the order of the others alone;
// "%%" is one percent sign. A conversion without its argument, or any other "%" sequence, is kept
// as written so that a wrong pattern shows instead of reading past the arguments.
QString FormatText(QStringView pattern, std::span<const FormatArg> args);
inline QString FormatText(QStringView pattern, std::initializer_list<FormatArg> args)
{
    return FormatText(pattern, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace vexilor
