#pragma once
// The window's built-in pictures, stored as resources of the executable.
#include <memory>

#include "platform/picture.h"

namespace qf {

enum ArtworkId {
  kArtBackgroundEp = 101,
  kArtBackgroundPrem = 102,
  kArtBackgroundMain = 103,
  kArtBanner1 = 104,
  kArtBanner2 = 105,
  kArtBanner3 = 106,
  kArtGlyphDownload = 107,
};

// The picture, decoded when it is first drawn, or nothing when the resource
// is missing.
std::shared_ptr<const Picture> LoadArtwork(ArtworkId id);

}  // namespace qf
