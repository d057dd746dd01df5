// Browser probes and the version-resource reader, with fixture keys and
// small program files built for the tests.
#include <gtest/gtest.h>

#include "common/app_error.h"
#include "platform/file_system.h"
#include "platform/module_path.h"
#include "profile/browser_probes_win.h"
#include "profile/my_exe_info_win.h"
#include "tests/windows/test_support.h"

namespace qf {
namespace {

using test::ScopedRegistryValue;
const wchar_t kFirefox64[] = L"SOFTWARE\\Wow6432Node\\Mozilla\\Mozilla Firefox";
const wchar_t kFirefoxNative[] = L"SOFTWARE\\Mozilla\\Mozilla Firefox";
const wchar_t kChrome[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe";
const wchar_t kIe[] = L"Software\\Microsoft\\Internet Explorer";

TEST(ExeInfo, ANewObjectHoldsTheProgramsOwnValues) {
  TMyExeInfo info;
  EXPECT_EQ(info.FileVersion, L"7.6.5.4 (test build)");
  EXPECT_EQ(info.ProductName, L"Quarlo Fetchwell");
  EXPECT_EQ(info.CompanyName, L"Quarlo");
  EXPECT_EQ(info.OriginalFileName, L"windows_tests.exe");
  EXPECT_EQ(info.Comments, L"") << "a string the resource lacks reads empty";
  EXPECT_EQ(info.FileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(info.FileVersionPart(0), 7);
  EXPECT_EQ(info.FileVersionPart(3), 4);
  EXPECT_FALSE(info.ComputerName().empty());
  EXPECT_LE(info.ComputerName().size(), 15u);
  EXPECT_NE(info.FileDate.wYear, 0) << "no date in the fixed part: the program file's time";
}

TEST(ExeInfo, AnotherFilesValuesReplaceThemAndAFileWithoutResourceLeavesThem) {
  TMyExeInfo info;
  info.GetVersionInfoOfApp(test::StubPath(L"stub_chrome.exe"));
  EXPECT_EQ(info.FileVersion, L"120.0.6099.130");
  EXPECT_EQ(info.FileVersionPart(2), 6099);
  info.GetVersionInfoOfApp(test::StubPath(L"stub_no_version.exe"));
  EXPECT_EQ(info.FileVersion, L"120.0.6099.130");
  info.GetVersionInfoOfApp(L"C:\\no\\such\\file.exe");
  EXPECT_EQ(info.FileVersion, L"120.0.6099.130");
}

TEST(FirefoxProbe, MajorNumberFromTheRegistryViewOfA64BitSystem) {
  const struct { std::optional<std::wstring> wow, native; std::int32_t expected; } cases[] = {
      {L"115.0.2 (x64 it)", std::nullopt, 115},
      {L"  128 .0", std::nullopt, 128},
      {L"esr", std::nullopt, 0},
      {L"", std::nullopt, 0},
      {std::nullopt, L"115.0.2 (x64 it)", 0},  // only the native key: not looked at on x64
  };
  for (const auto& c : cases) {
    std::optional<ScopedRegistryValue> wow, native;
    if (c.wow) {
      wow.emplace(ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kFirefox64, L"CurrentVersion", *c.wow));
    }
    if (c.native) {
      native.emplace(ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kFirefoxNative, L"CurrentVersion", *c.native));
    }
    EXPECT_EQ(GetFirefoxMajorVersion(), c.expected) << (c.wow ? "wow" : "native");
  }
  const auto number = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, kFirefox64, L"CurrentVersion", 115);
  EXPECT_THROW(GetFirefoxMajorVersion(), AppError);
}

TEST(ChromeProbe, VersionOfChromeExeInTheRegisteredFolder) {
  test::ScratchFolder folder;
  ASSERT_TRUE(test::CopyFileTo(test::StubPath(L"stub_chrome.exe"), folder.File(L"chrome.exe")));
  {
    const auto path = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kChrome, L"Path", folder.Path());
    EXPECT_EQ(GetChromeMajorVersion(), 120);
  }
  {
    const auto path = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kChrome, L"Path", folder.Path() + L"\\");
    EXPECT_EQ(GetChromeMajorVersion(), 120) << "a trailing delimiter is not doubled";
  }
  {
    const auto path = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kChrome, L"Path", folder.File(L"elsewhere"));
    EXPECT_EQ(GetChromeMajorVersion(), 0) << "chrome.exe missing from the folder";
  }
  {
    test::ScratchFolder bare;
    ASSERT_TRUE(test::CopyFileTo(test::StubPath(L"stub_no_version.exe"), bare.File(L"chrome.exe")));
    const auto path = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kChrome, L"Path", bare.Path());
    EXPECT_EQ(GetChromeMajorVersion(), 7) << "no version resource: the program's own version";
  }
  EXPECT_EQ(GetChromeMajorVersion(), 0) << "not registered";
}

TEST(IeProbe, RegistryValueFirstThenTheProgramFile) {
  const wchar_t* iePath = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
  const std::wstring saved = test::ReadFileBytes(iePath).empty() ? L"" : L"present";
  test::ScratchFolder backup;
  if (!saved.empty()) {
    ASSERT_TRUE(test::CopyFileTo(iePath, backup.File(L"iexplore.exe")));
  }

  {
    const auto v = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kIe, L"svcVersion", L"11.1.19041.0");
    EXPECT_EQ(GetIeMajorVersion(), 11);
  }
  {
    const auto v = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kIe, L"svcVersion", L"9");
    EXPECT_EQ(GetIeMajorVersion(), 9);
  }
  {
    // Letters go on to the file, here a stand-in whose version string carries a build remark.
    ::CreateDirectoryW(L"C:\\Program Files\\Internet Explorer", nullptr);
    ASSERT_TRUE(test::CopyFileTo(test::StubPath(L"stub_iexplore.exe"), iePath));
    const auto v = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kIe, L"svcVersion", L"undici");
    EXPECT_EQ(GetIeMajorVersion(), 11);
    ::DeleteFileW(iePath);
    EXPECT_EQ(GetIeMajorVersion(), 0) << "no file: the letters fail the conversion";
  }
  {
    const auto v = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, kIe, L"svcVersion", 11);
    EXPECT_THROW(GetIeMajorVersion(), AppError);
  }
  if (!saved.empty()) test::CopyFileTo(backup.File(L"iexplore.exe"), iePath);
}

TEST(DefaultBrowser, TheExecutableAssociatedWithHtmFiles) {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring probe = std::wstring(temp) + L"htmpl.htm";
  const std::wstring handler = test::StubPath(L"stub_chrome.exe");
  {
    const auto ext = ScopedRegistryValue::Text(HKEY_CLASSES_ROOT, L".htm", L"", L"QuarloTest.htm");
    const auto command = ScopedRegistryValue::Text(HKEY_CLASSES_ROOT, L"QuarloTest.htm\\shell\\open\\command", L"",
                                                   L"\"" + handler + L"\" \"%1\"");
    EXPECT_EQ(GetDefaultBrowserExe(), L"stub_chrome.exe");
    test::WriteFileBytes(probe, "not empty");
    EXPECT_EQ(GetDefaultBrowserExe(), L"stub_chrome.exe");
    EXPECT_TRUE(FileExists(probe));
    EXPECT_EQ(test::ReadFileBytes(probe), "") << "the probe file is left behind, empty";
  }
  const auto none = ScopedRegistryValue::Absent(HKEY_CLASSES_ROOT, L".htm", L"");
  EXPECT_EQ(GetDefaultBrowserExe(), L"");
}

}  // namespace
}  // namespace qf
