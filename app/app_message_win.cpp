#include "app/app_message_win.h"

namespace qf {

int ShowAppMessage(HWND owner, const std::wstring& text, BoxKind kind, UINT buttons) {
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
