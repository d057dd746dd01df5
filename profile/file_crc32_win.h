#pragma once
#include <cstdint>
#include <string>

namespace qf {
// The CRC-32 of all bytes of a file. A file that cannot be opened gives 0; a
// read that fails part-way gives the checksum of the bytes read before it.
void FileCrc32(const std::wstring& path, std::uint32_t& checksum);
}  // namespace qf
