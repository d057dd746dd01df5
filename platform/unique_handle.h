#pragma once
// One owner type for every kind of Windows handle, so that each is closed on
// every path, exceptions included.
#include <windows.h>

#include <utility>

namespace qf {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }
  Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) noexcept {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = h;
  }
  // For APIs that return a handle through an out pointer.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};
using UniqueModule = UniqueHandle<ModuleTraits>;

}  // namespace qf
