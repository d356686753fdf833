#include "restrictions/RestrictionsParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

#include "restrictions/RestrictionsCrc.h"
#include "restrictions/RestrictionsTokens.h"
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

// Windows-1252 to UTF-16, one unit per byte, as a table.
const std::array<char16_t, 256>& decodeTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (unsigned b = 0; b < 256; ++b)
            t[b] = text::decodeWindows1252(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

// A statement that did not match leaves the line to the next one; an error ends the read.
enum class Outcome { NoMatch, Done, Error };

class CParser {
public:
    CParser(CRestrictionsModel& model, RestrictionsParseResult& result)
        : model_(model), result_(result)
    {
    }

    void run(std::string_view bytes);

private:
    using Statement = Outcome (CParser::*)(CLineCursor&);

    bool processLine();
    Outcome fail(std::string_view message)
    {
        message_ = message;
        return Outcome::Error;
    }

    Outcome device(CLineCursor& c);
    Outcome alphas(CLineCursor& c);
    Outcome studioSection(CLineCursor& c) { return section(c, u"STUDIO", EntityKind::Studio); }
    Outcome classSection(CLineCursor& c) { return section(c, u"CLASS", EntityKind::Class); }
    Outcome userSection(CLineCursor& c) { return section(c, u"USER", EntityKind::User); }
    Outcome section(CLineCursor& c, std::u16string_view keyword, EntityKind kind);
    Outcome crc(CLineCursor& c);
    Outcome studioRef(CLineCursor& c);
    Outcome classOfUser(CLineCursor& c);
    Outcome keyed(CLineCursor& c);
    Outcome featureValue(CLineCursor& c, std::u16string_view key);
    Outcome resource(CLineCursor& c, std::u16string_view key, int op);

    void commitSection();
    bool inClassOrUser() const { return kind_ == EntityKind::Class || kind_ == EntityKind::User; }

    CRestrictionsModel& model_;
    RestrictionsParseResult& result_;
    std::u16string line_;
    std::string_view message_;
    CRestrictionsCrc crc_;

    EntityKind kind_ = EntityKind::None;
    std::u16string name_;
    CRestrictionRecord record_;
    std::u16string classOf_;
    std::vector<StudioRef> refs_;
    bool statementSeen_ = false;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs_;
};

void CParser::run(std::string_view bytes)
{
    const auto& decode = decodeTable();
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
        std::string_view piece = bytes.substr(pos, length);
        pos += length;

        const bool crlf = piece.size() > 1 && piece.ends_with("\r\n");
        if (crlf)
            piece.remove_suffix(2);
        line_.resize(piece.size() + (crlf ? 1 : 0));
        const auto* in = reinterpret_cast<const unsigned char*>(piece.data());
        unsigned char high = 0;
        for (std::size_t i = 0; i < piece.size(); ++i)
            high |= in[i];
        // ASCII, the usual case, widens as it is; other bytes go through the code page.
        if (high & 0x80) {
            for (std::size_t i = 0; i < piece.size(); ++i)
                line_[i] = decode[in[i]];
        } else {
            for (std::size_t i = 0; i < piece.size(); ++i)
                line_[i] = in[i];
        }
        if (crlf)
            line_.back() = u'\n';

        if (!processLine()) {
            result_.line = lineNo;
            result_.message = std::string(message_);
            result_.errorText = errorText(lineNo, message_);
            return;
        }

        // The CRC covers the line as converted, with a line feed added when it has none. Below
        // 0x80 a byte converts to a unit with the same low byte.
        if (high & 0x80) {
            crc_.update(line_);
        } else {
            crc_.update(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size());
            if (crlf)
                crc_.update(static_cast<std::uint8_t>('\n'));
        }
        if (line_.empty() || line_.back() != u'\n')
            crc_.update(static_cast<std::uint8_t>('\n'));
    }
    commitSection();
    model_.setLoaded(true);
    model_.setDocumentValid(true);
    result_.ok = true;
}

bool CParser::processLine()
{
    CLineCursor c(line_);
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
    const char16_t lead = c.rest().front();
    const bool bracketed = lead == u'[';
    const bool keywordLead = lead == u's' || lead == u'S' || lead == u'c' || lead == u'C';
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
    if (c.atEnd() || c.rest().starts_with(u"//"))
        return true;
    fail(kUnknownDirective);
    return false;
}

Outcome CParser::device(CLineCursor& c)
{
    std::u16string_view name;
    if (!c.literal(u'[') || !c.keyword(u"DEVICE") || !c.name(name) || !c.literal(u']'))
        return Outcome::NoMatch;
    if (!model_.deviceName().empty())
        return fail(kDeviceTwice);
    model_.setDeviceName(name);
    return Outcome::Done;
}

Outcome CParser::alphas(CLineCursor& c)
{
    std::u16string_view name;
    if (!c.literal(u'[') || !c.keyword(u"ALPHAS") || !c.name(name) || !c.literal(u']'))
        return Outcome::NoMatch;
    return Outcome::Done;
}

Outcome CParser::section(CLineCursor& c, std::u16string_view keyword, EntityKind kind)
{
    std::u16string_view name;
    if (!c.literal(u'[') || !c.keyword(keyword) || !c.name(name) || !c.literal(u']'))
        return Outcome::NoMatch;
    commitSection();
    kind_ = kind;
    if (model_.exists(kind, name)) {
        return fail(kind == EntityKind::Studio ? kStudioTwice
                    : kind == EntityKind::Class ? kClassTwice
                                                : kUserTwice);
    }
    name_.assign(name);
    statementSeen_ = false;
    return Outcome::Done;
}

