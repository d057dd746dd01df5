// Area-averaging scaling of premultiplied pictures.
#include "common/area_resample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qf {
namespace {

std::vector<std::uint32_t> Scale(const std::vector<std::uint32_t>& source, int sw, int sh, int tw, int th) {
  std::vector<std::uint32_t> target(static_cast<std::size_t>(tw) * th, 0xDEADBEEF);
  ResampleByArea(source.data(), sw, sh, target.data(), tw, th);
  return target;
}

std::uint32_t Grey(std::uint32_t v) { return 0xFF000000u | v << 16 | v << 8 | v; }

TEST(ResampleByArea, AFlatColourStaysExactlyThatColourAtAnySize) {
  const struct {
    int sw, sh, tw, th;
  } sizes[] = {{1600, 1200, 800, 600}, {1600, 350, 800, 145}, {1600, 290, 1200, 218}, {7, 5, 3, 2},
               {3, 2, 7, 5},           {1, 1, 5, 4},           {5, 4, 1, 1},           {32, 32, 48, 48}};
  const std::uint32_t colour = 0x80402010;  // premultiplied: alpha 0x80
  for (const auto& s : sizes) {
    const auto out = Scale(std::vector<std::uint32_t>(static_cast<std::size_t>(s.sw) * s.sh, colour), s.sw, s.sh,
                           s.tw, s.th);
    for (std::uint32_t pixel : out) ASSERT_EQ(pixel, colour) << s.sw << "x" << s.sh << " to " << s.tw << "x" << s.th;
  }
}

TEST(ResampleByArea, HalvingAveragesTwoByTwoBlocks) {
  // 4 x 2 source: two 2 x 2 blocks.
  const std::vector<std::uint32_t> source = {Grey(0), Grey(100), Grey(200), Grey(255),
                                             Grey(40), Grey(60), Grey(255), Grey(255)};
  EXPECT_EQ(Scale(source, 4, 2, 2, 1), (std::vector<std::uint32_t>{Grey(50), Grey(241)}));  // 241.25
}

TEST(ResampleByArea, PartlyCoveredPixelsCountByTheirShare) {
  // Three pixels into two: each target covers one and a half source pixels.
  const std::vector<std::uint32_t> source = {Grey(0), Grey(90), Grey(180)};
  EXPECT_EQ(Scale(source, 3, 1, 2, 1), (std::vector<std::uint32_t>{Grey(30), Grey(150)}));
}

TEST(ResampleByArea, ChannelsAreAveragedApart) {
  // Transparent black beside opaque red: half-transparent, premultiplied red.
  const std::vector<std::uint32_t> source = {0x00000000, 0xFFFF0000};
  EXPECT_EQ(Scale(source, 2, 1, 1, 1), (std::vector<std::uint32_t>{0x80800000}));
}

TEST(ResampleByArea, TheSameSizeCopiesAndEnlargingRepeats) {
  const std::vector<std::uint32_t> source = {Grey(1), Grey(2), Grey(3), Grey(4)};
  EXPECT_EQ(Scale(source, 2, 2, 2, 2), source);
  EXPECT_EQ(Scale(source, 2, 2, 4, 4),
            (std::vector<std::uint32_t>{Grey(1), Grey(1), Grey(2), Grey(2), Grey(1), Grey(1), Grey(2), Grey(2),
                                        Grey(3), Grey(3), Grey(4), Grey(4), Grey(3), Grey(3), Grey(4), Grey(4)}));
}

}  // namespace
}  // namespace qf
