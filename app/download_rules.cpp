#include "app/download_rules.h"

#include <array>

#include "common/text.h"

namespace qf {

namespace {

// Bytes at which the bar without a known length stands half-way.
constexpr std::int64_t kUnknownLengthHalfway = 4 * 1024 * 1024;

bool IsForbiddenInFileName(wchar_t c) {
  if (c < 0x20) return true;
  switch (c) {
    case L'<': case L'>': case L':': case L'"': case L'/': case L'\\': case L'|': case L'?': case L'*':
      return true;
    default:
      return false;
  }
}

bool SameAsciiNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Device names Windows resolves in any folder, whatever the extension; it
// also ignores trailing spaces before the extension ("CON .txt").
bool IsReservedDeviceName(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (std::wstring_view reserved : kPlain)
    if (SameAsciiNoCase(stem, reserved)) return true;
  if (stem.size() == 4 && (SameAsciiNoCase(stem.substr(0, 3), L"COM") || SameAsciiNoCase(stem.substr(0, 3), L"LPT"))) {
    // COM1..COM9 and LPT1..LPT9, and the superscript digits Windows also takes.
    const wchar_t d = stem[3];
    return (d >= L'1' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3';
  }
  return false;
}

}  // namespace

std::wstring WorkFolderFor(std::wstring_view temp) { return IncludeTrailingDelimiterIfAny(temp) + L"_Ostrel"; }

std::wstring InstallerFileNameFor(std::wstring_view build) {
  std::wstring name = L"setup_B";
  name.append(build).append(L".exe");
  return name;
}

std::wstring InstallerPathFor(std::wstring_view workFolder, std::wstring_view build) {
  std::wstring path(workFolder);
  path.append(L"\\").append(L"SETUP_DEPLOY_A").append(L"\\").append(InstallerFileNameFor(build));
  return path;
}

bool IsSafeFileName(std::wstring_view name) {
  if (name.empty() || name.size() > 255 || name == L"." || name == L"..") return false;
  for (wchar_t c : name)
    if (IsForbiddenInFileName(c)) return false;
  if (name.back() == L'.' || name.back() == L' ') return false;
  return !IsReservedDeviceName(name);
}

std::optional<std::wstring> SafeInstallerPathFor(std::wstring_view workFolder, std::wstring_view build) {
  if (build.find(L"..") != std::wstring_view::npos) return std::nullopt;
  if (!IsSafeFileName(InstallerFileNameFor(build))) return std::nullopt;
  std::wstring path = InstallerPathFor(workFolder, build);
  if (path.size() > kMaxInstallerPathChars) return std::nullopt;
  return path;
}

std::wstring InfoBarText(std::wstring_view build, std::wstring_view date, std::wstring_view sizeMb) {
  std::wstring text = L"Build ";
  text.append(build).append(L" del ").append(date).append(L" - dimensione ").append(sizeMb).append(L" MB");
  return text;
}

int ProgressPercent(std::int64_t total, std::int64_t read) {
  if (read <= 0) return 0;
  if (total <= 0) {
    // Creeps toward 99: half-way at kUnknownLengthHalfway bytes.
    const long double share = static_cast<long double>(read) / (static_cast<long double>(read) + kUnknownLengthHalfway);
    return static_cast<int>(share * 99.0L);
  }
  if (read >= total) return 100;
  // read < total here, so the quotient is below 100; 128-bit products keep
  // read * 100 exact for any 64-bit length.
  __extension__ using Wide = __int128;
  return static_cast<int>((static_cast<Wide>(read) * 100) / total);
}

}  // namespace qf
