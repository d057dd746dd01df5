#include "app/app_message_win.h"

#include "app/window_rules.h"

namespace qf {

int ShowAppMessage(HWND owner, const std::wstring& message, const std::wstring& title, BoxKind kind, UINT buttons) {
  const std::wstring text = AppMessageText(message, title);
  MSGBOXPARAMSW params{};
  params.cbSize = sizeof params;
  params.hwndOwner = owner;  // modal to the window
  params.hInstance = ::GetModuleHandleW(nullptr);
  params.lpszText = text.c_str();
  params.lpszCaption = kind == BoxKind::Warning ? L"Warning" : L"Error";
  params.dwStyle = buttons | (kind == BoxKind::Warning ? MB_ICONWARNING : MB_ICONERROR);
  params.dwContextHelpId = 1;
  return ::MessageBoxIndirectW(&params);
}

}  // namespace qf
