#pragma once
// The download window's state rules, kept apart from Win32 so that they can
// be tested natively: captions, how the settings apply to labels and fields,
// the banner steps and the texts of the message boxes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace qf {

inline constexpr wchar_t kApplicationTitle[] = L"Quarlo Fetchwell";
inline constexpr wchar_t kCaptionWaiting[] = L"Quarlo - Download - Attendere";
inline constexpr wchar_t kCaptionReady[] = L"Quarlo - Download";

struct LabelState {
  std::wstring caption;
  bool visible = true;
};

// A settings value applied to a label: a non-empty value becomes its
// caption; the exact value "NO" then hides it. An empty value changes nothing.
void ApplyLabelRule(LabelState& label, const std::wstring& value);

// What the settings fill in: four labels and eight text fields.
struct WindowTexts {
  LabelState titolo{L"Download Ostrel", true};
  LabelState sottoTitolo{L"Software Gestionale", true};
  LabelState testo1{L"Il pi\u00F9 completo software gestionale", true};
  LabelState link{L"", true};
  std::wstring sImgMainLink, sImg1Link, sImg2Link, sImg3Link;
  std::wstring sDownloadSetupLink, sDownloadFileBuild, sDownloadFileData, sDimensioneSetup_MB;
};

// The twelve settings keys in the order they are read.
inline constexpr std::array<const wchar_t*, 12> kSettingsKeys = {
    L"Titolo",         L"Sottotitolo",    L"Testo1",         L"Link",
    L"ImgMain_link",   L"ImgSmall1_link", L"ImgSmall2_link", L"ImgSmall3_link",
    L"DownloadLink",   L"BuildSetup",     L"DataSetup",      L"DimensioneSetup_MB"};

// The longest settings value the window takes: more than any address a
// browser accepts (about 2,000 characters in the oldest, 8 KiB on servers)
// and far more than a label can show. A longer value comes from no real
// landing page and is taken as empty, as if its key were missing.
inline constexpr std::size_t kMaxSettingsValueChars = 8192;

// Reads each key in order with read and applies its value before the next
// key is read: the label rule for the first four, stored as they are for
// the rest. Values over kMaxSettingsValueChars count as empty.
void ApplyDeploymentSettings(WindowTexts& texts, const std::function<std::wstring(const wchar_t* key)>& read);

// The banner strip: which of the three banners is visible.
struct BannerStrip {
  bool first = true, second = false, third = false;
  bool operator==(const BannerStrip&) const = default;
};
// One timer tick: 1 -> 2 -> 3 -> none, and none stays none.
BannerStrip NextBannerTick(BannerStrip strip);

// The text of the default error box: the message, with a period added when
// its last character's code is above that of the period.
std::wstring DefaultErrorBoxText(const std::wstring& message);

// The text of the download's message boxes: title, an empty line, message.
std::wstring AppMessageText(const std::wstring& message, const std::wstring& title);

}  // namespace qf
