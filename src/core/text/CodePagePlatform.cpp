#include "text/CodePageTables.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace vexilor::text::platform {

#ifdef _WIN32

namespace {

class CWin32Converter final : public CConverter {
public:
    explicit CWin32Converter(UINT codePage) : codePage_(codePage) {}

    Decoded decodeOne(std::string_view bytes, char16_t& unit) override
    {
        if (bytes.size() == 1 && IsDBCSLeadByteEx(codePage_, static_cast<BYTE>(bytes[0])))
            return Decoded::Incomplete;
        wchar_t out[2] = {};
        const int n = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), out, 2);
        if (n != 1)
            return Decoded::Invalid;
        unit = static_cast<char16_t>(out[0]);
        return Decoded::Unit;
    }

    std::string encodeOne(char16_t unit) override
    {
        const wchar_t in = static_cast<wchar_t>(unit);
        char out[4] = {};
        BOOL usedDefault = FALSE;
        // No best fit: a character the code page lacks must not come out as a look-alike.
        const int n = WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, &in, 1, out,
                                          static_cast<int>(sizeof out), nullptr, &usedDefault);
        if (n <= 0 || usedDefault)
            return {};
        return std::string(out, static_cast<std::size_t>(n));
    }

private:
    UINT codePage_;
};

}  // namespace

std::unique_ptr<CConverter> openConverter(unsigned number)
{
    if (!IsValidCodePage(number))
        return nullptr;
    return std::make_unique<CWin32Converter>(number);
}

unsigned systemAnsiCodePage()
{
    return GetACP();
}

#else

namespace {

// Both directions through iconv, one character per call; the state is reset around each call so
// that a code page that combines characters hands out each one on its own.
class CIconvConverter final : public CConverter {
public:
    CIconvConverter(iconv_t decoder, iconv_t encoder) : decoder_(decoder), encoder_(encoder) {}
    ~CIconvConverter() override
    {
        iconv_close(decoder_);
        iconv_close(encoder_);
    }
    CIconvConverter(const CIconvConverter&) = delete;
    CIconvConverter& operator=(const CIconvConverter&) = delete;

    Decoded decodeOne(std::string_view bytes, char16_t& unit) override
    {
        char in[2] = {};
        bytes.copy(in, sizeof in);
        unsigned char out[8] = {};
        std::size_t used = 0;
        const Result r = run(decoder_, in, bytes.size(), out, sizeof out, used);
        if (r == Result::Incomplete)
            return Decoded::Incomplete;
        if (r != Result::Done || used != 2)
            return Decoded::Invalid;
        unit = static_cast<char16_t>(out[0] | (out[1] << 8));
        return Decoded::Unit;
    }

    std::string encodeOne(char16_t unit) override
    {
        char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        unsigned char out[8] = {};
        std::size_t used = 0;
        if (run(encoder_, in, sizeof in, out, sizeof out, used) != Result::Done || used == 0)
            return {};
        return std::string(reinterpret_cast<const char*>(out), used);
    }

private:
    enum class Result { Done, Incomplete, Invalid };

    static Result run(iconv_t cd, char* in, std::size_t inSize, unsigned char* out,
                      std::size_t outSize, std::size_t& used)
    {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inp = in;
        std::size_t inLeft = inSize;
        char* outp = reinterpret_cast<char*>(out);
        std::size_t outLeft = outSize;
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1))
            return errno == EINVAL ? Result::Incomplete : Result::Invalid;
        // A character held back to see whether a combining one follows comes out now.
        if (iconv(cd, nullptr, nullptr, &outp, &outLeft) == static_cast<std::size_t>(-1))
            return Result::Invalid;
        used = outSize - outLeft;
        return inLeft == 0 ? Result::Done : Result::Invalid;
    }

    iconv_t decoder_;
    iconv_t encoder_;
};

}  // namespace

std::unique_ptr<CConverter> openConverter(unsigned number)
{
    const std::string name = "CP" + std::to_string(number);
    const iconv_t invalid = reinterpret_cast<iconv_t>(-1);
    const iconv_t decoder = iconv_open("UTF-16LE", name.c_str());
    if (decoder == invalid)
        return nullptr;
    const iconv_t encoder = iconv_open(name.c_str(), "UTF-16LE");
    if (encoder == invalid) {
        iconv_close(decoder);
        return nullptr;
    }
    return std::make_unique<CIconvConverter>(decoder, encoder);
}

unsigned systemAnsiCodePage()
{
    return 1252;
}

#endif

}  // namespace vexilor::text::platform