Outcome CParser::crc(CLineCursor& c)
{
    std::uint32_t value = 0;
    if (!c.literal(u'[') || !c.keyword(u"CRC") || !c.hex(value) || !c.literal(u']'))
        return Outcome::NoMatch;
    result_.crcSeen = true;
    result_.crcStated = value;
    result_.crcComputed = crc_.value();
    return Outcome::Done;
}

Outcome CParser::studioRef(CLineCursor& c)
{
    std::u16string_view name;
    int op = -1;
    if (!c.keyword(u"STUDIO") || (op = c.op()) < 0 || !c.name(name))
        return Outcome::NoMatch;
    if (!inClassOrUser())
        return fail(kStudioRefOutside);
    if (!model_.exists(EntityKind::Studio, name))
        return fail(kStudioNotDeclared);
    if (op > 2)
        return fail(kStudioRefOp);
    refs_.push_back({std::u16string(name), static_cast<StudioOp>(op)});
    return Outcome::Done;
}

Outcome CParser::classOfUser(CLineCursor& c)
{
    std::u16string_view name;
    int op = -1;
    if (!c.keyword(u"CLASS") || (op = c.op()) < 0 || !c.name(name))
        return Outcome::NoMatch;
    if (kind_ != EntityKind::User || statementSeen_)
        return fail(kClassLinePlace);
    if (!model_.exists(EntityKind::Class, name))
        return fail(kClassNotDeclared);
    if (op != 0)
        return fail(kClassLineOp);
    classOf_.assign(name);
    statementSeen_ = true;
    return Outcome::Done;
}

// A feature line (a name, "=", Y or N) is tried first and then a resource line (an identifier,
// an operator, "*" or a range list); both start with the key and the operator, which are read
// once.
Outcome CParser::keyed(CLineCursor& c)
{
    std::u16string_view key;
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

Outcome CParser::featureValue(CLineCursor& c, std::u16string_view key)
{
    bool value = false;
    if (c.literal(u'Y') || c.literal(u'y'))
        value = true;
    else if (!c.literal(u'N') && !c.literal(u'n'))
        return Outcome::NoMatch;
    if (!inClassOrUser())
        return fail(kFeatureOutside);
    record_.setExplicitFeature(key, value);
    statementSeen_ = true;
    return Outcome::Done;
}

Outcome CParser::resource(CLineCursor& c, std::u16string_view key, int op)
{
    const bool star = c.literal(u'*');
    runs_.clear();
    if (!star) {
        do {
            std::uint32_t first = 0;
            std::uint32_t last = 0;
            if (!c.number(first))
                return Outcome::NoMatch;
            if (c.literal(u'-')) {
                if (!c.number(last))
                    return Outcome::NoMatch;
            } else {
                last = first;
            }
            if (first > kMaxResourceNumber || last > kMaxResourceNumber)
                return fail(kResourceOutOfRange);
            runs_.emplace_back(first, last);
        } while (c.literal(u','));
    }

    if (kind_ == EntityKind::None)
        return fail(kResourceOutside);
    // The line's set is "*" (every resource) or its runs; it is applied to the key's marks and
    // values in place rather than built on its own.
    static const CAccessSet kStar = CAccessSet::uniform(true);
    CAccessSet& marks = record_.editResourceExplicit(key);
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
            record_.editResources(key) = kStar;
        else
            record_.editResources(key).assignRuns(runs_);
        break;
    case 1:
        star ? record_.editResources(key).uniteWith(kStar)
             : record_.editResources(key).uniteWithRuns(runs_);
        break;
    case 2:
        if (record_.findResources(key))
            star ? record_.editResources(key).subtract(kStar)
                 : record_.editResources(key).subtractRuns(runs_);
        break;
    default:
        break;
    }
    statementSeen_ = true;
    return Outcome::Done;
}

void CParser::commitSection()
{
    if (kind_ == EntityKind::None)
        return;
    record_.compact();
    model_.putRecord(kind_, name_, std::move(record_));
    record_ = CRestrictionRecord();
    if (kind_ == EntityKind::User && !classOf_.empty())
        model_.setClassOf(name_, classOf_);
    if (!refs_.empty())
        model_.setStudioRefs(kind_, name_, std::move(refs_));
    classOf_.clear();
    refs_.clear();
}

}  // namespace

RestrictionsParseResult parseRestrictions(CRestrictionsModel& model, std::string_view bytes)
{
    model.reset();
    RestrictionsParseResult result;
    CParser parser(model, result);
    parser.run(bytes);
    return result;
}

RestrictionsParseResult readRestrictionsFile(CRestrictionsModel& model,
                                             const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in) {
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        in.seekg(0, std::ios::beg);
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            in.read(bytes.data(), size);
        }
    }
    if (!in) {
        model.reset();
        RestrictionsParseResult result;
        result.message = std::string(kCouldNotOpen);
        result.errorText = errorText(0, kCouldNotOpen);
        return result;
    }
    return parseRestrictions(model, bytes);
}

}  // namespace vexilor
