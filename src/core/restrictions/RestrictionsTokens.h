#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "restrictions/RestrictionsSyntax.h"

namespace vexilor::ressyntax {

// A position in one line of a restrictions file, as its Windows-1252 bytes, and the tokens that can
// start there; bytes are classed by the character they stand for. Every token skips blanks first. A token that does not match returns false; the position may then have moved
// over blanks, so statements save and restore it themselves.
class CLineCursor {
public:
    explicit CLineCursor(std::string_view line) : s_(line) {}

    std::size_t pos() const { return p_; }
    void setPos(std::size_t p) { p_ = p; }
    std::string_view rest() const { return s_.substr(p_); }

    void skipBlanks()
    {
        while (p_ < s_.size() && isBlankByte(s_[p_]))
            ++p_;
    }
    bool atEnd() const { return p_ >= s_.size(); }

    // One given character.
    bool literal(char c)
    {
        skipBlanks();
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }

    // An upper-case ASCII keyword, matched without regard to case; nothing is required after it.
    bool keyword(std::string_view upper)
    {
        skipBlanks();
        if (s_.size() - p_ < upper.size())
            return false;
        for (std::size_t i = 0; i < upper.size(); ++i) {
            char c = s_[p_ + i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
            if (c != upper[i])
                return false;
        }
        p_ += upper.size();
        return true;
    }

    // A letter, then letters, digits, '_' or '.', ended by a blank, the line's end or a delimiter.
    bool identifier(std::string_view& out)
    {
        skipBlanks();
        const std::size_t start = p_;
        if (p_ >= s_.size() || !isLetterByte(s_[p_]))
            return false;
        std::size_t q = p_ + 1;
        while (q < s_.size() && isIdentifierPartByte(s_[q]))
            ++q;
        if (!endsToken(q))
            return false;
        out = s_.substr(start, q - start);
        p_ = q;
        return true;
    }

    // '"', one or more characters other than '"', '"'. No escapes.
    bool quotedName(std::string_view& out)
    {
        skipBlanks();
        if (p_ >= s_.size() || s_[p_] != '"')
            return false;
        const std::size_t close = s_.find('"', p_ + 1);
        if (close == std::string_view::npos || close == p_ + 1)
            return false;
        out = s_.substr(p_ + 1, close - p_ - 1);
        p_ = close + 1;
        return true;
    }

    bool name(std::string_view& out)
    {
        const std::size_t start = p_;
        if (identifier(out))
            return true;
        p_ = start;
        return quotedName(out);
    }

    // "=" 0, "+=" 1, "-=" 2, "@=" 3 (two characters adjacent); -1 when there is none.
    int op()
    {
        skipBlanks();
        if (p_ >= s_.size())
            return -1;
        const char c = s_[p_];
        if (c == '=') {
            ++p_;
            return 0;
        }
        if ((c == '+' || c == '-' || c == '@') && p_ + 1 < s_.size() && s_[p_ + 1] == '=') {
            p_ += 2;
            return c == '+' ? 1 : c == '-' ? 2 : 3;
        }
        return -1;
    }

    // Decimal digits ended by a blank, the line's end or a delimiter. Values too large for 32 bits
    // come out as 0xFFFFFFFF.
    bool number(std::uint32_t& out) { return digits<10>(out); }
    // Hexadecimal digits, ended and saturated the same way.
    bool hex(std::uint32_t& out) { return digits<16>(out); }

private:
    bool endsToken(std::size_t q) const
    {
        return q >= s_.size() || endsTokenByte(s_[q]);
    }

    template <int base>
    static int digitValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (base == 16 && c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (base == 16 && c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    template <int base>
    bool digits(std::uint32_t& out)
    {
        skipBlanks();
        std::size_t q = p_;
        std::uint64_t value = 0;
        while (q < s_.size()) {
            const int d = digitValue<base>(s_[q]);
            if (d < 0)
                break;
            value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFu)
                value = 0x100000000u;  // stays saturated whatever follows
            ++q;
        }
        if (q == p_ || !endsToken(q))
            return false;
        out = value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
        p_ = q;
        return true;
    }

    std::string_view s_;
    std::size_t p_ = 0;
};

}  // namespace vexilor::ressyntax
