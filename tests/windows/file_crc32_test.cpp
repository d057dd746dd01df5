// FileCrc32 against zlib's crc32 on real files.
#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/module_path.h"
#include "platform/unique_handle.h"
#include "profile/file_crc32_win.h"
#include "tests/windows/test_support.h"

namespace qf {
namespace {

std::uint32_t ZlibCrc(const std::string& bytes) {
  return static_cast<std::uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::uint32_t Crc(const std::wstring& path) {
  std::uint32_t value = 12345;
  FileCrc32(path, value);
  return value;
}

TEST(FileCrc32, MatchesZlibAroundTheBlockSizeAndForLargeFiles) {
  test::ScratchFolder folder;
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65520}, std::size_t{65521},
                           std::size_t{65522}, std::size_t{3 * 65521}, std::size_t{6 * 1024 * 1024 + 7}}) {
    const std::string bytes = test::RandomBytes(size, static_cast<std::uint32_t>(size));
    const std::wstring path = folder.File(L"data-" + std::to_wstring(size) + L".bin");
    test::WriteFileBytes(path, bytes);
    EXPECT_EQ(Crc(path), ZlibCrc(bytes)) << size << " bytes";
  }
}

TEST(FileCrc32, AMissingFileAndAnEmptyFileBothGiveZero) {
  test::ScratchFolder folder;
  test::WriteFileBytes(folder.File(L"empty"), "");
  EXPECT_EQ(Crc(folder.File(L"empty")), 0u);
  EXPECT_EQ(Crc(folder.File(L"missing")), 0u);
  EXPECT_EQ(Crc(folder.Path()), 0u) << "a folder is not a readable file";
}

TEST(FileCrc32, ReadsAFileAnotherHandleHoldsOpenForWriting) {
  test::ScratchFolder folder;
  const std::wstring path = folder.File(L"busy.bin");
  const std::string bytes = test::RandomBytes(200000, 7);
  const UniqueFile writer(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(writer);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(writer.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  EXPECT_EQ(Crc(path), ZlibCrc(bytes));
}

TEST(FileCrc32, TheRunningProgramsOwnFile) {
  const std::wstring self = OwnExecutablePath();
  EXPECT_EQ(Crc(self), ZlibCrc(test::ReadFileBytes(self)));
}

}  // namespace
}  // namespace qf
