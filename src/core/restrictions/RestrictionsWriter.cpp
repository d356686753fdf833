#include "restrictions/RestrictionsWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <memory>

#include "restrictions/RestrictionsSyntax.h"
#include "restrictions/RunAtOnce.h"
#include "text/Windows1252.h"

namespace vexilor {
namespace {

// The longest line the writer makes of a resource list, line end excluded, so that the reader
// takes it as one piece.
constexpr std::size_t kMaxListLine = ressyntax::kPieceBytes - 2;

// Writes the decimal digits of n ending just before end, two at a time; returns where they start.
char* formatNumber(char* end, std::uint32_t n)
{
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    while (n >= 100) {
        const std::uint32_t pair = n % 100;
        n /= 100;
        end -= 2;
        std::memcpy(end, kPairs + 2 * pair, 2);
    }
    if (n >= 10) {
        end -= 2;
        std::memcpy(end, kPairs + 2 * n, 2);
    } else {
        *--end = static_cast<char>('0' + n);
    }
    return end;
}

// ",lo" or ",lo-hi" (without the comma when first), ending just before end; returns its start.
char* formatRun(char* end, std::uint32_t lo, std::uint32_t hi, bool first)
{
    char* start = end;
    if (hi != lo) {
        start = formatNumber(start, hi);
        *--start = '-';
    }
    start = formatNumber(start, lo);
    if (!first)
        *--start = ',';
    return start;
}

void appendHex(std::string& s, std::uint32_t n)
{
    char digits[8];
    int count = 0;
    do {
        const unsigned d = n % 16;
        digits[count++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
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

constexpr std::size_t kFlushBytes = 1 << 16;

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
        crcBytes_ += n;
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
        } else if (codePage_.isWindows1252()) {
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
        } else {
            // At most two bytes a unit, as CR LF is.
            for (std::size_t i = 0; i < n; ++i) {
                const char16_t unit = text[i];
                if (unit < 0x80) {
                    if (unit == u'\n')
                        *p++ = '\r';
                    *p++ = static_cast<char>(unit);
                } else {
                    p += codePage_.encodeUnit(unit, p);
                }
            }
        }
        out_.append(bytes, static_cast<std::size_t>(p - bytes));
        text.remove_prefix(n);
    }
}

// ASCII text collects in body_ and goes out in large pieces: the CRC runs over all of it at once,
// and the output is the same bytes with a CR put before each line feed.
void CRestrictionsWriter::put(std::string_view ascii)
{
    body_.append(ascii);
    if (body_.size() >= kFlushBytes)
        flush();
}

void CRestrictionsWriter::putUnits(std::u16string_view text)
{
    char16_t seen = 0;
    for (const char16_t unit : text)
        seen |= unit;
    if (seen >= 0x80) {
        // Not ASCII: its CRC bytes and its output bytes differ, so it takes the general way.
        flush();
        writeText(text);
        return;
    }
    const std::size_t at = body_.size();
    body_.resize(at + text.size());
    char* out = body_.data() + at;
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(text[i]);
}

void CRestrictionsWriter::flush()
{
    if (body_.empty())
        return;
    crc_.update(reinterpret_cast<const std::uint8_t*>(body_.data()), body_.size());
    crcBytes_ += body_.size();
    const char* q = body_.data();
    const char* const end = q + body_.size();
    // Into a buffer kept between flushes, then appended: resizing the output would first clear
    // the bytes about to be written.
    converted_.resize(std::max(converted_.size(), 2 * body_.size()));
    char* p = converted_.data();
    while (q < end) {
        const auto* lf = static_cast<const char*>(std::memchr(q, '\n', static_cast<std::size_t>(end - q)));
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
    out_.append(converted_.data(), static_cast<std::size_t>(p - converted_.data()));
    body_.clear();
}

// One line made of its parts.
void CRestrictionsWriter::line(std::initializer_list<std::u16string_view> parts)
{
    for (const std::u16string_view part : parts)
        putUnits(part);
    put("\n");
}

namespace {

// Below this many lines' worth of entries a model is written in one piece.
constexpr std::size_t kPartsFromWeight = 100000;

// Roughly how many lines a record makes.
std::size_t weightOf(const CRestrictionRecord& record)
{
    return 1 + record.featureCount() + 2 * record.resourceKeyCount();
}

// Output room made at once for that weight: generous, since room not written to costs no memory,
// while growing a large output copies it and touches fresh pages.
std::size_t roomFor(std::size_t weight)
{
    return 64 * weight;
}

}  // namespace

bool CRestrictionsWriter::writeFile(const CRestrictionsModel& model,
                                    const RestrictionsWriteOptions& options)
{
    if (!model.loaded())
        return false;
    crc_.reset();
    crcBytes_ = 0;
    body_.clear();
    put("// Tovrin restrictions file\n");
    put("// ------------------------\n\n");
    if (!model.deviceName().empty())
        line({u"[DEVICE \"", model.deviceName(), u"\"]\n"});

    std::vector<Section> sections;
    std::size_t weight = 0;
    for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User}) {
        for (const auto& [name, record] : model.records(kind)) {
            sections.push_back({kind, &name, &record});
            weight += weightOf(record);
        }
    }
    unsigned parts = options.parts;
    if (parts == 0) {
        parts = weight < kPartsFromWeight ? 1 : usableThreads();
    }
    parts = static_cast<unsigned>(std::min<std::size_t>(parts, sections.size()));
    out_.reserve(out_.size() + roomFor(weight));
    const bool written = parts > 1 ? writeInParts(model, sections, parts)
                                   : writeSections(model, sections);
    if (!written) {
        flush();
        return false;
    }

