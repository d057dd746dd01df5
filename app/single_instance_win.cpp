#include "app/single_instance_win.h"

#include <cstdint>

#include "common/sha256.h"

namespace qf {

namespace {

// The landing address as a short key: a name holds no address text, which
// may be long and may hold characters names cannot.
std::wstring KeyFor(const std::wstring& landingAddress) {
  const Sha256Digest digest =
      Sha256(reinterpret_cast<const std::uint8_t*>(landingAddress.data()), landingAddress.size() * sizeof(wchar_t));
  std::wstring key;
  for (int i = 0; i < 8; ++i) {
    key.push_back(L"0123456789abcdef"[digest[i] >> 4]);
    key.push_back(L"0123456789abcdef"[digest[i] & 0xF]);
  }
  return key;
}

struct Search {
  const wchar_t* property;
  HWND found;
};

BOOL CALLBACK FindClaimed(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  if (!::GetPropW(window, search->property)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

SingleInstance::SingleInstance(const std::wstring& landingAddress) {
  const std::wstring key = KeyFor(landingAddress);
  property_ = L"QuarloFetchwell." + key;
  // "Local\": one per user session. The mutex lives as long as this copy.
  mutex_.reset(::CreateMutexW(nullptr, FALSE, (L"Local\\QuarloFetchwell-" + key).c_str()));
  first_ = !(mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS);
}

void SingleInstance::Claim(HWND window) const {
  ::SetPropW(window, property_.c_str(), reinterpret_cast<HANDLE>(1));
}

void SingleInstance::ActivateRunning() const {
  Search search{property_.c_str(), nullptr};
  ::EnumWindows(FindClaimed, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return;
  if (::IsIconic(search.found)) ::ShowWindowAsync(search.found, SW_RESTORE);
  ::SetForegroundWindow(search.found);
}

}  // namespace qf
