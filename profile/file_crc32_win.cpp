#include "profile/file_crc32_win.h"

#include <windows.h>

#include <vector>

#include "platform/unique_handle.h"
#include "profile/crc32.h"

namespace qf {

namespace {
// The block size the checksum reads with (0xFFF1, not 64 KiB).
constexpr DWORD kCrcBlockBytes = 65521;
}  // namespace

void FileCrc32(const std::wstring& path, std::uint32_t& checksum) {
  checksum = kCrc32Initial;
  // Sharing writing as well lets the running program's own file, or a file
  // another program is writing, be read.
  const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file) {
    std::vector<std::uint8_t> block(kCrcBlockBytes);
    DWORD got = 0;
    while (::ReadFile(file.get(), block.data(), kCrcBlockBytes, &got, nullptr) && got > 0)
      checksum = Crc32Update(checksum, block.data(), got);
  }
  checksum = Crc32Finish(checksum);
}

}  // namespace qf
