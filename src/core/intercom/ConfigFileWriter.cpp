#include "intercom/ConfigFileBytes.h"
#include "intercom/ConfigFileFormat.h"
#include "intercom/ConfigurationFile.h"
#include "text/CodePage.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vexilor {
namespace {

using cfg::CByteWriter;

// The numbers from 1 to count that have an entry of type in map, ascending. Alpha elements hold
// three digits, so alphas above 999 are left out rather than written under a wrong number.
template <typename Map>
std::vector<unsigned> presentNumbers(const Map& map, unsigned type, unsigned count)
{
    std::vector<unsigned> numbers;
    if (count == 0)
        return numbers;
    const auto end = map.upper_bound(ResourceKey(type, count));
    for (auto it = map.lower_bound(ResourceKey(type, 1)); it != end; ++it)
        numbers.push_back(ResourceKeyNumber(it->first));
    return numbers;
}

void recordHeader(CByteWriter& out, std::uint16_t type, std::uint16_t bitCount,
                  std::uint16_t elementSize, const std::vector<unsigned>& numbers)
{
    out.u32(cfg::kRecordMarker);
    out.u16(type);
    out.u16(bitCount);
    out.u16(elementSize);
    std::string bitmap((std::size_t{bitCount} + 7) / 8, '\0');
    for (unsigned n : numbers)
        bitmap[(n - 1) / 8] = static_cast<char>(bitmap[(n - 1) / 8] | (1 << ((n - 1) % 8)));
    out.bytes(bitmap);
}

// 8-bit text cut or zero-filled to its field, never in the middle of a two-byte character.
void fixedText(CByteWriter& out, const text::CodePage& codePage, std::u16string_view text,
               std::size_t width)
{
    const std::string bytes = codePage.encode(text);
    out.fixed(std::string_view(bytes).substr(0, codePage.fit(bytes, width)), width);
}

void writeConfiguration(CByteWriter& out, const CIntercom& icom, const text::CodePage& codePage)
{
    // The bit count is a 16-bit field.
    const std::uint32_t bits = std::min<std::uint32_t>(icom.capabilities.count(), 0xFFFF);
    const std::size_t capabilityBytes = (bits + 7) / 8;
    out.u32(cfg::kRecordMarker);
    out.u16(cfg::kConfigurationRecord);
    out.u16(1);
    out.u16(static_cast<std::uint16_t>(cfg::kConfigurationFixedSize + capabilityBytes));
    out.bytes(std::string_view("\x01", 1));
    for (unsigned w = 1; w <= cfg::kConfigurationWords; ++w) {
        const auto field = cfg::ConfigurationWordField(w);
        out.u16(field ? icom.*field : 0);
    }
    out.u16(0);  // second list length
    out.u16(static_cast<std::uint16_t>(bits));
    std::string capabilities(capabilityBytes, '\0');
    for (std::uint32_t i = 0; i < bits; ++i) {
        if (icom.capabilities.test(i))
            capabilities[i / 8] = static_cast<char>(capabilities[i / 8] | (1 << (i % 8)));
    }
    out.bytes(capabilities);
    fixedText(out, codePage, icom.infoText, cfg::kAddressTextSize);
    fixedText(out, codePage, icom.mainAddress, cfg::kAddressTextSize);
    fixedText(out, codePage, icom.partnerAddress, cfg::kAddressTextSize);
    out.u16(icom.partnerActive ? 1 : 0);
}

void writeNumber(CByteWriter& out, unsigned number)
{
    char digits[4];
    std::snprintf(digits, sizeof digits, "%03u", number % 1000);
    out.bytes(std::string_view(digits, 3));
}

void writeAlphas(CByteWriter& out, const CIntercom& icom, std::uint16_t recordType,
                 const cfg::RecordInfo& info, const text::CodePage& codePage)
{
    const std::uint16_t count = icom.Count(info.resourceType);
    auto numbers = presentNumbers(icom.alphas, info.resourceType, count);
    std::erase_if(numbers, [](unsigned n) { return n > cfg::kMaxAlphaNumber; });
    if (numbers.empty())
        return;
    recordHeader(out, recordType, count, info.unicode ? cfg::kAlphaUnicodeSize : cfg::kAlpha8Size,
                 numbers);
    for (unsigned n : numbers) {
        const CAlpha& alpha = icom.alphas.at(ResourceKey(info.resourceType, n));
        writeNumber(out, n);
        if (info.unicode) {
            out.utf16be(alpha.alphaUnicode.view(), 8);
            out.utf16be(alpha.alphaUnicode.view(), 8);
            out.zeros(17);
        } else {
            for (int copy = 0; copy < 2; ++copy) {
                fixedText(out, codePage, alpha.alpha4.view(), 4);
                fixedText(out, codePage, alpha.alpha6.view(), 6);
                fixedText(out, codePage, alpha.alpha8.view(), 8);
            }
            out.zeros(6);
        }
    }
}

void writeDescriptions(CByteWriter& out, const CIntercom& icom, std::uint16_t recordType,
                       const cfg::RecordInfo& info, const text::CodePage& codePage)
{
    const std::uint16_t count = icom.Count(info.resourceType);
    const auto numbers = presentNumbers(icom.descriptions, info.resourceType, count);
    if (numbers.empty())
        return;
    const bool statements = info.resourceType == restype::kUplStatement;
    const std::uint16_t size = statements ? cfg::kUplStatementSize
        : info.unicode                    ? cfg::kDescUnicodeSize
                                          : cfg::kDesc8Size;
    recordHeader(out, recordType, count, size, numbers);
    for (unsigned n : numbers) {
        const std::u16string& text = icom.descriptions.at(ResourceKey(info.resourceType, n)).text;
        if (statements) {
            out.zeros(cfg::kUplStatementSize - cfg::kUplStatementTextSize);
            fixedText(out, codePage, text, cfg::kUplStatementTextSize);
        } else if (info.unicode) {
            out.utf16be(text, cfg::kDescUnits);
        } else {
            fixedText(out, codePage, text, cfg::kDescUnits);
        }
    }
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> serial{0};
    static const unsigned seed = std::random_device{}();
    std::filesystem::path name = ".";
    name += target.filename();
    std::string suffix = ".";  // appended piece by piece: g++ 12 misreads a chain of + at -O3
    suffix += std::to_string(seed);
    suffix += '-';
    suffix += std::to_string(serial++);
    suffix += ".tmp";
    name += suffix;
    std::filesystem::path temp = target;
    temp.replace_filename(name);
    return temp;
}

std::FILE* openExclusive(const std::filesystem::path& path)
{
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wbx");
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

// Flushes the file to the disk before it replaces the target.
bool flushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

std::string ConfigurationFileBytes(const CIntercom& icom, const text::CodePage& codePage)
{
    std::string bytes = cfg::BuildHeader();
    CByteWriter out(bytes);
    for (std::uint16_t type : cfg::kWriteOrder) {
        const cfg::RecordInfo info = cfg::ClassifyRecord(type);
        switch (info.kind) {
        case cfg::RecordKind::Configuration:
            writeConfiguration(out, icom, codePage);
            break;
        case cfg::RecordKind::Alphas:
            writeAlphas(out, icom, type, info, codePage);
            break;
        case cfg::RecordKind::Descriptions:
            writeDescriptions(out, icom, type, info, codePage);
            break;
        case cfg::RecordKind::Unknown:
            break;
        }
    }
    return bytes;
}

bool SaveConfigurationFile(const std::filesystem::path& path, const CIntercom& icom,
                           std::u16string& error, const text::CodePage& codePage)
{
    namespace fs = std::filesystem;
    if (path.empty()) {
        error = cfgmsg::kNoFilename;
        return false;
    }
    const std::string bytes = ConfigurationFileBytes(icom, codePage);
    fs::path temp;
    std::FILE* file = nullptr;
    // A name taken by a concurrent save is never reused: each attempt draws a new one.
    for (int attempt = 0; attempt < 8 && !file; ++attempt) {
        temp = temporaryBeside(path);
        file = openExclusive(temp);
    }
    if (!file) {
        error = cfgmsg::Format(cfgmsg::kCannotCreate, PathText(path));
        return false;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);  // so that a short write shows where it happened
    const bool headerWritten
        = std::fwrite(bytes.data(), 1, cfg::kHeaderSize, file) == cfg::kHeaderSize;
    const std::size_t rest = bytes.size() - cfg::kHeaderSize;
    const bool dataWritten = headerWritten
        && std::fwrite(bytes.data() + cfg::kHeaderSize, 1, rest, file) == rest && flushToDisk(file);
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (!headerWritten || !dataWritten || !closed) {
        fs::remove(temp, ec);
        error = headerWritten ? cfgmsg::kDataWriteError : cfgmsg::kHeaderWriteError;
        return false;
    }
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        error = cfgmsg::Format(cfgmsg::kCannotCreate, PathText(path));
        return false;
    }
    return true;
}

}  // namespace vexilor
