// The registry reading rules, against Wine's real registry.
#include <gtest/gtest.h>

#include "common/app_error.h"
#include "platform/registry.h"
#include "tests/windows/test_support.h"

namespace qf {
namespace {

using test::ScopedRegistryValue;
const wchar_t kKey[] = L"Software\\QuarloFetchwellTests\\Rules";

std::wstring ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const AppError& error) {
    return error.Message();
  }
  return L"(no error)";
}

TEST(RegistryRules, IntegerReadsADwordAndNamesTheValueInItsErrors) {
  const std::uint64_t wide = 5;
  const auto a = ScopedRegistryValue::Dword(HKEY_CURRENT_USER, kKey, L"Dword", 0xFFFFFFFFu);
  const auto b = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kKey, L"LongText", L"3000");
  const auto c = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kKey, L"ShortText", L"1");
  const ScopedRegistryValue d(HKEY_CURRENT_USER, kKey, L"Qword", REG_QWORD, &wide, sizeof wide);
  const ScopedRegistryValue e(HKEY_CURRENT_USER, kKey, L"Binary4", REG_BINARY, "\x01\x02\x03\x04", 4);
  const RegistryKey key = RegistryKey::OpenReadOnly(HKEY_CURRENT_USER, kKey);
  ASSERT_TRUE(key.IsOpen());
  EXPECT_EQ(key.ReadInteger(L"Dword"), -1) << "read as signed 32-bit";
  // Text of more than four bytes does not fit the buffer: the read fails.
  EXPECT_EQ(ErrorOf([&] { key.ReadInteger(L"LongText"); }), L"Failed to get data for 'LongText'");
  EXPECT_EQ(ErrorOf([&] { key.ReadInteger(L"ShortText"); }), L"Invalid data type for 'ShortText'");
  EXPECT_EQ(ErrorOf([&] { key.ReadInteger(L"Qword"); }), L"Failed to get data for 'Qword'");
  EXPECT_EQ(ErrorOf([&] { key.ReadInteger(L"Binary4"); }), L"Invalid data type for 'Binary4'");
  EXPECT_EQ(ErrorOf([&] { key.ReadInteger(L"Missing"); }), L"Failed to get data for 'Missing'");
  EXPECT_EQ(ErrorOf([] { ReadRegistryInteger(HKEY_CURRENT_USER, L"Software\\QuarloFetchwellTests\\NoSuchKey", L"AppliedDPI"); }),
            L"Failed to get data for 'AppliedDPI'");
}

TEST(RegistryRules, TextStopsAtNulIsNotExpandedAndRejectsOtherTypes) {
  const auto a = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kKey, L"Plain", L"  Intel(R) Core  ");
  const auto b = ScopedRegistryValue::Text(HKEY_CURRENT_USER, kKey, L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
  const std::wstring withNul(L"left\0right", 10);
  const ScopedRegistryValue c(HKEY_CURRENT_USER, kKey, L"WithNul", REG_SZ, withNul.c_str(),
                              static_cast<DWORD>((withNul.size() + 1) * sizeof(wchar_t)));
  const ScopedRegistryValue d(HKEY_CURRENT_USER, kKey, L"Empty", REG_SZ, L"", 0);
  const ScopedRegistryValue e(HKEY_CURRENT_USER, kKey, L"Unterminated", REG_SZ, L"abc", 6);
  const auto f = ScopedRegistryValue::Dword(HKEY_CURRENT_USER, kKey, L"Number", 7);
  const RegistryKey key = RegistryKey::OpenForReading(HKEY_CURRENT_USER, kKey);
  ASSERT_TRUE(key.IsOpen());
  EXPECT_EQ(key.ReadText(L"Plain"), L"  Intel(R) Core  ");
  EXPECT_EQ(key.ReadText(L"Expand"), L"%SystemRoot%\\x");
  EXPECT_EQ(key.ReadText(L"WithNul"), L"left");
  EXPECT_EQ(key.ReadText(L"Empty"), L"");
  EXPECT_EQ(key.ReadText(L"Unterminated"), L"abc");
  EXPECT_EQ(key.ReadText(L"Missing"), L"");
  EXPECT_EQ(ErrorOf([&] { key.ReadText(L"Number"); }), L"Invalid data type for 'Number'");
}

TEST(RegistryRules, AMissingKeyOpensNothingAndRaisesNothing) {
  const RegistryKey key = RegistryKey::OpenReadOnly(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuarloFetchwellTests\\Nothing");
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.ReadText(L"Anything"), L"");
  EXPECT_FALSE(RegistryKey::OpenForReading(HKEY_CURRENT_USER, L"Software\\QuarloFetchwellTests\\Nothing").IsOpen());
}

}  // namespace
}  // namespace qf
