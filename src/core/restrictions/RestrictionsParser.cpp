#include "restrictions/RestrictionsParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsCrc.h"
#include "restrictions/RestrictionsPartReading.h"
#include "restrictions/RunAtOnce.h"
#include "restrictions/RestrictionsTokens.h"
#include "text/CodePage.h"
#include "text/Windows1252.h"

namespace vexilor {
namespace {

using ressyntax::CLineCursor;

constexpr std::string_view kCouldNotOpen = "Could not open file.";
constexpr std::string_view kCrcNotLast = "CRC is required to be the last line in the file.";
constexpr std::string_view kDeviceTwice = "DEVICE already defined in this file.";
constexpr std::string_view kStudioTwice = "Studio already defined in this file.";
constexpr std::string_view kClassTwice = "Class already defined in this file.";
constexpr std::string_view kUserTwice = "User already defined in this file.";
constexpr std::string_view kStudioRefOutside =
    "Studio add/set instructions are not permitted outside of class/user declarations.";
constexpr std::string_view kStudioNotDeclared = "Studio not declared.";
constexpr std::string_view kStudioRefOp = "Unknown instruction (=/+=/-= ?)";
constexpr std::string_view kClassLinePlace =
    "Class set instructions are not permitted outside of user declarations, and must be the "
    "first statement after a declaration.";
constexpr std::string_view kClassNotDeclared = "Class not declared.";
constexpr std::string_view kClassLineOp = "Only the set(=) instruction is permitted here.";
constexpr std::string_view kFeatureOutside = "Features can only be specified in classes and users.";
constexpr std::string_view kResourceOutside =
    "Resource instruction before studio/class/user declaration.";
constexpr std::string_view kUnknownDirective = "Unknown directive/parse error.";
constexpr std::string_view kResourceOutOfRange = "Resource number out of range.";

std::string errorText(int line, std::string_view message)
{
    std::string text(1, '[');
    text.append(std::to_string(line));
    text.append("]:");
    text.append(message);
    text.push_back('\n');
    return text;
}

// How the bytes of a file become text: Windows-1252, or another code page, whose single-byte
// variants convert one lookup per byte as Windows-1252 does.
class CFileText {
public:
    explicit CFileText(const text::CodePage& codePage)
        : codePage_(codePage),
          classes_(codePage.isWindows1252() ? nullptr
                                            : std::make_unique<ressyntax::CodePageByteClasses>(codePage))
    {
        if (codePage.isMultiByte())
            return;
        for (unsigned b = 0; b < 256; ++b)
            ownUnits_[b] = codePage.byteUnit(static_cast<unsigned char>(b));
        units_ = codePage.isWindows1252() ? text::kWindows1252Units.data() : ownUnits_.data();
    }

    // The byte classes for the line cursor.
    const unsigned char* classes() const
    {
        return classes_ ? classes_->bits : ressyntax::detail::kBytes.bits;
    }

    // The units of a run of bytes, into a buffer that is reused.
    std::u16string_view widen(std::string_view bytes, std::u16string& into) const
    {
        if (units_ == nullptr) {
            into.clear();
            codePage_.decodeAppend(bytes, into);
            return into;
        }
        if (into.size() < bytes.size())
            into.resize(std::max(bytes.size(), 2 * into.size()));
        char16_t* out = into.data();
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[i] = units_[static_cast<unsigned char>(bytes[i])];
        return {out, bytes.size()};
    }

    // Appends the units of bytes to out.
    void append(std::string_view bytes, std::u16string& out) const
    {
        if (units_ == nullptr) {
            codePage_.decodeAppend(bytes, out);
            return;
        }
        for (const char b : bytes)
            out.push_back(units_[static_cast<unsigned char>(b)]);
    }

