#pragma once
#include <windows.h>
#include <winhttp.h>

#include "platform/unique_handle.h"

namespace qf {
struct WinHttpTraits {
  using Handle = HINTERNET;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::WinHttpCloseHandle(h); }
};
using WinHttpHandle = UniqueHandle<WinHttpTraits>;
}  // namespace qf
