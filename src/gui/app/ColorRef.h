#pragma once

#include <QColor>

#include <cstdint>

namespace vexilor {

// Colours are stored as 32-bit integers 0x00BBGGRR: red in the lowest byte, then green, then blue.
constexpr std::uint32_t MakeColorRef(int red, int green, int blue)
{
    return static_cast<std::uint32_t>(red & 0xFF) | static_cast<std::uint32_t>(green & 0xFF) << 8
           | static_cast<std::uint32_t>(blue & 0xFF) << 16;
}

inline std::uint32_t ToColorRef(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return MakeColorRef(rgb.red(), rgb.green(), rgb.blue());
}

// The high byte is not a colour component and is ignored.
inline QColor FromColorRef(std::uint32_t ref)
{
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>(ref >> 8 & 0xFF),
                  static_cast<int>(ref >> 16 & 0xFF));
}

}  // namespace vexilor
