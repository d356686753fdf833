#include "intercom/ConfigFileBytes.h"
#include "intercom/ConfigFileFormat.h"
#include "intercom/ConfigurationFile.h"
#include "text/CodePage.h"
#include "text/Windows1252.h"

#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace vexilor {
namespace {

using cfg::CByteReader;
using Bytes = std::span<const std::uint8_t>;

std::string_view asChars(Bytes bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// 8-bit text up to its first zero byte.
std::u16string cText(Bytes bytes, const text::CodePage& codePage)
{
    std::string_view chars = asChars(bytes);
    return codePage.decode(chars.substr(0, chars.find('\0')));
}

std::u16string utf16(Bytes bytes, bool littleEndian)
{
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned hi = littleEndian ? bytes[2 * i + 1] : bytes[2 * i];
        const unsigned lo = littleEndian ? bytes[2 * i] : bytes[2 * i + 1];
        out[i] = static_cast<char16_t>((hi << 8) | lo);
    }
    return out;
}

// The resource number of an alpha element: leading blanks, then decimal digits up to the first
// other byte. No digits reads as 0, which the caller rejects.
unsigned alphaNumber(Bytes digits)
{
    std::size_t i = 0;
    while (i < digits.size() && digits[i] == ' ')
        ++i;
    unsigned n = 0;
    for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i)
        n = n * 10 + (digits[i] - '0');
    return n;
}

class CLoader {
public:
    CLoader(CIntercom& icom, Bytes bytes, std::u16string_view pathText,
            const text::CodePage& codePage)
        : icom_(icom), in_(bytes), pathText_(pathText), codePage_(codePage)
    {
    }

    bool run()
    {
        Bytes head;
        if (!in_.readBytes(cfg::kHeaderSize, head))
            return wrongType();
        const auto header = cfg::ParseHeader(asChars(head));
        if (!header)
            return wrongType();
        littleEndian_ = header->littleEndianUnicode;
        if (header->partial)
            icom_.messages.emplace_back(cfgmsg::kPartialSetup);

        while (true) {
            if (in_.remaining() < cfg::kRecordHeaderSize)
                break;  // the end of the file inside a record's header ends the file normally
            std::uint32_t marker = 0;
            std::uint16_t type = 0, bitCount = 0, elementSize = 0;
            in_.readU32(marker);
            in_.readU16(type);
            in_.readU16(bitCount);
            in_.readU16(elementSize);
            if (marker != cfg::kRecordMarker)
                return corrupt();
            Bytes bitmap;
            if (!in_.readBytes((std::size_t{bitCount} + 7) / 8, bitmap))
                return corrupt();
            CBitArray present(bitCount);
            present.loadBytes(bitmap.data());
            if (!readRecord(cfg::ClassifyRecord(type), bitCount, elementSize, present))
                return corrupt();
        }

        if (!sawAlphas_)
            icom_.messages.emplace_back(cfgmsg::kNoAlphas);
        if (!sawDescriptions_)
            icom_.messages.emplace_back(cfgmsg::kNoDescriptions);
        if (!sawConfiguration_)
            icom_.messages.emplace_back(cfgmsg::kNoConfiguration);
        return true;
    }

private:
    bool wrongType()
    {
        icom_.messages.push_back(cfgmsg::Format(cfgmsg::kWrongFileType, pathText_));
        return false;
    }

    bool corrupt()
    {
        icom_.messages.emplace_back(cfgmsg::kCorrupt);
        return false;
    }

