#include "common/area_resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace qf {

namespace {

constexpr std::uint32_t kOne = 1u << 16;  // weights are 16.16 fixed point

struct Tap {
  int index;
  std::uint32_t weight;
};

// For each of targetLength cells, the source cells it covers and their
// weights, which sum to kOne exactly.
struct Taps {
  std::vector<std::size_t> first;  // targetLength + 1 offsets into taps
  std::vector<Tap> taps;
};

Taps TapsFor(int sourceLength, int targetLength) {
  Taps result;
  result.first.reserve(static_cast<std::size_t>(targetLength) + 1);
  const double scale = static_cast<double>(sourceLength) / targetLength;
  for (int i = 0; i < targetLength; ++i) {
    result.first.push_back(result.taps.size());
    const double start = i * scale, end = (i + 1) * scale;
    const int from = static_cast<int>(std::floor(start));
    const int to = std::min(sourceLength, static_cast<int>(std::ceil(end)));
    std::uint32_t sum = 0;
    std::size_t largest = result.taps.size();
    for (int s = from; s < to; ++s) {
      const double covered = std::min(end, s + 1.0) - std::max(start, static_cast<double>(s));
      if (covered <= 0) continue;
      const auto weight = static_cast<std::uint32_t>(std::lround(covered / scale * kOne));
      if (weight == 0) continue;
      if (largest == result.taps.size() || weight > result.taps[largest].weight) largest = result.taps.size();
      result.taps.push_back({s, weight});
      sum += weight;
    }
    // Rounding leaves the sum a little off: the largest tap takes the rest,
    // so that a flat colour stays exactly that colour.
    if (largest < result.taps.size()) result.taps[largest].weight += kOne - sum;
  }
  result.first.push_back(result.taps.size());
  return result;
}

}  // namespace

void ResampleByArea(const std::uint32_t* source, int sourceWidth, int sourceHeight, std::uint32_t* target,
                    int targetWidth, int targetHeight) {
  const Taps across = TapsFor(sourceWidth, targetWidth);
  const Taps down = TapsFor(sourceHeight, targetHeight);
  // Rows scaled across first, each channel kept with 8 more bits.
  std::vector<std::uint16_t> rows(static_cast<std::size_t>(targetWidth) * sourceHeight * 4);
  for (int y = 0; y < sourceHeight; ++y) {
    const std::uint32_t* in = source + static_cast<std::size_t>(y) * sourceWidth;
    std::uint16_t* out = rows.data() + static_cast<std::size_t>(y) * targetWidth * 4;
    for (int x = 0; x < targetWidth; ++x) {
      std::uint32_t sums[4] = {0, 0, 0, 0};
      for (std::size_t t = across.first[x]; t < across.first[x + 1]; ++t) {
        const std::uint32_t pixel = in[across.taps[t].index];
        const std::uint32_t weight = across.taps[t].weight;
        for (int c = 0; c < 4; ++c) sums[c] += ((pixel >> (8 * c)) & 0xFF) * weight;
      }
      for (int c = 0; c < 4; ++c) out[x * 4 + c] = static_cast<std::uint16_t>((sums[c] + 0x80) >> 8);
    }
  }
  // Then down the columns.
  for (int y = 0; y < targetHeight; ++y) {
    std::uint32_t* out = target + static_cast<std::size_t>(y) * targetWidth;
    for (int x = 0; x < targetWidth; ++x) {
      std::uint64_t sums[4] = {0, 0, 0, 0};
      for (std::size_t t = down.first[y]; t < down.first[y + 1]; ++t) {
        const std::uint16_t* in = rows.data() + (static_cast<std::size_t>(down.taps[t].index) * targetWidth + x) * 4;
        const std::uint64_t weight = down.taps[t].weight;
        for (int c = 0; c < 4; ++c) sums[c] += in[c] * weight;
      }
      std::uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c) {
        const auto channel = static_cast<std::uint32_t>(std::min<std::uint64_t>(255, (sums[c] + (1u << 23)) >> 24));
        pixel |= channel << (8 * c);
      }
      out[x] = pixel;
    }
  }
}

}  // namespace qf