    // One unit per byte (every single-byte code page), so a byte's unit can be looked up alone.
    const char16_t* units() const { return units_; }

private:
    const text::CodePage codePage_;
    std::unique_ptr<ressyntax::CodePageByteClasses> classes_;
    std::array<char16_t, 256> ownUnits_{};
    const char16_t* units_ = nullptr;
};

// No byte with the high bit set, eight bytes a step.
bool isAscii(std::string_view bytes)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::uint64_t high = 0;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        high |= word;
    }
    for (; p < end; ++p)
        high |= static_cast<unsigned char>(*p);
    return (high & 0x8080808080808080u) == 0;
}

// Low bytes of the units of the lines read so far, collected so that the CRC runs over long
// stretches rather than line by line.
class CCrcFeed {
public:
    CCrcFeed(CRestrictionsCrc& crc, const CFileText& fileText) : crc_(crc), fileText_(fileText) {}

    // An ASCII byte is its own unit's low byte; other bytes go through the code page, where two
    // bytes can make one unit.
    void addLine(std::string_view bytes, bool ascii)
    {
        if (bytes.size() + 1 > kSize - used_)
            flush();
        if (bytes.size() + 1 > kSize) {
            // Longer than the buffer: cannot happen with pieces, but stays correct.
            units_.clear();
            fileText_.append(bytes, units_);
            for (const char16_t unit : units_)
                crc_.update(static_cast<std::uint8_t>(unit & 0xFF));
            crc_.update(static_cast<std::uint8_t>('\n'));
            fed_ += units_.size() + 1;
            return;
        }
        std::uint8_t* out = buffer_ + used_;
        std::size_t n = bytes.size();
        if (ascii) {
            std::memcpy(out, bytes.data(), bytes.size());
        } else if (const char16_t* byteUnits = fileText_.units()) {
            for (std::size_t i = 0; i < n; ++i)
                out[i] = static_cast<std::uint8_t>(byteUnits[static_cast<unsigned char>(bytes[i])]);
        } else {
            // Never more units than bytes.
            units_.clear();
            fileText_.append(bytes, units_);
            n = units_.size();
            for (std::size_t i = 0; i < n; ++i)
                out[i] = static_cast<std::uint8_t>(units_[i] & 0xFF);
        }
        out[n] = '\n';
        used_ += n + 1;
        fed_ += n + 1;
    }
    void flush()
    {
        crc_.update(buffer_, used_);
        used_ = 0;
    }
    // Bytes taken so far, line feeds included.
    std::uint64_t fed() const { return fed_; }

private:
    static constexpr std::size_t kSize = 1 << 16;

    CRestrictionsCrc& crc_;
    const CFileText& fileText_;
    std::u16string units_;
    std::size_t used_ = 0;
    std::uint64_t fed_ = 0;
    std::uint8_t buffer_[kSize];
};

// Up to nine digits at p, moving p past them; false when there are none or more.
bool shortNumber(const char*& p, const char* end, std::uint32_t& value)
{
    const char* q = p;
    std::uint32_t v = 0;
    // Past nine digits v wraps, but such a number is refused anyway.
    for (; q < end; ++q) {
        const unsigned d = static_cast<unsigned char>(*q) - static_cast<unsigned>('0');
        if (d > 9)
            break;
        v = v * 10 + d;
    }
    if (q == p || q - p > 9)
        return false;
    p = q;
    value = v;
    return true;
}

// The usual shape of a range list: numbers, '-' and ',' with nothing else up to the line's end.
// Read without the token machinery; false for anything else, which the tokens then read (blanks,
// a comment, long numbers, errors).
bool plainRangeList(std::string_view rest, std::vector<std::pair<std::uint32_t, std::uint32_t>>& runs)
{
    const char* p = rest.data();
    const char* const end = p + rest.size();
    for (;;) {
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        if (!shortNumber(p, end, first))
            return false;
        if (p < end && *p == '-') {
            ++p;
            if (!shortNumber(p, end, last))
                return false;
        } else {
            last = first;
        }
        runs.emplace_back(first, last);
        if (p == end)
            return true;
        if (*p != ',')
            return false;
        ++p;
    }
}

// A statement that did not match leaves the line to the next one; an error ends the read.
enum class Outcome { NoMatch, Done, Error };