    bool readRecord(const cfg::RecordInfo& info, std::uint16_t bitCount, std::uint16_t elementSize,
                    const CBitArray& present)
    {
        // Files without a configuration record (setup files) give their counts by the records'
        // sizes; once the configuration record is read it alone sets them.
        if (!sawConfiguration_ && info.kind != cfg::RecordKind::Unknown
            && info.kind != cfg::RecordKind::Configuration)
            icom_.SetCount(info.resourceType, bitCount);

        switch (info.kind) {
        case cfg::RecordKind::Unknown:
            return in_.skip(std::uint64_t{elementSize} * present.countSet());
        case cfg::RecordKind::Configuration:
            sawConfiguration_ = true;
            return present.countSet() == 1 && readConfiguration(elementSize);
        case cfg::RecordKind::Descriptions:
            sawDescriptions_ = true;
            return readDescriptions(info, present);
        case cfg::RecordKind::Alphas:
            sawAlphas_ = true;
            return readAlphas(info, present);
        }
        return false;
    }

    bool word(std::uint16_t& value) { return in_.readU16(value); }

    bool readConfiguration(std::uint16_t elementSize)
    {
        std::uint16_t listLength = 0;
        for (unsigned w = 1; w <= cfg::kConfigurationWords; ++w) {
            std::uint16_t value = 0;
            if (!word(value))
                return false;
            if (w == cfg::kConfigurationWords) {
                listLength = value;
            } else if (auto field = cfg::ConfigurationWordField(w)) {
                icom_.*field = value;
                if (field == &CIntercom::gpiOutputCount || field == &CIntercom::gpiInputCount)
                    icom_.RecomputeGpiCardCount();
            }
        }
        std::uint16_t secondLength = 0, capabilityBits = 0;
        if (!in_.skip(2 * std::uint64_t{listLength}) || !word(secondLength)
            || !in_.skip(2 * std::uint64_t{secondLength}) || !word(capabilityBits))
            return false;
        Bytes capabilityBytes;
        if (!in_.readBytes((std::size_t{capabilityBits} + 7) / 8, capabilityBytes))
            return false;
        icom_.capabilities.setSize(capabilityBits);
        icom_.capabilities.loadBytes(capabilityBytes.data());

        Bytes texts;
        std::uint16_t active = 0;
        if (!in_.readBytes(3 * cfg::kAddressTextSize, texts) || !word(active))
            return false;
        const auto textField = [&](std::size_t i) {
            return cText(texts.subspan(i * cfg::kAddressTextSize, cfg::kAddressTextSize), codePage_);
        };
        icom_.infoText = textField(0);
        icom_.mainAddress = textField(1);
        icom_.partnerAddress = textField(2);
        icom_.partnerActive = active != 0;

        // Longer elements written by other programs carry one more value and two lists of the
        // first list's length; whatever follows up to the element size is ignored too.
        std::uint64_t consumed = 128 + 2 * std::uint64_t{listLength} + 2
            + 2 * std::uint64_t{secondLength} + 2 + capabilityBytes.size()
            + 3 * cfg::kAddressTextSize + 2;
        std::uint16_t ignored = 0;
        if (consumed < elementSize) {
            if (!word(ignored))
                return false;
            consumed += 2;
        }
        for (int list = 0; list < 2 && consumed < elementSize; ++list) {
            if (!in_.skip(2 * std::uint64_t{listLength}))
                return false;
            consumed += 2 * std::uint64_t{listLength};
        }
        while (consumed < elementSize) {
            if (!word(ignored))
                return false;
            consumed += 2;
        }
        return true;
    }

    template <typename Fn>
    static bool forEachSet(const CBitArray& present, Fn fn)
    {
        for (std::int64_t i = present.nextSet(0); i >= 0;
             i = present.nextSet(static_cast<std::uint32_t>(i + 1))) {
            if (!fn(static_cast<unsigned>(i)))
                return false;
        }
        return true;
    }

