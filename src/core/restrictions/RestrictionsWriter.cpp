#include "restrictions/RestrictionsWriter.h"

#include <algorithm>
#include <bit>

#include "restrictions/RestrictionsSyntax.h"
#include "text/Windows1252.h"

namespace vexilor {
namespace {

// The longest line the writer makes of a resource list, line end excluded, so that the reader
// takes it as one piece.
constexpr std::size_t kMaxListLine = ressyntax::kPieceBytes - 2;

void appendNumber(std::u16string& s, std::uint32_t n)
{
    char16_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (count > 0)
        s.push_back(digits[--count]);
}

void appendHex(std::u16string& s, std::uint32_t n)
{
    char16_t digits[8];
    int count = 0;
    do {
        const unsigned d = n % 16;
        digits[count++] = static_cast<char16_t>(d < 10 ? u'0' + d : u'a' + d - 10);
        n /= 16;
    } while (n != 0);
    while (count > 0)
        s.push_back(digits[--count]);
}

void addRun(std::vector<std::pair<std::uint32_t, std::uint32_t>>& runs, std::uint32_t n)
{
    if (!runs.empty() && runs.back().second + 1 == n)
        runs.back().second = n;
    else
        runs.emplace_back(n, n);
}

void addBits(std::vector<std::pair<std::uint32_t, std::uint32_t>>& runs, std::uint32_t base,
             std::uint8_t bits)
{
    while (bits != 0) {
        const int bit = std::countr_zero(bits);
        addRun(runs, base + static_cast<std::uint32_t>(bit));
        bits = static_cast<std::uint8_t>(bits & (bits - 1));
    }
}

// Bits of byte i that stand for resource numbers 1 to limit - 1 (bit 0 is never a resource).
std::uint8_t listMask(std::uint32_t i, std::uint32_t limit)
{
    std::uint8_t mask = i == 0 ? 0xFE : 0xFF;
    if ((i + 1) * 8 > limit)
        mask = static_cast<std::uint8_t>(mask & ((1u << (limit - i * 8)) - 1));
    return mask;
}

std::u16string_view opText(StudioOp op)
{
    switch (op) {
    case StudioOp::Set:
        return u"=";
    case StudioOp::Add:
        return u"+=";
    case StudioOp::Remove:
        return u"-=";
    }
    return {};
}

}  // namespace

void CRestrictionsWriter::writeText(std::u16string_view text)
{
    for (const char16_t unit : text) {
        crc_.update(static_cast<std::uint8_t>(unit & 0xFF));
        if (unit == u'\n') {
            out_ += "\r\n";
        } else if (unit < 0x80) {
            out_.push_back(static_cast<char>(unit));
        } else {
            char c;
            text::encodeWindows1252(unit, c);
            out_.push_back(c);
        }
    }
}

// One piece made of up to four parts and a line feed.
void CRestrictionsWriter::line(std::u16string_view a, std::u16string_view b, std::u16string_view c,
                               std::u16string_view d)
{
    piece_.assign(a);
    piece_.append(b);
    piece_.append(c);
    piece_.append(d);
    piece_.push_back(u'\n');
    writeText(piece_);
}

bool CRestrictionsWriter::writeFile(const CRestrictionsModel& model)
{
    if (!model.loaded())
        return false;
    crc_.reset();
    writeText(u"// Tovrin restrictions file\n");
    writeText(u"// ------------------------\n\n");
    if (!model.deviceName().empty())
        line(u"[DEVICE \"", model.deviceName(), u"\"]\n");

    for (const auto& [name, record] : model.records(EntityKind::Studio)) {
        line(u"\n[STUDIO \"", name, u"\"]");
        writeResources(record, true);
    }
    for (const auto& [name, record] : model.records(EntityKind::Class)) {
        line(u"\n[CLASS \"", name, u"\"]");
        if (!writeStudioRefs(model.findStudioRefs(EntityKind::Class, name)))
            return false;
        writeFeatures(record);
        writeResources(record, false);
    }
    for (const auto& [name, record] : model.records(EntityKind::User)) {
        line(u"\n[USER \"", name, u"\"]");
        writeText(u"//Inheritance\n");
        const std::u16string className = model.classOf(name);
        if (!className.empty())
            line(u"class=\"", className, u"\"");
        if (!writeStudioRefs(model.findStudioRefs(EntityKind::User, name)))
            return false;
        writeFeatures(record);
        writeResources(record, false);
    }

    writeText(u"\n// -- End of Data --\n\n");
    piece_.assign(u"[CRC ");
    appendHex(piece_, crc_.value());
    piece_.push_back(u']');
    writeText(piece_);
    return true;
}

bool CRestrictionsWriter::writeStudioRefs(const std::vector<StudioRef>* refs)
{
    if (!refs)
        return true;
    for (const StudioRef& ref : *refs) {
        const std::u16string_view op = opText(ref.op);
        if (op.empty())
            return false;
        line(u"studio", op, u"\"", ref.studio + u"\"");
    }
    return true;
}

void CRestrictionsWriter::writeFeatures(const CRestrictionRecord& record)
{
    record.forEachFeatureEntry([&](std::u16string_view key, std::optional<bool> value,
                                   std::optional<bool> isExplicit) {
        if (!value || !isExplicit.value_or(false))
            return;
        const std::u16string_view setting = *value ? u" = Y" : u" = N";
        // A key the reader would not take back as a bare identifier goes between quotes.
        if (ressyntax::isPlainFeatureKey(key))
            line(key, setting);
        else
            line(u"\"", key, u"\"", setting);
    });
}

void CRestrictionsWriter::writeResources(const CRestrictionRecord& record, bool studio)
{
    static const CAccessSet kNoValues;
    record.forEachResourceEntry(
        [&](std::u16string_view key, const CAccessSet* values, const CAccessSet* marks) {
            if (marks)
                writeResourceLines(key, *marks, values ? *values : kNoValues, studio);
        });
}

void CRestrictionsWriter::writeResourceLines(std::u16string_view key, const CAccessSet& marks,
                                             const CAccessSet& values, bool studio)
{
    const bool full = marks.all();
    bool star = false;
    bool setForm = studio;
    if (full) {
        if (values.all()) {
            line(key, u" = *");
            star = true;
            setForm = false;
        } else {
            setForm = true;
        }
    }

    // Explicit resources from 1 up to the longer array, split by value.
    allowed_.clear();
    denied_.clear();
    const std::uint32_t limit = std::max(marks.length(), values.length());
    for (std::uint32_t i = 0; i * 8 < limit; ++i) {
        const std::uint8_t mask = listMask(i, limit);
        const std::uint8_t isExplicit = marks.valueByte(i) & mask;
        if (isExplicit == 0)
            continue;
        const std::uint8_t allowed = values.valueByte(i);
        addBits(allowed_, i * 8, static_cast<std::uint8_t>(isExplicit & allowed));
        addBits(denied_, i * 8, static_cast<std::uint8_t>(isExplicit & ~allowed));
    }

    if (!denied_.empty() && !setForm)
        writeList(key, u" -= ", u" -= ", denied_);
    if (!allowed_.empty() && !star)
        writeList(key, setForm ? u" = " : u" += ", u" += ", allowed_);
    if (allowed_.empty() && setForm && !studio)
        line(key, u" -= *");

    if (!studio && full) {
        // Resources that still inherit: specified in the marks with value false.
        inherit_.clear();
        const CBitArray& specified = marks.specified();
        const CBitArray& bits = marks.values();
        for (std::uint32_t i = 0; i < specified.byteCount(); ++i) {
            const std::uint8_t s = specified.data()[i];
            const std::uint8_t v = bits.hasStorage() ? bits.data()[i] : 0;
            addBits(inherit_, i * 8, static_cast<std::uint8_t>(s & ~v));
        }
        if (!inherit_.empty())
            writeList(key, u" @= ", u" @= ", inherit_);
    }
}

// "key op 1-4,9": runs of two or more numbers as n-m. A list that would make a line longer than
// the reader takes in one piece goes on in further lines with nextOp, which means the same.
void CRestrictionsWriter::writeList(std::u16string_view key, std::u16string_view firstOp,
                                    std::u16string_view nextOp, const Runs& runs)
{
    piece_.assign(key);
    piece_.append(firstOp);
    std::size_t head = piece_.size();
    std::u16string item;
    for (const auto& [lo, hi] : runs) {
        item.clear();
        appendNumber(item, lo);
        if (hi != lo) {
            item.push_back(u'-');
            appendNumber(item, hi);
        }
        const bool first = piece_.size() == head;
        if (!first && piece_.size() + 1 + item.size() > kMaxListLine) {
            piece_.push_back(u'\n');
            writeText(piece_);
            piece_.assign(key);
            piece_.append(nextOp);
            head = piece_.size();
        } else if (!first) {
            piece_.push_back(u',');
        }
        piece_.append(item);
    }
    piece_.push_back(u'\n');
    writeText(piece_);
}

std::optional<std::string> restrictionsFileBytes(const CRestrictionsModel& model)
{
    std::string out;
    CRestrictionsWriter writer(out);
    if (!writer.writeFile(model))
        return std::nullopt;
    return out;
}

}  // namespace vexilor
