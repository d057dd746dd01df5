#pragma once
// Scaling of premultiplied 32-bit pictures by area averaging: each target
// pixel is the average of the source area it covers, weighted by how much of
// each source pixel it covers. Halving a picture averages 2 x 2 blocks, which
// looks smooth, costs a few operations a pixel and needs no library.
#include <cstdint>

namespace qf {

// Scales source (sourceWidth x sourceHeight pixels, rows packed) into target
// (targetWidth x targetHeight, rows packed). Each pixel is four 8-bit
// channels in any order; channels are averaged independently, which is right
// for premultiplied alpha. Sizes must be positive.
void ResampleByArea(const std::uint32_t* source, int sourceWidth, int sourceHeight, std::uint32_t* target,
                    int targetWidth, int targetHeight);

}  // namespace qf
