#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vexilor {

// Resource types as numbered in the resource directory of a PE file.
inline constexpr std::uint16_t kPeResourceTypeMenu = 4;

// Finds the resource of numeric type and numeric name in the bytes of a PE32 or PE32+ file and
// takes its first language entry, as a loader does when no language is asked for. On success data
// views the resource's bytes inside image. On failure returns false with a short English reason
// in error: the file is not a PE file, a structure lies outside the file, the directory is
// malformed or hostile (loops, absurd counts, too deep), or the resource is absent.
// Never reads outside image.
bool findPeResource(std::span<const std::uint8_t> image, std::uint16_t type, std::uint16_t name,
                    std::span<const std::uint8_t>& data, std::string& error);

}  // namespace vexilor
