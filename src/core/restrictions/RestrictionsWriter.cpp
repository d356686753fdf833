#include "restrictions/RestrictionsWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "restrictions/RestrictionsSyntax.h"
#include "text/Windows1252.h"

namespace vexilor {
namespace {

// The longest line the writer makes of a resource list, line end excluded, so that the reader
// takes it as one piece.
constexpr std::size_t kMaxListLine = ressyntax::kPieceBytes - 2;
constexpr std::size_t kFlushUnits = 32768;

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

void addRun(std::vector<std::pair<std::uint32_t, std::uint32_t>>& runs, std::uint32_t lo,
            std::uint32_t hi)
{
    if (!runs.empty() && runs.back().second + 1 == lo)
        runs.back().second = hi;
    else
        runs.emplace_back(lo, hi);
}

// The set bits of one byte standing for numbers base to base + 7, a stretch of bits at a time.
void addBits(std::vector<std::pair<std::uint32_t, std::uint32_t>>& runs, std::uint32_t base,
             std::uint8_t bits)
{
    unsigned rest = bits;
    while (rest != 0) {
        const int start = std::countr_zero(rest);
        const int length = std::countr_one(rest >> start);
        addRun(runs, base + static_cast<std::uint32_t>(start),
               base + static_cast<std::uint32_t>(start + length - 1));
        rest &= ~(((1u << length) - 1) << start);
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
    crc_.update(text);
    const std::size_t start = out_.size();
    out_.resize(start + 2 * text.size());  // room for a CR before every unit
    char* p = out_.data() + start;
    for (const char16_t unit : text) {
        if (unit == u'\n') {
            *p++ = '\r';
            *p++ = '\n';
        } else if (unit < 0x80) {
            *p++ = static_cast<char>(unit);
        } else {
            text::encodeWindows1252(unit, *p++);
        }
    }
    out_.resize(static_cast<std::size_t>(p - out_.data()));
}

// Text collects in pending_ and goes to writeText in large pieces: the CRC and the encoding run
// faster over long runs, and where the pieces are cut makes no difference to either.
void CRestrictionsWriter::put(std::u16string_view text)
{
    pending_.append(text);
    if (pending_.size() >= kFlushUnits)
        flush();
}

void CRestrictionsWriter::flush()
{
    if (!pending_.empty())
        writeText(pending_);
    pending_.clear();
}

// One line made of its parts.
void CRestrictionsWriter::line(std::initializer_list<std::u16string_view> parts)
{
    for (const std::u16string_view part : parts)
        pending_.append(part);
    put(u"\n");
}

bool CRestrictionsWriter::writeFile(const CRestrictionsModel& model)
{
    if (!model.loaded())
        return false;
    crc_.reset();
    pending_.clear();
    put(u"// Tovrin restrictions file\n");
    put(u"// ------------------------\n\n");
    if (!model.deviceName().empty())
        line({u"[DEVICE \"", model.deviceName(), u"\"]\n"});

    for (const auto& [name, record] : model.records(EntityKind::Studio)) {
        line({u"\n[STUDIO \"", name, u"\"]"});
        writeResources(record, true);
    }
    for (const auto& [name, record] : model.records(EntityKind::Class)) {
        line({u"\n[CLASS \"", name, u"\"]"});
        if (!writeStudioRefs(model.findStudioRefs(EntityKind::Class, name))) {
            flush();
            return false;
        }
        writeFeatures(record);
        writeResources(record, false);
    }
    for (const auto& [name, record] : model.records(EntityKind::User)) {
        line({u"\n[USER \"", name, u"\"]"});
        put(u"//Inheritance\n");
        const std::u16string className = model.classOf(name);
        if (!className.empty())
            line({u"class=\"", className, u"\""});
        if (!writeStudioRefs(model.findStudioRefs(EntityKind::User, name))) {
            flush();
            return false;
        }
        writeFeatures(record);
        writeResources(record, false);
    }

    put(u"\n// -- End of Data --\n\n");
    flush();
    pending_.assign(u"[CRC ");
    appendHex(pending_, crc_.value());
    pending_.push_back(u']');
    flush();
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
        line({u"studio", op, u"\"", ref.studio, u"\""});
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
            line({key, setting});
        else
            line({u"\"", key, u"\"", setting});
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
            line({key, u" = *"});
            star = true;
            setForm = false;
        } else {
            setForm = true;
        }
    }

