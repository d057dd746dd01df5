#pragma once
// The installer download's rules, kept apart from Win32 so that they can be
// tested natively: where the installer is stored, which build texts may name
// a file there, the info bar text and the progress arithmetic.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qf {

inline constexpr wchar_t kDownloadCompleted[] = L"Download completato";
inline constexpr wchar_t kNoAddressMessage[] =
    L"Impossibile scaricare il programma, provare a disattivare l'Antivirus o il FireWall";
inline constexpr wchar_t kDownloadFailedMessage[] = L"Errore scaricamento programma";
inline constexpr wchar_t kAppMessageTitle[] = L"QUARLO";

// The program's work folder: the "TEMP" folder (empty when the variable is
// not set) with a delimiter, then "_Ostrel".
std::wstring WorkFolderFor(std::wstring_view temp);

// The installer's file name and path in the work folder.
std::wstring InstallerFileNameFor(std::wstring_view build);
std::wstring InstallerPathFor(std::wstring_view workFolder, std::wstring_view build);

// True when name can be used as one file name inside a folder on Windows:
// not empty, at most 255 code units, none of the characters Windows forbids
// (control characters, < > : " / \ | ? *), no trailing dot or space, not "."
// or "..", and not a reserved device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, CONIN$, CONOUT$), with or without an extension.
bool IsSafeFileName(std::wstring_view name);

// Windows' classic path limit (259 characters) less the ".partial" the
// download is written to first: the shell starts nothing longer.
inline constexpr std::size_t kMaxInstallerPathChars = 259 - 8;

// The largest installer stored: a Windows program image cannot pass 4 GiB,
// so a longer body is no installer and must not fill the user's disk.
inline constexpr std::uint64_t kMaxInstallerBytes = std::uint64_t{4} << 30;

// The installer path for a build text from the network, or nothing when the
// build would name a file outside the work folder, an invalid file name or
// a path too long for the shell. ".." anywhere in the build is refused too:
// it never belongs in a build number.
std::optional<std::wstring> SafeInstallerPathFor(std::wstring_view workFolder, std::wstring_view build);

// "Build <build> del <date> - dimensione <size> MB".
std::wstring InfoBarText(std::wstring_view build, std::wstring_view date, std::wstring_view sizeMb);

// Whole percent of the body received, 0 to 100. With an announced length it
// is read * 100 / total, rounded toward zero, in 64-bit arithmetic that
// cannot overflow. Without one (total <= 0) the bar still moves: it creeps
// toward 99 as bytes arrive; the end of the transfer sets 100.
int ProgressPercent(std::int64_t total, std::int64_t read);

}  // namespace qf
