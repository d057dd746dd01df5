// The reference of the start-up benchmark: an empty window with the download
// window's client size (800 x 600), frame styles and button-face background,
// centred on the screen. It paints its background and closes on WM_CLOSE,
// and does nothing else, so its start-up is what Wine itself takes to show
// a window.
#include <windows.h>

namespace {

const wchar_t kClassName[] = L"EmptyDownloadWindow";
const wchar_t kCaption[] = L"Empty - Download";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr LONG kClientWidth = 800;
constexpr LONG kClientHeight = 600;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kClassName;
  if (!::RegisterClassExW(&windowClass)) return 1;

  // The outer size that gives an 800 x 600 client area with this frame.
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = ::CreateWindowExW(0, kClassName, kCaption, kStyle, x, y, width, height, nullptr, nullptr, instance,
                                  nullptr);
  if (!window) return 1;
  ::ShowWindow(window, show);
  ::UpdateWindow(window);

  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