    put("\n// -- End of Data --\n\n");
    flush();
    body_.assign("[CRC ");
    appendHex(body_, crc_.value());
    body_.push_back(']');
    flush();
    return true;
}

bool CRestrictionsWriter::writeSections(const CRestrictionsModel& model,
                                        std::span<const Section> sections)
{
    for (const Section& section : sections) {
        const std::u16string& name = *section.name;
        switch (section.kind) {
        case EntityKind::Studio:
            line({u"\n[STUDIO \"", name, u"\"]"});
            writeResources(*section.record, true);
            break;
        case EntityKind::Class:
            line({u"\n[CLASS \"", name, u"\"]"});
            if (!writeStudioRefs(model.findStudioRefs(EntityKind::Class, name)))
                return false;
            writeFeatures(*section.record);
            writeResources(*section.record, false);
            break;
        default: {
            line({u"\n[USER \"", name, u"\"]"});
            put("//Inheritance\n");
            const std::u16string className = model.classOf(name);
            if (!className.empty())
                line({u"class=\"", className, u"\""});
            if (!writeStudioRefs(model.findStudioRefs(EntityKind::User, name)))
                return false;
            writeFeatures(*section.record);
            writeResources(*section.record, false);
            break;
        }
        }
    }
    return true;
}

// The first part is written by this writer; each further part by a writer of its own whose CRC
// starts from zero, and its bytes are then put out in order and its CRC joined to this one's.
bool CRestrictionsWriter::writeInParts(const CRestrictionsModel& model,
                                       std::span<const Section> sections, unsigned parts)
{
    flush();
    std::size_t total = 0;
    for (const Section& section : sections)
        total += weightOf(*section.record);
    // Part k ends where the weight so far reaches k + 1 shares of the total.
    std::vector<std::size_t> ends;
    std::vector<std::size_t> weights;
    std::size_t weight = 0;
    for (std::size_t i = 0; i < sections.size() && ends.size() + 1 < parts; ++i) {
        weight += weightOf(*sections[i].record);
        if (weight * parts >= total * (ends.size() + 1)) {
            ends.push_back(i + 1);
            weights.push_back(weight);
        }
    }
    ends.push_back(sections.size());
    weights.push_back(total);

    const std::size_t count = ends.size();
    std::vector<std::string> outs(count);
    std::vector<std::unique_ptr<CRestrictionsWriter>> writers(count);
    std::vector<char> written(count, 0);
    std::vector<std::exception_ptr> errors(count);
    const auto write = [&](std::size_t k) {
        try {
            const std::size_t begin = k == 0 ? 0 : ends[k - 1];
            CRestrictionsWriter* writer = this;
            if (k > 0) {
                outs[k].reserve(roomFor(weights[k] - weights[k - 1]));
                writers[k] = std::make_unique<CRestrictionsWriter>(outs[k], codePage_);
                writer = writers[k].get();
                writer->crc_ = CRestrictionsCrc::fromZero();
            }
            written[k] = writer->writeSections(model, sections.subspan(begin, ends[k] - begin));
            writer->flush();
        } catch (...) {
            errors[k] = std::current_exception();
        }
    };
    runAtOnce(count, write);
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);

