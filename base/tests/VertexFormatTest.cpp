#include "base/VertexFormat.h"

#include <gtest/gtest.h>

namespace kx::fvf {
namespace {

TEST(VertexFormat, PositionPartsGrowByOneFloatPerBlendWeight) {
    EXPECT_EQ(PositionBytes(kXyz), 12u);
    EXPECT_EQ(PositionBytes(kXyzRhw), 16u);
    EXPECT_EQ(PositionBytes(0x006), 16u);
    EXPECT_EQ(PositionBytes(0x00E), 32u);
    // Bits outside the position part do not change it; unknown parts are 0.
    EXPECT_EQ(PositionBytes(kXyz | kNormal | kTex2), 12u);
    EXPECT_EQ(PositionBytes(0), 0u);
    EXPECT_EQ(PositionBytes(0x4002), 0u);
}

TEST(VertexFormat, TextureSetSizesFollowTheTwoBitField) {
    EXPECT_EQ(TexSetBytes(0), 8u);
    EXPECT_EQ(TexSetBytes(1), 12u);
    EXPECT_EQ(TexSetBytes(2), 16u);
    EXPECT_EQ(TexSetBytes(3), 4u);
}

}  // namespace
}  // namespace kx::fvf
