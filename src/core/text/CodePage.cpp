#include "text/CodePage.h"

#include <map>
#include <mutex>

#include "text/CodePageTables.h"
#include "text/Windows1252.h"

namespace vexilor::text {
namespace {

using Tables = CodePage::Tables;

// The Windows ANSI code pages, with what they are for.
struct Known {
    unsigned number;
    const char16_t* region;
};
constexpr Known kAnsiCodePages[] = {
    {874, u"Thai"},           {932, u"Japanese"},         {936, u"Simplified Chinese"},
    {949, u"Korean"},         {950, u"Traditional Chinese"}, {1250, u"Central European"},
    {1251, u"Cyrillic"},      {1252, u"Western European"}, {1253, u"Greek"},
    {1254, u"Turkish"},       {1255, u"Hebrew"},          {1256, u"Arabic"},
    {1257, u"Baltic"},        {1258, u"Vietnamese"},
};

std::shared_ptr<const Tables> build(unsigned number)
{
    const std::unique_ptr<platform::CConverter> converter = platform::openConverter(number);
    if (!converter)
        return nullptr;
    auto t = std::make_shared<Tables>();
    t->number = number;
    std::array<bool, 256> valid{};
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        char16_t unit = 0;
        t->single[b] = Tables::kReplacement;
        switch (converter->decodeOne({&byte, 1}, unit)) {
        case platform::CConverter::Decoded::Unit:
            t->single[b] = unit;
            valid[b] = true;
            break;
        case platform::CConverter::Decoded::Incomplete:
            t->lead[b] = true;
            t->multiByte = true;
            break;
        case platform::CConverter::Decoded::Invalid:
            break;
        }
    }
    // The readers and writers take ASCII as it is.
    for (unsigned b = 0; b < 0x80; ++b)
        if (t->lead[b] || !valid[b] || t->single[b] != b)
            return nullptr;

    if (t->multiByte) {
        t->pairs.assign(std::size_t{1} << 16, Tables::kNoUnit);
        for (unsigned lead = 0x80; lead < 0x100; ++lead) {
            if (!t->lead[lead])
                continue;
            for (unsigned trail = 1; trail < 0x100; ++trail) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char16_t unit = 0;
                if (converter->decodeOne({pair, 2}, unit) == platform::CConverter::Decoded::Unit
                    && unit != Tables::kNoUnit && (unit < 0xD800 || unit > 0xDFFF))
                    t->pairs[lead << 8 | trail] = unit;
            }
        }
    }
    // An unassigned byte 0x80-0x9F stands for the C1 control of its value, as in the built-in
    // Windows-1252, unless another byte already does.
    std::vector<bool> decoded(std::size_t{1} << 16, false);
    for (unsigned b = 0; b < 256; ++b)
        if (valid[b])
            decoded[t->single[b]] = true;
    for (unsigned b = 0x80; b < 0xA0; ++b) {
        if (!valid[b] && !t->lead[b] && !decoded[b]) {
            t->single[b] = static_cast<char16_t>(b);
            valid[b] = true;
            decoded[b] = true;
        }
    }

    // Encoding: the platform's choice where a unit has several byte sequences, as long as it reads
    // back as the unit; otherwise the first sequence that decodes to it.
    t->encoding.assign(std::size_t{1} << 16, Tables::kNoBytes);
    const auto readsBackAs = [&](const std::string& bytes, char16_t unit) {
        const auto b0 = static_cast<unsigned char>(bytes.empty() ? 0 : bytes[0]);
        if (bytes.size() == 1)
            return !t->lead[b0] && valid[b0] && t->single[b0] == unit;
        if (bytes.size() == 2 && t->lead[b0])
            return t->pairs[b0 << 8 | static_cast<unsigned char>(bytes[1])] == unit;
        return false;
    };
    const auto take = [&](char16_t unit, std::uint16_t fallback) {
        if (t->encoding[unit] != Tables::kNoBytes)
            return;
        const std::string bytes = converter->encodeOne(unit);
        if (readsBackAs(bytes, unit)) {
            const auto b0 = static_cast<unsigned char>(bytes[0]);
            t->encoding[unit] = bytes.size() == 1
                ? b0
                : static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(bytes[1]));
        } else {
            t->encoding[unit] = fallback;
        }
    };
    for (unsigned b = 0; b < 256; ++b)
        if (valid[b])
            take(t->single[b], static_cast<std::uint16_t>(b));
    if (t->multiByte) {
        for (unsigned seq = 0x8000; seq < 0x10000; ++seq)
            if (t->pairs[seq] != Tables::kNoUnit)
                take(t->pairs[seq], static_cast<std::uint16_t>(seq));
    }
    return t;
}

