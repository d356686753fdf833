#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "restrictions/RestrictionsSyntax.h"

namespace vexilor::ressyntax {

// A position in one line of a restrictions file, as its bytes, and the tokens that can start there;
// bytes are classed by the character they stand for in the file's code page (Windows-1252 unless
// other classes are given). Every token skips blanks first. A token that does not match returns false; the position may then have moved
// over blanks, so statements save and restore it themselves.
class CLineCursor {
public:
    explicit CLineCursor(std::string_view line, const unsigned char* classes = detail::kBytes.bits)
        : begin_(line.data()), p_(line.data()), end_(line.data() + line.size()), classes_(classes)
    {
    }

    std::size_t pos() const { return static_cast<std::size_t>(p_ - begin_); }
    void setPos(std::size_t p) { p_ = begin_ + p; }
    std::string_view rest() const { return {p_, static_cast<std::size_t>(end_ - p_)}; }

    void skipBlanks() { p_ = blanksFrom(p_); }
    bool atEnd() const { return p_ >= end_; }

    // One given character.
    bool literal(char c)
    {
        const char* q = blanksFrom(p_);
        p_ = q;
        if (q < end_ && *q == c) {
            p_ = q + 1;
            return true;
        }
        return false;
    }

    // An upper-case ASCII keyword, matched without regard to case; nothing is required after it.
    bool keyword(std::string_view upper)
    {
        const char* q = blanksFrom(p_);
        p_ = q;
        if (static_cast<std::size_t>(end_ - q) < upper.size())
            return false;
        for (std::size_t i = 0; i < upper.size(); ++i) {
            char c = q[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
            if (c != upper[i])
                return false;
        }
        p_ = q + upper.size();
        return true;
    }

    // A letter, then letters, digits, '_' or '.', ended by a blank, the line's end or a delimiter.
    bool identifier(std::string_view& out)
    {
        const char* start = blanksFrom(p_);
        p_ = start;
        if (start >= end_ || !has(*start, detail::kLetter))
            return false;
        const char* q = start + 1;
        while (q < end_ && has(*q, detail::kIdentifierPart))
            ++q;
        if (!endsToken(q))
            return false;
        out = {start, static_cast<std::size_t>(q - start)};
        p_ = q;
        return true;
    }

    // '"', one or more characters other than '"', '"'. No escapes.
    bool quotedName(std::string_view& out)
    {
        const char* q = blanksFrom(p_);
        p_ = q;
        if (q >= end_ || *q != '"')
            return false;
        const void* close = std::memchr(q + 1, '"', static_cast<std::size_t>(end_ - q - 1));
        if (close == nullptr || close == q + 1)
            return false;
        const char* c = static_cast<const char*>(close);
        out = {q + 1, static_cast<std::size_t>(c - q - 1)};
        p_ = c + 1;
        return true;
    }

    bool name(std::string_view& out)
    {
        const char* start = p_;
        if (identifier(out))
            return true;
        p_ = start;
        return quotedName(out);
    }

    // "=" 0, "+=" 1, "-=" 2, "@=" 3 (two characters adjacent); -1 when there is none.
    int op()
    {
        const char* q = blanksFrom(p_);
        p_ = q;
        if (q >= end_)
            return -1;
        const char c = *q;
        if (c == '=') {
            p_ = q + 1;
            return 0;
        }
        if ((c == '+' || c == '-' || c == '@') && q + 1 < end_ && q[1] == '=') {
            p_ = q + 2;
            return c == '+' ? 1 : c == '-' ? 2 : 3;
        }
        return -1;
    }

    // Decimal digits ended by a blank, the line's end or a delimiter. Values too large for 32 bits
    // come out as 0xFFFFFFFF.
    bool number(std::uint32_t& out)
    {
        const char* start = blanksFrom(p_);
        p_ = start;
        const char* q = start;
        std::uint64_t value = 0;
        // Ten digits cannot overflow 64 bits; past them the value only saturates.
        for (; q < end_ && q - start < 10; ++q) {
            const unsigned d = static_cast<unsigned char>(*q) - static_cast<unsigned>('0');
            if (d > 9)
                break;
            value = value * 10 + d;
        }
        for (; q < end_ && static_cast<unsigned>(static_cast<unsigned char>(*q) - '0') <= 9; ++q)
            value = 0x100000000u;
        return finishDigits(start, q, value, out);
    }

    // Hexadecimal digits, ended and saturated the same way.
    bool hex(std::uint32_t& out)
    {
        const char* start = blanksFrom(p_);
        p_ = start;
        const char* q = start;
        std::uint64_t value = 0;
        for (; q < end_; ++q) {
            const int d = hexValue(*q);
            if (d < 0)
                break;
            value = value * 16 + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFu)
                value = 0x100000000u;  // stays saturated whatever follows
        }
        return finishDigits(start, q, value, out);
    }

private:
    const char* blanksFrom(const char* q) const
    {
        while (q < end_ && has(*q, detail::kBlank))
            ++q;
        return q;
    }
    bool endsToken(const char* q) const
    {
        return q >= end_ || has(*q, detail::kBlank | detail::kDelimiter);
    }
    bool has(char b, unsigned bits) const
    {
        return (classes_[static_cast<unsigned char>(b)] & bits) != 0;
    }

    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool finishDigits(const char* start, const char* q, std::uint64_t value, std::uint32_t& out)
    {
        if (q == start || !endsToken(q))
            return false;
        out = value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
        p_ = q;
        return true;
    }

    const char* begin_;
    const char* p_;
    const char* end_;
    const unsigned char* classes_;
};

}  // namespace vexilor::ressyntax