    std::size_t bytes = out_.size();
    for (const std::string& out : outs)
        bytes += out.size();
    out_.reserve(bytes + 64);
    // A part that failed stops after what it wrote, as writing in one piece would.
    if (!written[0])
        return false;
    for (std::size_t k = 1; k < count; ++k) {
        out_.append(outs[k]);
        crc_.append(writers[k]->crc_, writers[k]->crcBytes_);
        crcBytes_ += writers[k]->crcBytes_;
        if (!written[k])
            return false;
    }
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
        if (putPlainFeatureLine(key, *value))
            return;
        const std::u16string_view setting = *value ? u" = Y" : u" = N";
        // A key the reader would not take back as a bare identifier goes between quotes.
        if (ressyntax::isPlainFeatureKey(key))
            line({key, setting});
        else
            line({u"\"", key, u"\"", setting});
    });
}

// The common feature line at the cost of one pass over the key: an ASCII identifier (other than
// the two keywords a line could start with) written bare. False, writing nothing, for any other
// key.
bool CRestrictionsWriter::putPlainFeatureLine(std::u16string_view key, bool value)
{
    constexpr std::size_t kLongest = 256;
    if (key.empty() || key.size() > kLongest || key.size() == 5 || key.size() == 6)
        return false;  // "CLASS" and "STUDIO" in any case are left to the general way
    char line[kLongest + 8];
    char16_t seen = 0;
    for (std::size_t i = 0; i < key.size(); ++i) {
        seen |= key[i];
        line[i] = static_cast<char>(key[i]);
    }
    if (seen >= 0x80 || !ressyntax::isLetterByte(line[0]))
        return false;
    unsigned parts = 1;
    for (std::size_t i = 1; i < key.size(); ++i)
        parts &= ressyntax::isIdentifierPartByte(line[i]) ? 1u : 0u;
    if (parts == 0)
        return false;
    std::memcpy(line + key.size(), value ? " = Y\n" : " = N\n", 5);
    put(std::string_view(line, key.size() + 5));
    return true;
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
        const std::uint64_t isExplicit = marks.valueWord(w) & limitMask(w, limit);
        if (isExplicit == 0)
            continue;
        const std::uint64_t allowed = values.valueWord(w);
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
        const std::uint32_t markWords = (marks.length() + 63) / 64;
        for (std::uint32_t w = 0; w < markWords; ++w)
            addWordRuns(inherit_, w * 64, marks.specifiedWord(w) & ~marks.valueWord(w));
        if (!inherit_.empty())
            writeList(key, u" @= ", u" @= ", inherit_);
    }
}

// "key op 1-4,9": runs of two or more numbers as n-m. A list that would make a line longer than
// the reader takes in one piece goes on in further lines with nextOp, which means the same.
void CRestrictionsWriter::writeList(std::u16string_view key, std::u16string_view firstOp,
                                    std::u16string_view nextOp, const Runs& runs)
{
    // The numbers of a line collect here and go out with its line feed.
    char numbers[kMaxListLine + 32];
    std::size_t used = 0;
    std::size_t lineLength = 0;
    const auto startLine = [&](std::u16string_view op) {
        putUnits(key);
        putUnits(op);
        lineLength = key.size() + op.size();
    };
    startLine(firstOp);
    bool first = true;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        char run[24];
        char* const end = run + sizeof run;
        const char* start = formatRun(end, runs[r].first, runs[r].second, first);
        auto added = static_cast<std::size_t>(end - start);
        if (!first && (lineLength + added > kMaxListLine || used + added >= sizeof numbers)) {
            numbers[used++] = '\n';
            put(std::string_view(numbers, used));
            used = 0;
            startLine(nextOp);
            first = true;
            start = formatRun(end, runs[r].first, runs[r].second, first);
            added = static_cast<std::size_t>(end - start);
        }
        std::memcpy(numbers + used, start, added);
        used += added;
        lineLength += added;
        first = false;
    }
    numbers[used++] = '\n';
    put(std::string_view(numbers, used));
}

std::optional<std::string> restrictionsFileBytes(const CRestrictionsModel& model,
                                                 const RestrictionsWriteOptions& options)
{
    std::string out;
    CRestrictionsWriter writer(out, options.codePage);
    if (!writer.writeFile(model, options))
        return std::nullopt;
    return out;
}

}  // namespace vexilor