std::shared_ptr<const Tables> tablesFor(unsigned number)
{
    static std::mutex mutex;
    static std::map<unsigned, std::shared_ptr<const Tables>> built;
    const std::lock_guard lock(mutex);
    const auto found = built.find(number);
    if (found != built.end())
        return found->second;
    std::shared_ptr<const Tables> t = build(number);
    built.emplace(number, t);
    return t;
}

}  // namespace

std::optional<CodePage> CodePage::make(unsigned number)
{
    if (number == 1252)
        return CodePage();
    std::shared_ptr<const Tables> t = tablesFor(number);
    if (!t)
        return std::nullopt;
    return CodePage(std::move(t));
}

unsigned CodePage::number() const
{
    return tables_ ? tables_->number : 1252;
}

bool CodePage::isMultiByte() const
{
    return tables_ && tables_->multiByte;
}

bool CodePage::isLeadByte(unsigned char byte) const
{
    return tables_ && tables_->lead[byte];
}

char16_t CodePage::byteUnit(unsigned char byte) const
{
    return tables_ ? tables_->single[byte] : kWindows1252Units[byte];
}

std::u16string CodePage::decode(std::string_view bytes) const
{
    std::u16string out;
    decodeAppend(bytes, out);
    return out;
}

void CodePage::decodeAppend(std::string_view bytes, std::u16string& out) const
{
    const std::size_t at = out.size();
    out.resize(at + bytes.size());
    char16_t* p = out.data() + at;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    if (!tables_) {
        for (std::size_t i = 0; i < n; ++i)
            p[i] = kWindows1252Units[b[i]];
        return;
    }
    const Tables& t = *tables_;
    if (!t.multiByte) {
        for (std::size_t i = 0; i < n; ++i)
            p[i] = t.single[b[i]];
        return;
    }
    std::size_t i = 0;
    while (i < n) {
        if (!t.lead[b[i]]) {
            *p++ = t.single[b[i++]];
            continue;
        }
        // A lead byte without a valid second byte stands alone; the byte after it is read afresh,
        // so that a quote or a line end is never swallowed.
        const char16_t unit = i + 1 < n ? t.pairs[b[i] << 8 | b[i + 1]] : Tables::kNoUnit;
        if (unit == Tables::kNoUnit) {
            *p++ = Tables::kReplacement;
            ++i;
        } else {
            *p++ = unit;
            i += 2;
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
}

std::string CodePage::encode(std::u16string_view text) const
{
    if (!tables_)
        return toWindows1252(text);
    std::string out;
    out.reserve(text.size());
    for (const char16_t unit : text) {
        const std::uint16_t e = tables_->encoding[unit];
        if (e == Tables::kNoBytes) {
            out.push_back('?');
        } else if (e < 0x100) {
            out.push_back(static_cast<char>(e));
        } else {
            out.push_back(static_cast<char>(e >> 8));
            out.push_back(static_cast<char>(e & 0xFF));
        }
    }
    return out;
}

std::size_t CodePage::encodeUnit(char16_t unit, char* out) const
{
    if (!tables_) {
        encodeWindows1252(unit, *out);
        return 1;
    }
    const std::uint16_t e = tables_->encoding[unit];
    if (e == Tables::kNoBytes) {
        *out = '?';
        return 1;
    }
    if (e < 0x100) {
        *out = static_cast<char>(e);
        return 1;
    }
    out[0] = static_cast<char>(e >> 8);
    out[1] = static_cast<char>(e & 0xFF);
    return 2;
}

std::optional<std::size_t> CodePage::firstUnencodable(std::u16string_view text) const
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char byte = 0;
        const bool held = tables_ ? tables_->encoding[text[i]] != Tables::kNoBytes
                                  : encodeWindows1252(text[i], byte);
        if (!held)
            return i;
    }
    return std::nullopt;
}

std::size_t CodePage::fit(std::string_view bytes, std::size_t width) const
{
    if (bytes.size() <= width)
        return bytes.size();
    if (!isMultiByte())
        return width;
    std::size_t i = 0;
    while (i < width) {
        const bool pair = tables_->lead[static_cast<unsigned char>(bytes[i])] && i + 1 < bytes.size();
        const std::size_t step = pair ? 2 : 1;
        if (i + step > width)
            break;
        i += step;
    }
    return i;
}

std::vector<unsigned> convertibleCodePages()
{
    std::vector<unsigned> out;
    for (const Known& k : kAnsiCodePages)
        if (CodePage::make(k.number))
            out.push_back(k.number);
    return out;
}

unsigned systemCodePage()
{
    return platform::systemAnsiCodePage();
}

std::u16string codePageLabel(unsigned number)
{
    std::u16string label;
    for (const char c : std::to_string(number))
        label.push_back(static_cast<char16_t>(c));
    for (const Known& k : kAnsiCodePages) {
        if (k.number == number) {
            label += u" (";
            label += k.region;
            label += u')';
        }
    }
    return label;
}

}  // namespace vexilor::text
