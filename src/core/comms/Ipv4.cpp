#include "comms/Ipv4.h"

namespace vexilor::comms {
namespace {

template <class Char>
std::optional<Ipv4> parse(std::basic_string_view<Char> text)
{
    auto blank = [](Char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0, end = text.size();
    while (i < end && blank(text[i]))
        ++i;
    while (end > i && blank(text[end - 1]))
        --end;
    Ipv4 value = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= end || text[i] != '.')
                return std::nullopt;
            ++i;
        }
        unsigned n = 0;
        int digits = 0;
        while (i < end && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            n = n * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > 3 || n > 255)
            return std::nullopt;
        value = (value << 8) | n;
    }
    if (i != end)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<Ipv4> parseIpv4(std::u16string_view text)
{
    return parse(text);
}

std::optional<Ipv4> parseIpv4(std::string_view text)
{
    return parse(text);
}

std::string formatIpv4(Ipv4 a)
{
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xFF) + '.'
        + std::to_string((a >> 8) & 0xFF) + '.' + std::to_string(a & 0xFF);
}

std::u16string formatIpv4u(Ipv4 address)
{
    const std::string s = formatIpv4(address);
    return std::u16string(s.begin(), s.end());
}

std::optional<Ipv4> usableAddress(std::u16string_view text)
{
    const std::optional<Ipv4> a = parseIpv4(text);
    if (!a || *a == 0)
        return std::nullopt;
    return a;
}

std::u16string displayAddress(std::u16string_view text)
{
    const std::optional<Ipv4> a = parseIpv4(text);
    const bool blank = text.find_first_not_of(u" \t") == std::u16string_view::npos;
    if (blank || (a && (*a == 0 || *a == kNoAddress)))
        return u"none";
    return std::u16string(text);
}

}  // namespace vexilor::comms
