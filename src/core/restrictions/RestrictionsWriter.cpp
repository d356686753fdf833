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

// Writes the decimal digits of n ending just before end; returns where they start.
char16_t* formatNumber(char16_t* end, std::uint32_t n)
{
    do {
        *--end = static_cast<char16_t>(u'0' + n % 10);
        n /= 10;
    } while (n != 0);
    return end;
}

// ",lo" or ",lo-hi" (without the comma when first) in one append.
void appendRun(std::u16string& s, std::uint32_t lo, std::uint32_t hi, bool first)
{
    char16_t buffer[24];
    char16_t* end = buffer + sizeof buffer / sizeof buffer[0];
    char16_t* start = end;
    if (hi != lo) {
        start = formatNumber(start, hi);
        *--start = u'-';
    }
    start = formatNumber(start, lo);
    if (!first)
        *--start = u',';
    s.append(start, static_cast<std::size_t>(end - start));
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

static_assert(std::endian::native == std::endian::little, "bit words are read from bytes in order");

// The set bits of one word standing for numbers base to base + 63, a stretch of bits at a time.
void addWordRuns(std::vector<std::pair<std::uint32_t, std::uint32_t>>& runs, std::uint32_t base,
                 std::uint64_t bits)
{
    while (bits != 0) {
        const int start = std::countr_zero(bits);
        const int length = std::countr_one(bits >> start);
        addRun(runs, base + static_cast<std::uint32_t>(start),
               base + static_cast<std::uint32_t>(start + length - 1));
        if (start + length >= 64)
            break;
        bits &= ~std::uint64_t{0} << (start + length);
    }
}

// Bits 64 * w to 64 * w + 63 of an array of bytes, clear past its end.
std::uint64_t wordAt(const std::uint8_t* data, std::uint32_t bytes, std::uint32_t w)
{
    const std::uint32_t offset = w * 8;
    if (offset >= bytes)
        return 0;
    std::uint64_t word = 0;
    if (bytes - offset >= 8)
        std::memcpy(&word, data + offset, 8);
    else
        std::memcpy(&word, data + offset, bytes - offset);
    return word;  // little-endian: byte k of the array lands in bits 8k to 8k + 7
}

// The values of resources 64 * w to 64 * w + 63 of a set, specified or answered by all.
std::uint64_t valueWord(const CAccessSet& s, std::uint32_t w)
{
    const std::uint64_t tail = s.all() ? ~std::uint64_t{0} : 0;
    const std::uint32_t bytes = s.byteCount();
    const std::uint32_t offset = w * 8;
    if (offset >= bytes)
        return tail;
    const std::uint64_t spec = wordAt(s.specifiedBytes(), bytes, w);
    // Bytes past the arrays count as unspecified, so the all flag answers for them too.
    return (spec & wordAt(s.valueBytes(), bytes, w)) | (~spec & tail);
}

// Bits of word w that stand for resource numbers 1 to limit - 1 (bit 0 is never a resource).
std::uint64_t limitMask(std::uint32_t w, std::uint32_t limit)
{
    std::uint64_t mask = w == 0 ? ~std::uint64_t{1} : ~std::uint64_t{0};
    if ((w + 1) * 64 > limit)
        mask &= (std::uint64_t{1} << (limit - w * 64)) - 1;
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
    // In chunks: the low bytes for the CRC first; when the chunk is ASCII they are the output
    // bytes too, copied a line at a time with a CR put before each line feed.
    constexpr std::size_t kChunk = 4096;
    std::uint8_t low[kChunk];
    char bytes[2 * kChunk];
    while (!text.empty()) {
        const std::size_t n = std::min(text.size(), kChunk);
        unsigned seen = 0;
        for (std::size_t i = 0; i < n; ++i) {
            low[i] = static_cast<std::uint8_t>(text[i] & 0xFF);
            seen |= text[i];
        }
        crc_.update(low, n);
        char* p = bytes;
        if (seen < 0x80) {
            const std::uint8_t* q = low;
            const std::uint8_t* const end = low + n;
            while (q < end) {
                const auto* lf = static_cast<const std::uint8_t*>(
                    std::memchr(q, '\n', static_cast<std::size_t>(end - q)));
                const std::size_t length = static_cast<std::size_t>((lf ? lf : end) - q);
                std::memcpy(p, q, length);
                p += length;
                q += length;
                if (lf) {
                    *p++ = '\r';
                    *p++ = '\n';
                    ++q;
                }
            }
        } else {
            for (std::size_t i = 0; i < n; ++i) {
                const char16_t unit = text[i];
                if (unit < 0x80) {
                    if (unit == u'\n')
                        *p++ = '\r';
                    *p++ = static_cast<char>(unit);
                } else {
                    text::encodeWindows1252(unit, *p++);
                }
            }
        }
        out_.append(bytes, static_cast<std::size_t>(p - bytes));
        text.remove_prefix(n);
    }
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

    // Explicit resources from 1 up to the longer array, split by value, 64 numbers at a time.
    allowed_.clear();
    denied_.clear();
    const std::uint32_t limit = std::max(marks.length(), values.length());
    // "= *" leaves the allowed ones unwritten and the set forms the denied ones.
    const bool wantAllowed = !star;
    const bool wantDenied = !setForm;
    const std::uint32_t words = (limit + 63) / 64;
    for (std::uint32_t w = 0; w < words; ++w) {
        const std::uint64_t isExplicit = valueWord(marks, w) & limitMask(w, limit);
        if (isExplicit == 0)
            continue;
        const std::uint64_t allowed = valueWord(values, w);
        if (wantAllowed)
            addWordRuns(allowed_, w * 64, isExplicit & allowed);
        if (wantDenied)
            addWordRuns(denied_, w * 64, isExplicit & ~allowed);
    }

    if (!denied_.empty() && !setForm)
        writeList(key, u" -= ", u" -= ", denied_);
    if (!allowed_.empty() && !star)
        writeList(key, setForm ? u" = " : u" += ", u" += ", allowed_);
    if (allowed_.empty() && setForm && !studio)
        line({key, u" -= *"});

    if (!studio && full) {
        // Resources that still inherit: specified in the marks with value false.
        inherit_.clear();
        const std::uint32_t bytes = marks.byteCount();
        const std::uint32_t markWords = (marks.length() + 63) / 64;
        for (std::uint32_t w = 0; w < markWords; ++w)
            addWordRuns(inherit_, w * 64,
                        wordAt(marks.specifiedBytes(), bytes, w)
                            & ~wordAt(marks.valueBytes(), bytes, w));
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
        appendRun(pending_, lo, hi, first);
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