class CParser {
public:
    // A later part of a file (see partStarts) starts its CRC from zero, and takes names it has
    // not read as declared in an earlier part, keeping them for the join to check.
    CParser(CRestrictionsModel& model, RestrictionsParseResult& result, bool laterPart = false,
            const text::CodePage& codePage = {})
        : model_(model),
          result_(result),
          fileText_(codePage),
          crc_(laterPart ? CRestrictionsCrc::fromZero() : CRestrictionsCrc()),
          feed_(std::make_unique<CCrcFeed>(crc_, fileText_)),
          laterPart_(laterPart)
    {
    }

    void run(std::string_view bytes);

    // For joining parts: the CRC of every line read and how many bytes it took; the same at the
    // CRC line; the studios and classes referred to but not declared in this part.
    const CRestrictionsCrc& crc() const { return crc_; }
    std::uint64_t crcBytes() const { return feed_->fed(); }
    const CRestrictionsCrc& crcAtCrcLine() const { return crcAtCrcLine_; }
    std::uint64_t crcBytesAtCrcLine() const { return crcBytesAtCrcLine_; }
    const std::vector<std::pair<EntityKind, std::u16string>>& namesFromEarlierParts() const
    {
        return namesFromEarlierParts_;
    }

private:
    using Statement = Outcome (CParser::*)(CLineCursor&);

    bool processLine(std::string_view line);
    Outcome fail(std::string_view message)
    {
        message_ = message;
        return Outcome::Error;
    }

    Outcome device(CLineCursor& c);
    Outcome alphas(CLineCursor& c);
    Outcome studioSection(CLineCursor& c) { return section(c, "STUDIO", EntityKind::Studio); }
    Outcome classSection(CLineCursor& c) { return section(c, "CLASS", EntityKind::Class); }
    Outcome userSection(CLineCursor& c) { return section(c, "USER", EntityKind::User); }
    Outcome section(CLineCursor& c, std::string_view keyword, EntityKind kind);
    Outcome crc(CLineCursor& c);
    Outcome studioRef(CLineCursor& c);
    Outcome classOfUser(CLineCursor& c);
    Outcome keyed(CLineCursor& c);
    Outcome featureValue(CLineCursor& c, std::string_view key);
    Outcome resource(CLineCursor& c, std::string_view key, int op);

    void commitSection();
    void putFeatures();
    // A name this part refers to but has not read, kept once for the join to check.
    void takeAsDeclaredEarlier(EntityKind kind, std::u16string_view name)
    {
        auto& taken = kind == EntityKind::Studio ? studiosFromEarlierParts_ : classesFromEarlierParts_;
        if (taken.emplace(name).second)
            namesFromEarlierParts_.emplace_back(kind, name);
    }
    bool inClassOrUser() const { return kind_ == EntityKind::Class || kind_ == EntityKind::User; }
    std::u16string_view wide(std::string_view bytes) { return fileText_.widen(bytes, scratch_); }

    CRestrictionsModel& model_;
    RestrictionsParseResult& result_;
    const CFileText fileText_;
    std::string_view message_;
    CRestrictionsCrc crc_;
    std::unique_ptr<CCrcFeed> feed_;
    std::u16string scratch_;
    const bool laterPart_;
    CRestrictionsCrc crcAtCrcLine_;
    std::uint64_t crcBytesAtCrcLine_ = 0;
    std::vector<std::pair<EntityKind, std::u16string>> namesFromEarlierParts_;
    std::unordered_set<std::u16string> studiosFromEarlierParts_;
    std::unordered_set<std::u16string> classesFromEarlierParts_;