    // Explicit resources from 1 up to the longer array, split by value. Where both sets have
    // bytes, eight bytes at a time, so that stretches without explicit resources cost little.
    allowed_.clear();
    denied_.clear();
    const std::uint32_t limit = std::max(marks.length(), values.length());
    const std::uint32_t bytes = (limit + 7) / 8;
    // "= *" leaves the allowed ones unwritten and the set forms the denied ones.
    const bool wantAllowed = !star;
    const bool wantDenied = !setForm;
    auto splitByte = [&](std::uint32_t i, std::uint8_t isExplicit, std::uint8_t allowed) {
        isExplicit &= listMask(i, limit);
        if (isExplicit == 0)
            return;
        if (wantAllowed)
            addBits(allowed_, i * 8, static_cast<std::uint8_t>(isExplicit & allowed));
        if (wantDenied)
            addBits(denied_, i * 8, static_cast<std::uint8_t>(isExplicit & ~allowed));
    };
    const std::uint32_t both = std::min(marks.specified().byteCount(), values.specified().byteCount());
    std::uint32_t i = 0;
    if (both >= 8) {
        const std::uint8_t* ms = marks.specified().data();
        const std::uint8_t* mv = marks.values().data();
        const std::uint8_t* vs = values.specified().data();
        const std::uint8_t* vv = values.values().data();
        const std::uint64_t mt = marks.all() ? ~std::uint64_t{0} : 0;
        const std::uint64_t vt = values.all() ? ~std::uint64_t{0} : 0;
        for (; i + 8 <= both; i += 8) {
            std::uint64_t a, b, c, d;
            std::memcpy(&a, ms + i, 8);
            std::memcpy(&b, mv + i, 8);
            std::memcpy(&c, vs + i, 8);
            std::memcpy(&d, vv + i, 8);
            const std::uint64_t isExplicit = (a & b) | (~a & mt);
            if (isExplicit == 0)
                continue;
            const std::uint64_t allowed = (c & d) | (~c & vt);
            // A whole word of one kind extends a run by 64 (not for the word of number 0 or the
            // last, whose bits are masked).
            if (i > 0 && (i + 8) * 8 <= limit && isExplicit == ~std::uint64_t{0}) {
                if (wantAllowed && allowed == ~std::uint64_t{0}) {
                    addRun(allowed_, i * 8, i * 8 + 63);
                    continue;
                }
                if (wantDenied && allowed == 0) {
                    addRun(denied_, i * 8, i * 8 + 63);
                    continue;
                }
                if ((!wantAllowed && allowed == ~std::uint64_t{0}) || (!wantDenied && allowed == 0))
                    continue;
            }
            std::uint8_t e[8];
            std::uint8_t v[8];
            std::memcpy(e, &isExplicit, 8);
            std::memcpy(v, &allowed, 8);
            for (std::uint32_t k = 0; k < 8; ++k)
                splitByte(i + k, e[k], v[k]);
        }
    }
    for (; i < bytes; ++i)
        splitByte(i, marks.valueByte(i), values.valueByte(i));

    if (!denied_.empty() && !setForm)
        writeList(key, u" -= ", u" -= ", denied_);
    if (!allowed_.empty() && !star)
        writeList(key, setForm ? u" = " : u" += ", u" += ", allowed_);
    if (allowed_.empty() && setForm && !studio)
        line({key, u" -= *"});

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
    std::size_t lineStart = pending_.size();
    pending_.append(key);
    pending_.append(firstOp);
    std::size_t head = pending_.size();
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const auto [lo, hi] = runs[r];
        const std::size_t mark = pending_.size();
        const bool first = mark == head;
        if (!first)
            pending_.push_back(u',');
        appendNumber(pending_, lo);
        if (hi != lo) {
            pending_.push_back(u'-');
            appendNumber(pending_, hi);
        }
        if (!first && pending_.size() - lineStart > kMaxListLine) {
            pending_.resize(mark);
            pending_.push_back(u'\n');
            lineStart = pending_.size();
            pending_.append(key);
            pending_.append(nextOp);
            head = pending_.size();
            --r;  // the same run again, first on the new line
        }
    }
    put(u"\n");
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
