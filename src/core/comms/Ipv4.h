#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexilor::comms {

// An IPv4 address as a number in host order (192.168.1.2 is 0xC0A80102).
using Ipv4 = std::uint32_t;

// The "no address" value: 255.255.255.255.
inline constexpr Ipv4 kNoAddress = 0xFFFFFFFFu;

// Dotted decimal "a.b.c.d" (each part 0-255, decimal digits only, blanks around allowed);
// nullopt for anything else.
std::optional<Ipv4> parseIpv4(std::u16string_view text);
std::optional<Ipv4> parseIpv4(std::string_view text);
std::string formatIpv4(Ipv4 address);
std::u16string formatIpv4u(Ipv4 address);

// An address text as the link takes it: empty, not dotted IPv4, or 0.0.0.0 means no address.
std::optional<Ipv4> usableAddress(std::u16string_view text);

// An address text as the user reads it: "none" for what stands for no address (empty, 0.0.0.0,
// 255.255.255.255), the text itself otherwise.
std::u16string displayAddress(std::u16string_view text);

}  // namespace vexilor::comms