    EntityKind kind_ = EntityKind::None;
    std::u16string name_;
    CRestrictionRecord record_;
    std::u16string classOf_;
    std::vector<StudioRef> refs_;
    bool statementSeen_ = false;
    // The feature lines of the section being read, as the bytes of their keys (which stay in the
    // file's bytes) and, for a known feature key, its place in the order of those keys.
    struct PendingFeature {
        std::string_view key;
        int place;
        bool value;
    };
    std::vector<PendingFeature> features_;
    bool allFeaturesKnown_ = true;
    // Per place of a known feature key: -1, or the value of its last line in the section.
    std::vector<std::int8_t> valueByPlace_ =
        std::vector<std::int8_t>(featureKeysInOrder().size(), -1);
    std::u16string featureText_;
    std::vector<std::size_t> featureEnds_;
    std::vector<std::pair<std::u16string_view, bool>> featureViews_;
    std::vector<std::pair<std::uint32_t, bool>> knownFeatures_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs_;
    std::string_view lastKeyBytes_;
    std::u16string lastKey_;
};

void CParser::run(std::string_view bytes)
{
    // Most files are ASCII throughout; then no line needs a look of its own for the CRC.
    const bool allAscii = isAscii(bytes);
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        ++lineNo;
        // A piece runs up to and including the next line feed, at most kPieceBytes long.
        const std::size_t window = std::min(bytes.size() - pos, ressyntax::kPieceBytes);
        const void* lf = std::memchr(bytes.data() + pos, '\n', window);
        const std::size_t length =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - (bytes.data() + pos)) + 1
               : window;
        std::string_view line = bytes.substr(pos, length);
        pos += length;

        // The line without its end: CR LF or LF. Both are blanks to the statements, and the CRC
        // takes every line with a single line feed, added when the line has none.
        if (line.size() > 1 && line.ends_with("\r\n"))
            line.remove_suffix(2);
        else if (line.ends_with('\n'))
            line.remove_suffix(1);

        if (!processLine(line)) {
            result_.line = lineNo;
            result_.message = std::string(message_);
            result_.errorText = errorText(lineNo, message_);
            return;
        }

        feed_->addLine(line, allAscii || isAscii(line));
    }
    commitSection();
    feed_->flush();
    model_.setLoaded(true);
    model_.setDocumentValid(true);
    result_.ok = true;
}

bool CParser::processLine(std::string_view line)
{
    CLineCursor c(line, fileText_.classes());
    c.skipBlanks();
    if (c.atEnd())
        return true;
    if (result_.crcSeen) {
        fail(kCrcNotLast);
        return false;
    }

    // The six bracketed statements start with '[' and no other statement can, so the line's first
    // character picks the group; within a group the statements are tried in their order.
    static constexpr std::array<Statement, 6> kBracketed = {
        &CParser::device,       &CParser::alphas,      &CParser::studioSection,
        &CParser::classSection, &CParser::userSection, &CParser::crc,
    };
    static constexpr std::array<Statement, 3> kPlain = {
        &CParser::studioRef, &CParser::classOfUser, &CParser::keyed,
    };
    // Only a line starting with the letter of "studio" or "class" can be a studio reference or a
    // class line; any other plain line goes straight to the feature and resource statements.
    const char lead = c.rest().front();
    const bool bracketed = lead == '[';
    const bool keywordLead = lead == 's' || lead == 'S' || lead == 'c' || lead == 'C';
    const Statement* first = bracketed ? kBracketed.data() : kPlain.data() + (keywordLead ? 0 : 2);
    const Statement* end = bracketed ? kBracketed.data() + kBracketed.size()
                                     : kPlain.data() + kPlain.size();
    Outcome outcome = Outcome::NoMatch;
    for (const Statement* statement = first; statement != end; ++statement) {
        c.setPos(0);
        outcome = (this->*(*statement))(c);
        if (outcome != Outcome::NoMatch)
            break;
    }
    if (outcome == Outcome::Error)
        return false;
    if (outcome == Outcome::NoMatch)
        c.setPos(0);

    c.skipBlanks();
    if (c.atEnd() || c.rest().starts_with("//"))
        return true;
    fail(kUnknownDirective);
    return false;
}

Outcome CParser::device(CLineCursor& c)
{
    std::string_view name;
    if (!c.literal('[') || !c.keyword("DEVICE") || !c.name(name) || !c.literal(']'))
        return Outcome::NoMatch;
    if (!model_.deviceName().empty())
        return fail(kDeviceTwice);
    model_.setDeviceName(wide(name));
    return Outcome::Done;
}

