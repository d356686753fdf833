#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "intercom/BitArray.h"

namespace vexilor::cli {

// Ascending numbers below count for which has(n) holds, runs written "a-b", comma-separated:
// "1-4,9". Empty when there are none.
std::string rangeText(std::uint32_t count, const std::function<bool(std::uint32_t)>& has);
// The set bits of an array.
std::string rangeText(const CBitArray& bits);

}  // namespace vexilor::cli
