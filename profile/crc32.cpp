#include "profile/crc32.h"

#include <array>

namespace qf {

namespace {
constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1u) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
    table[i] = value;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x77073096u && kTable[255] == 0x2D02EF8Du, "standard CRC-32 table");
}  // namespace

std::uint32_t Crc32Update(std::uint32_t state, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) state = (state >> 8) ^ kTable[(state ^ bytes[i]) & 0xFFu];
  return state;
}

}  // namespace qf