    bool readDescriptions(const cfg::RecordInfo& info, const CBitArray& present)
    {
        if (info.resourceType == restype::kUplStatement) {
            return forEachSet(present, [&](unsigned bit) {
                Bytes element;
                if (!in_.readBytes(cfg::kUplStatementSize, element))
                    return false;
                const std::string_view text = asChars(element).substr(cfg::kUplStatementSize
                                                                      - cfg::kUplStatementTextSize);
                // The first statement text of a number wins.
                icom_.descriptions.try_emplace(ResourceKey(info.resourceType, bit + 1),
                                               CDesc{codePage_.decode(text)});
                return true;
            });
        }
        const std::size_t size = info.unicode ? cfg::kDescUnicodeSize : cfg::kDesc8Size;
        return forEachSet(present, [&](unsigned bit) {
            Bytes element;
            if (!in_.readBytes(size, element))
                return false;
            std::u16string text = info.unicode ? utf16(element, littleEndian_)
                                               : codePage_.decode(asChars(element));
            icom_.descriptions[ResourceKey(info.resourceType, bit + 1)].text = std::move(text);
            return true;
        });
    }

    bool readAlphas(const cfg::RecordInfo& info, const CBitArray& present)
    {
        const std::size_t size = info.unicode ? cfg::kAlphaUnicodeSize : cfg::kAlpha8Size;
        return forEachSet(present, [&](unsigned) {
            Bytes element;
            if (!in_.readBytes(size, element))
                return false;
            const unsigned number = alphaNumber(element.subspan(0, 3));
            if (number == 0)
                return false;
            // The element names its own number; its position in the bitmap is not checked.
            CAlpha& alpha = icom_.alphas[ResourceKey(info.resourceType, number)];
            if (info.unicode) {
                alpha.SetAlpha(utf16(element.subspan(3, 16), littleEndian_), kAlphaSizeUnicode);
            } else {
                alpha.SetAlpha(cText(element.subspan(3, 4), codePage_), kAlphaSize4);
                alpha.SetAlpha(cText(element.subspan(7, 6), codePage_), kAlphaSize6);
                alpha.SetAlpha(cText(element.subspan(13, 8), codePage_), kAlphaSize8);
            }
            return true;
        });
    }

    CIntercom& icom_;
    CByteReader in_;
    std::u16string_view pathText_;
    const text::CodePage codePage_;
    bool littleEndian_ = false;
    bool sawConfiguration_ = false;
    bool sawAlphas_ = false;
    bool sawDescriptions_ = false;
};

}  // namespace

std::u16string PathText(const std::filesystem::path& path)
{
#ifdef _WIN32
    return path.u16string();
#else
    return text::fromUtf8(path.native());
#endif
}

std::filesystem::path ConfigurationFilePath(const std::filesystem::path& dir,
                                            std::u16string_view name)
{
    std::u16string file(name);
    file += u".cfg";
#ifdef _WIN32
    return dir / std::filesystem::path(file);
#else
    return dir / std::filesystem::path(text::toUtf8(file));
#endif
}

bool LoadConfigurationBytes(CIntercom& icom, std::span<const std::uint8_t> bytes,
                            std::u16string_view pathText, const text::CodePage& codePage)
{
    icom.ClearContents();
    return CLoader(icom, bytes, pathText, codePage).run();
}

bool LoadConfigurationFile(CIntercom& icom, const std::filesystem::path& path,
                           const text::CodePage& codePage)
{
    icom.ClearContents();
    if (path.empty()) {
        icom.messages.emplace_back(cfgmsg::kNoFilename);
        return false;
    }
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ec))
        in.open(path, std::ios::binary);
    if (!in.is_open()) {
        icom.messages.push_back(cfgmsg::Format(cfgmsg::kFileNotFound, PathText(path)));
        return false;
    }
    // The header first: something that is not a configuration file (a device, a huge unrelated
    // file) is turned away without being read whole.
    std::string bytes(cfg::kHeaderSize, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (cfg::ParseHeader(bytes))
        bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        icom.messages.push_back(cfgmsg::Format(cfgmsg::kFileNotFound, PathText(path)));
        return false;
    }
    return LoadConfigurationBytes(
        icom, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, PathText(path),
        codePage);
}

}  // namespace vexilor
