#include "app/artwork_win.h"

#include <windows.h>

#include <string_view>

namespace qf {

std::shared_ptr<const Picture> LoadArtwork(ArtworkId id) {
  // Resources of a loaded image stay mapped for its life: nothing to free.
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return nullptr;
  HGLOBAL loaded = ::LoadResource(self, found);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return nullptr;
  // Decoded when first drawn: a hidden picture costs nothing.
  return Picture::DecodeWhenDrawn(std::string_view(static_cast<const char*>(bytes), ::SizeofResource(self, found)));
}

}  // namespace qf
