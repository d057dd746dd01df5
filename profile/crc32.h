#pragma once
// CRC-32 of ISO-HDLC / IEEE 802.3 (reflected polynomial 0xEDB88320).
#include <cstddef>
#include <cstdint>

namespace qf {

inline constexpr std::uint32_t kCrc32Initial = 0xFFFFFFFFu;

// Feeds bytes into a running (not yet inverted) CRC state.
std::uint32_t Crc32Update(std::uint32_t state, const std::uint8_t* bytes, std::size_t count);

// The finished checksum of a state: every bit inverted.
constexpr std::uint32_t Crc32Finish(std::uint32_t state) { return ~state; }

}  // namespace qf
