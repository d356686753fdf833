#include "intercom/ConfigFileFormat.h"

#include "vexilor/Version.h"

namespace vexilor::cfg {
namespace {

struct TableRow {
    std::uint16_t recordType;
    RecordKind kind;
    unsigned resourceType;
    bool unicode;
};

constexpr RecordKind A = RecordKind::Alphas;
constexpr RecordKind D = RecordKind::Descriptions;

// Every known record type but the configuration record.
constexpr TableRow kTable[] = {
    {18, A, 0, false},  {23, D, 0, false},  {47, A, 0, true},   {58, D, 0, true},
    {13, A, 19, false}, {48, A, 19, true},
    {12, A, 1, false},  {24, D, 1, false},  {49, A, 1, true},   {59, D, 1, true},
    {10, A, 2, false},  {25, D, 2, false},  {51, A, 2, true},   {60, D, 2, true},
    {75, A, 3, false},  {76, D, 3, false},  {77, A, 3, true},   {78, D, 3, true},
    {15, A, 4, false},  {26, D, 4, false},  {50, A, 4, true},   {61, D, 4, true},
    {14, A, 5, false},  {28, D, 5, false},  {53, A, 5, true},   {63, D, 5, true},
    {11, A, 6, false},  {27, D, 6, false},  {52, A, 6, true},   {62, D, 6, true},
    {29, D, 7, false},  {64, D, 7, true},
    {17, A, 8, false},  {31, D, 8, false},  {56, A, 8, true},   {66, D, 8, true},
    {70, A, 9, false},  {71, D, 9, false},  {72, A, 9, true},   {73, D, 9, true},
    {43, A, 10, false}, {44, D, 10, false}, {55, A, 10, true},  {67, D, 10, true},
    {36, A, 11, false}, {37, D, 11, false}, {54, A, 11, true},  {68, D, 11, true},
    {34, D, 12, false},
    {30, D, 13, false}, {65, D, 13, true},
    {86, D, 15, false}, {88, D, 15, true},
    {85, D, 17, false}, {87, D, 17, true},
};

struct Word {
    std::uint16_t CIntercom::*field;
    const char* name;
};
#define VEXILOR_WORD(f) {&CIntercom::f, #f}
constexpr Word kWords[kConfigurationWords] = {
    VEXILOR_WORD(sizeReportWord),       VEXILOR_WORD(sizeReportVersion),
    VEXILOR_WORD(formatWord),           VEXILOR_WORD(keypanelCount),
    VEXILOR_WORD(partyLineCount),       VEXILOR_WORD(ifbCount),
    VEXILOR_WORD(specialListCount),     VEXILOR_WORD(gpiOutputCount),
    VEXILOR_WORD(isoCount),             VEXILOR_WORD(uplResourceCount),
    VEXILOR_WORD(groupCount),           VEXILOR_WORD(autoDialCount),
    VEXILOR_WORD(assignmentGroupCount), VEXILOR_WORD(ifbSpecialListCount),
    VEXILOR_WORD(spareCount1),          VEXILOR_WORD(gpiInputCount),
    VEXILOR_WORD(spareCount2),          VEXILOR_WORD(uplStatementCount),
    VEXILOR_WORD(dimTableCount),        VEXILOR_WORD(spareCount3),
    {}, {}, {}, {},  // 21 to 24
    VEXILOR_WORD(frameCount),           VEXILOR_WORD(ioCardCount),
    VEXILOR_WORD(panelCount),           VEXILOR_WORD(gpiCardCount),
    {}, {}, {}, {}, {}, {},  // 29 to 34
    VEXILOR_WORD(alphaSize),            VEXILOR_WORD(optionFlags),
    // 37 to 64
};
#undef VEXILOR_WORD

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool allDigits(std::string_view s)
{
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return !s.empty();
}

}  // namespace

const std::array<std::uint16_t, 56> kWriteOrder = {
    84, 18, 13, 23, 12, 24, 10, 25, 15, 26, 14, 28, 11, 27, 30, 29, 17, 31, 34,
    36, 37, 43, 44, 75, 76, 70, 71, 85, 86, 47, 48, 58, 49, 59, 51, 60, 50, 61,
    53, 63, 52, 62, 65, 64, 56, 66, 54, 68, 55, 67, 77, 78, 72, 73, 87, 88,
};

std::uint16_t CIntercom::*ConfigurationWordField(unsigned word)
{
    return word >= 1 && word <= kConfigurationWords ? kWords[word - 1].field : nullptr;
}

const char* ConfigurationWordName(unsigned word)
{
    return word >= 1 && word <= kConfigurationWords ? kWords[word - 1].name : nullptr;
}

RecordInfo ClassifyRecord(std::uint16_t recordType)
{
    if (recordType == kConfigurationRecord)
        return {RecordKind::Configuration, 0, false};
    for (const TableRow& row : kTable) {
        if (row.recordType == recordType)
            return {row.kind, row.resourceType, row.unicode};
    }
    return {};
}

std::string HeaderBuildDate(std::string_view date)
{
    if (date.size() == 10 && date[4] == '-' && date[7] == '-' && allDigits(date.substr(0, 4))
        && allDigits(date.substr(5, 2)) && allDigits(date.substr(8, 2))) {
        const int month = (date[5] - '0') * 10 + (date[6] - '0');
        if (month >= 1 && month <= 12) {
            std::string out = kMonths[month - 1];
            out += ' ';
            out += date[8] == '0' ? ' ' : date[8];
            out += date[9];
            out += ' ';
            out += date.substr(0, 4);
            return out;
        }
    }
    std::string out(date.substr(0, 11));
    out.resize(11, ' ');
    return out;
}

std::string BuildHeader(std::string_view productName, std::string_view version,
                        std::string_view buildDate)
{
    std::string text = "Vrel intercom configuration file\r\n";
    text += "Created with ";
    text += productName;
    text += ' ';
    text += version;
    text += "\r\nBuild Date:  ";
    text += HeaderBuildDate(buildDate);
    text += '\x1A';
    while (text.size() < 250)
        text += "QXJ";
    text.resize(250);
    text += "-F-EOH";
    return text;
}

std::string BuildHeader()
{
    return BuildHeader(build::kProductName, build::kVersion, build::kBuildDate);
}

std::optional<HeaderInfo> ParseHeader(std::string_view bytes)
{
    if (bytes.size() < kHeaderSize || bytes.substr(0, 4) != "Vrel" || bytes[250] != '-'
        || (bytes[251] != 'F' && bytes[251] != 'P') || bytes.substr(252, 4) != "-EOH")
        return std::nullopt;
    HeaderInfo info;
    info.littleEndianUnicode = bytes.substr(4, 4) == "edit";
    info.partial = bytes[251] == 'P';
    return info;
}

}  // namespace vexilor::cfg
