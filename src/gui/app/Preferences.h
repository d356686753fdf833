#pragma once

#include <QString>

#include <cstdint>

#include "text/CodePage.h"

namespace vexilor {

// The colours of the permission lists, 0x00BBGGRR, and the amount subtracted from the background
// of shaded rows (per component, same layout).
struct ListColors {
    std::uint32_t shadingOffsets = 0;
    std::uint32_t allowText = 0;
    std::uint32_t denyText = 0;
    std::uint32_t inheritText = 0;
    std::uint32_t selectedAllowText = 0;
    std::uint32_t selectedDenyText = 0;
    std::uint32_t selectedInheritText = 0;
    std::uint32_t normalBackground = 0;
    std::uint32_t selectedBackground = 0;
    std::uint32_t unfocusedBackground = 0;
    std::uint32_t readOnlyBackground = 0;

    friend bool operator==(const ListColors&, const ListColors&) = default;
};

// The preferences the application holds from start-up to exit (LoadSettings / SaveSettings).
struct Preferences {
    bool largeIcons = false;
    int alphaSize = 4;  // 4, 6, 8, or 16 for eight Unicode characters
    bool requireDoubleClick = true;
    int alternateLineShading = 2;
    bool popupHelpId = false;
    bool launchHelp = true;
    QString tovrinExePath;  // Tovrin's executable, file name included
    QString resFilesDirectory;
    QString cfgFilesDirectory;
    // The ANSI code page of Tovrin's PC: restrictions files and 8-bit texts of configuration
    // files and of the wire. The system's on Windows; chosen in the preferences elsewhere.
    unsigned codePage = 1252;
    ListColors colors;

    friend bool operator==(const Preferences&, const Preferences&) = default;
};

// The code page of the preferences as a converter (Windows-1252 when the platform cannot convert
// the number, which the preferences never let through).
inline text::CodePage FilesCodePage(const Preferences& p)
{
    return text::CodePage::make(p.codePage).value_or(text::CodePage());
}

// 4, 6, 8 and 16 are alpha sizes; anything else reads as 4.
constexpr int ValidAlphaSize(int size)
{
    return size == 6 || size == 8 || size == 16 ? size : 4;
}

}  // namespace vexilor