Outcome CParser::alphas(CLineCursor& c)
{
    std::string_view name;
    if (!c.literal('[') || !c.keyword("ALPHAS") || !c.name(name) || !c.literal(']'))
        return Outcome::NoMatch;
    return Outcome::Done;
}

Outcome CParser::section(CLineCursor& c, std::string_view keyword, EntityKind kind)
{
    std::string_view name;
    if (!c.literal('[') || !c.keyword(keyword) || !c.name(name) || !c.literal(']'))
        return Outcome::NoMatch;
    commitSection();
    kind_ = kind;
    if (model_.exists(kind, wide(name))) {
        return fail(kind == EntityKind::Studio ? kStudioTwice
                    : kind == EntityKind::Class ? kClassTwice
                                                : kUserTwice);
    }
    name_.assign(wide(name));
    statementSeen_ = false;
    return Outcome::Done;
}

Outcome CParser::crc(CLineCursor& c)
{
    std::uint32_t value = 0;
    if (!c.literal('[') || !c.keyword("CRC") || !c.hex(value) || !c.literal(']'))
        return Outcome::NoMatch;
    feed_->flush();
    result_.crcSeen = true;
    result_.crcStated = value;
    result_.crcComputed = crc_.value();
    crcAtCrcLine_ = crc_;
    crcBytesAtCrcLine_ = feed_->fed();
    return Outcome::Done;
}

Outcome CParser::studioRef(CLineCursor& c)
{
    std::string_view name;
    int op = -1;
    if (!c.keyword("STUDIO") || (op = c.op()) < 0 || !c.name(name))
        return Outcome::NoMatch;
    if (!inClassOrUser())
        return fail(kStudioRefOutside);
    if (!model_.exists(EntityKind::Studio, wide(name))) {
        if (!laterPart_)
            return fail(kStudioNotDeclared);
        takeAsDeclaredEarlier(EntityKind::Studio, wide(name));
    }
    if (op > 2)
        return fail(kStudioRefOp);
    refs_.push_back({std::u16string(wide(name)), static_cast<StudioOp>(op)});
    return Outcome::Done;
}

Outcome CParser::classOfUser(CLineCursor& c)
{
    std::string_view name;
    int op = -1;
    if (!c.keyword("CLASS") || (op = c.op()) < 0 || !c.name(name))
        return Outcome::NoMatch;
    if (kind_ != EntityKind::User || statementSeen_)
        return fail(kClassLinePlace);
    if (!model_.exists(EntityKind::Class, wide(name))) {
        if (!laterPart_)
            return fail(kClassNotDeclared);
        takeAsDeclaredEarlier(EntityKind::Class, wide(name));
    }
    if (op != 0)
        return fail(kClassLineOp);
    classOf_.assign(wide(name));
    statementSeen_ = true;
    return Outcome::Done;
}

// A feature line (a name, "=", Y or N) is tried first and then a resource line (an identifier,
// an operator, "*" or a range list); both start with the key and the operator, which are read
// once.
Outcome CParser::keyed(CLineCursor& c)
{
    std::string_view key;
    const std::size_t start = c.pos();
    if (!c.identifier(key)) {
        // Only a feature can have a quoted name.
        c.setPos(start);
        if (!c.quotedName(key) || c.op() != 0)
            return Outcome::NoMatch;
        return featureValue(c, key);
    }
    const int op = c.op();
    if (op < 0)
        return Outcome::NoMatch;
    if (op == 0) {
        const std::size_t afterOp = c.pos();
        const Outcome outcome = featureValue(c, key);
        if (outcome != Outcome::NoMatch)
            return outcome;
        c.setPos(afterOp);
    }
    return resource(c, key, op);
}

