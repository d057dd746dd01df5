#include "app/window_rules.h"

namespace qf {

void ApplyLabelRule(LabelState& label, const std::wstring& value) {
  if (!value.empty()) label.caption = value;
  if (value == L"NO") label.visible = false;
}

void ApplyDeploymentSettings(WindowTexts& t, const std::function<std::wstring(const wchar_t* key)>& read) {
  LabelState* labels[] = {&t.titolo, &t.sottoTitolo, &t.testo1, &t.link};
  std::wstring* fields[] = {&t.sImgMainLink,       &t.sImg1Link,          &t.sImg2Link,
                            &t.sImg3Link,          &t.sDownloadSetupLink, &t.sDownloadFileBuild,
                            &t.sDownloadFileData,  &t.sDimensioneSetup_MB};
  for (std::size_t i = 0; i < kSettingsKeys.size(); ++i) {
    std::wstring value = read(kSettingsKeys[i]);
    if (value.size() > kMaxSettingsValueChars) value.clear();  // as if the key were not there
    if (i < 4) ApplyLabelRule(*labels[i], value);
    else *fields[i - 4] = value;
  }
}

BannerStrip NextBannerTick(BannerStrip s) {
  if (s.first) return {false, true, false};
  if (s.second) return {false, false, true};
  if (s.third) return {s.first, false, false};
  return s;
}

std::wstring DefaultErrorBoxText(const std::wstring& message) {
  if (!message.empty() && static_cast<std::uint32_t>(message.back()) > L'.') return message + L".";
  return message;
}

std::wstring AppMessageText(const std::wstring& message, const std::wstring& title) {
  if (title.empty()) return message;
  return title + L"\r\n\r\n" + message;
}

}  // namespace qf
