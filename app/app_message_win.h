#pragma once
// The program's own message boxes: "QUARLO", an empty line, the message.
#include <windows.h>

#include <string>

#include "app/session_ports.h"

namespace qf {

// Shows a modal box of the kind (its icon and the caption "Warning" or
// "Error") with the whole text and the buttons (MB_OK and the like) and
// returns the button pressed (IDOK and the like).
int ShowAppMessage(HWND owner, const std::wstring& text, BoxKind kind, UINT buttons);

}  // namespace qf