Outcome CParser::featureValue(CLineCursor& c, std::string_view key)
{
    c.skipBlanks();
    if (c.atEnd())
        return Outcome::NoMatch;
    const char letter = c.rest().front();
    const bool value = letter == 'Y' || letter == 'y';
    if (!value && letter != 'N' && letter != 'n')
        return Outcome::NoMatch;
    c.setPos(c.pos() + 1);
    if (!inClassOrUser())
        return fail(kFeatureOutside);
    // Kept until the section ends, so that its features are sorted into the record at once.
    const int place = featureKeyPlace(key);
    allFeaturesKnown_ = allFeaturesKnown_ && place >= 0;
    features_.push_back({key, place, value});
    statementSeen_ = true;
    return Outcome::Done;
}

Outcome CParser::resource(CLineCursor& c, std::string_view keyBytes, int op)
{
    const bool star = c.literal('*');
    runs_.clear();
    if (!star && plainRangeList(c.rest(), runs_)) {
        c.setPos(c.pos() + c.rest().size());
        for (const auto& [first, last] : runs_)
            if (first > kMaxResourceNumber || last > kMaxResourceNumber)
                return fail(kResourceOutOfRange);
    } else if (!star) {
        runs_.clear();
        do {
            std::uint32_t first = 0;
            std::uint32_t last = 0;
            if (!c.number(first))
                return Outcome::NoMatch;
            if (c.literal('-')) {
                if (!c.number(last))
                    return Outcome::NoMatch;
            } else {
                last = first;
            }
            if (first > kMaxResourceNumber || last > kMaxResourceNumber)
                return fail(kResourceOutOfRange);
            runs_.emplace_back(first, last);
        } while (c.literal(','));
    }

    if (kind_ == EntityKind::None)
        return fail(kResourceOutside);
    // Keys come in pairs of lines often enough that the last one is kept converted.
    if (keyBytes != lastKeyBytes_) {
        lastKeyBytes_ = keyBytes;
        lastKey_.assign(wide(keyBytes));
    }
    // The line's set is "*" (every resource) or its runs; it is applied to the key's marks and
    // values in place rather than built on its own.
    static const CAccessSet kStar = CAccessSet::uniform(true);
    const CRestrictionRecord::ResourceSets sets = record_.editResourceSets(lastKey_, op == 0 || op == 1);
    CAccessSet& marks = sets.marks;
    if (op == 3) {
        star ? marks.subtract(kStar) : marks.subtractRuns(runs_);
    } else {
        // "=" in a class or user states every resource of the key; in a studio only those listed.
        if (star || (op == 0 && inClassOrUser()))
            marks.setAll();
        star ? marks.uniteWith(kStar) : marks.uniteWithRuns(runs_);
    }
    switch (op) {
    case 0:
        if (star)
            *sets.values = kStar;
        else
            sets.values->assignRuns(runs_);
        break;
    case 1:
        star ? sets.values->uniteWith(kStar) : sets.values->uniteWithRuns(runs_);
        break;
    case 2:
        if (sets.values)
            star ? sets.values->subtract(kStar) : sets.values->subtractRuns(runs_);
        break;
    default:
        break;
    }
    statementSeen_ = true;
    return Outcome::Done;
}

void CParser::putFeatures()
{
    if (allFeaturesKnown_) {
        // Known keys only: their places put them in order, and a later line of a key wins.
        for (const PendingFeature& f : features_)
            valueByPlace_[static_cast<std::size_t>(f.place)] = f.value ? 1 : 0;
        knownFeatures_.clear();
        for (std::size_t place = 0; place < valueByPlace_.size(); ++place) {
            if (valueByPlace_[place] < 0)
                continue;
            knownFeatures_.emplace_back(static_cast<std::uint32_t>(place),
                                        valueByPlace_[place] == 1);
            valueByPlace_[place] = -1;
        }
        record_.setExplicitKnownFeatures(knownFeatures_);
    } else {
        featureViews_.clear();
        featureText_.clear();
        featureEnds_.clear();
        for (const PendingFeature& f : features_) {
            fileText_.append(f.key, featureText_);
            featureEnds_.push_back(featureText_.size());
        }
        std::size_t offset = 0;
        for (std::size_t i = 0; i < features_.size(); ++i) {
            featureViews_.emplace_back(
                std::u16string_view(featureText_).substr(offset, featureEnds_[i] - offset),
                features_[i].value);
            offset = featureEnds_[i];
        }
        record_.setExplicitFeatures(featureViews_);
    }
    features_.clear();
    allFeaturesKnown_ = true;
}

