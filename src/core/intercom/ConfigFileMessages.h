#pragma once

#include <string>
#include <string_view>

namespace vexilor::cfgmsg {

// Texts of the configuration file's errors and warnings, as the user sees them. "%s" stands for
// the file's path.
inline constexpr std::u16string_view kNoFilename = u"No filename specified.";
inline constexpr std::u16string_view kFileNotFound = u"File '%s' not found.";
inline constexpr std::u16string_view kWrongFileType = u"%s is not the correct file type.";
inline constexpr std::u16string_view kCorrupt = u"This file contains errors or is corrupted.";
inline constexpr std::u16string_view kPartialSetup =
    u"Warning: This file is a partial setup file and may not contain complete alphas.";
inline constexpr std::u16string_view kNoAlphas = u"Warning: This file contains no alphas.";
inline constexpr std::u16string_view kNoDescriptions =
    u"Warning: This file contains no descriptions.";
inline constexpr std::u16string_view kNoConfiguration =
    u"Warning: This file does not contain the intercom configuration.";
inline constexpr std::u16string_view kCannotCreate =
    u"Could not open/create file '%s' for writing.";
inline constexpr std::u16string_view kHeaderWriteError = u"Error writing file header.";
inline constexpr std::u16string_view kDataWriteError = u"Error writing file data.";

// The pattern with its first "%s" replaced by arg.
inline std::u16string Format(std::u16string_view pattern, std::u16string_view arg)
{
    std::u16string out(pattern);
    const std::size_t at = out.find(u"%s");
    if (at != std::u16string::npos)
        out.replace(at, 2, arg);
    return out;
}

}  // namespace vexilor::cfgmsg