void CParser::commitSection()
{
    if (kind_ == EntityKind::None)
        return;
    putFeatures();
    record_.compact();
    // The next record likely has as many entries: room for them is made at once.
    const std::size_t features = record_.featureCount();
    const std::size_t resources = record_.resourceKeyCount();
    const std::size_t keyUnits = record_.keyUnits();
    model_.putRecord(kind_, name_, std::move(record_));
    record_ = CRestrictionRecord();
    record_.reserve(features, resources, keyUnits);
    if (kind_ == EntityKind::User && !classOf_.empty())
        model_.setClassOf(name_, classOf_);
    if (!refs_.empty())
        model_.setStudioRefs(kind_, name_, std::move(refs_));
    classOf_.clear();
    refs_.clear();
}

}  // namespace

namespace partreading {

PartOutcome readPart(CRestrictionsModel& model, std::string_view bytes, bool laterPart)
{
    PartOutcome outcome;
    CParser parser(model, outcome.result, laterPart);
    parser.run(bytes);
    outcome.crc = parser.crc();
    outcome.crcBytes = parser.crcBytes();
    outcome.crcAtCrcLine = parser.crcAtCrcLine();
    outcome.crcBytesAtCrcLine = parser.crcBytesAtCrcLine();
    outcome.namesFromEarlierParts = parser.namesFromEarlierParts();
    return outcome;
}

}  // namespace partreading

RestrictionsParseResult parseRestrictions(CRestrictionsModel& model, std::string_view bytes,
                                          const RestrictionsReadOptions& options)
{
    using namespace partreading;
    // Parts are found by the bytes of Windows-1252; a file in another code page is read in one
    // piece.
    if (options.codePage.isWindows1252()) {
        const std::vector<std::size_t> starts = partStarts(bytes, partCount(bytes, options));
        if (starts.size() > 1) {
            if (std::optional<RestrictionsParseResult> result = parseInParts(model, bytes, starts))
                return *std::move(result);
        }
    }
    model.reset();
    RestrictionsParseResult result;
    CParser parser(model, result, false, options.codePage);
    parser.run(bytes);
    return result;
}

RestrictionsParseResult readRestrictionsFile(CRestrictionsModel& model,
                                             const std::filesystem::path& path,
                                             const RestrictionsReadOptions& options)
{
    std::ifstream in(path, std::ios::binary);
    // Read into memory that is not cleared first: every byte of it is overwritten.
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    if (in) {
        in.seekg(0, std::ios::end);
        const std::streamoff end = in.tellg();
        in.seekg(0, std::ios::beg);
        if (end > 0) {
            size = static_cast<std::size_t>(end);
            bytes.reset(new char[size]);
            // A file large enough to be read in parts is also read from disk in two halves at
            // once; a failure of either half fails the read.
            const bool halves = options.parts != 1 && size >= partreading::kPartsFromBytes
                && usableThreads() > 1;
            const std::streamoff half = halves ? end / 2 : end;
            bool secondHalfRead = true;
            runAtOnce(halves ? 2 : 1, [&](std::size_t k) {
                if (k == 0) {
                    in.read(bytes.get(), half);
                    return;
                }
                std::ifstream rest(path, std::ios::binary);
                rest.seekg(half);
                rest.read(bytes.get() + half, end - half);
                secondHalfRead = static_cast<bool>(rest) && rest.gcount() == end - half;
            });
            if (!secondHalfRead)
                in.setstate(std::ios::failbit);
        }
    }
    if (!in) {
        model.reset();
        RestrictionsParseResult result;
        result.message = std::string(kCouldNotOpen);
        result.errorText = errorText(0, kCouldNotOpen);
        return result;
    }
    return parseRestrictions(model, std::string_view(bytes.get(), size), options);
}

}  // namespace vexilor
