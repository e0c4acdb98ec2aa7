#include "container/CheckedReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace kx {
namespace {

TEST(CheckedReader, AFailureIsOneLineBehindThePlace) {
    const std::vector<uint8_t> bytes = {1, 2, 3};
    CheckedReader in(bytes);
    EXPECT_TRUE(in.Failure().Ok());
    uint32_t v = 0;
    EXPECT_FALSE(in.In().U32(v));
    EXPECT_FALSE(in.Whole("header"));
    EXPECT_EQ(in.Failure().GetFault(), Fault::Damaged);
    EXPECT_EQ(in.Failure().Reason(), "file ends inside the header");

    CheckedReader placed(bytes);
    placed.Where() = "part 0 at byte 0";
    placed.Where() += " (id 0x1)";
    EXPECT_FALSE(placed.Fail("a second \"surf\" chunk", Fault::Refused));
    EXPECT_EQ(placed.Failure().GetFault(), Fault::Refused);
    EXPECT_EQ(placed.Failure().Reason(), "part 0 at byte 0 (id 0x1): a second \"surf\" chunk");
}

TEST(CheckedReader, CountsFitTheBytesLeftWithoutOverflow) {
    const std::vector<uint8_t> bytes(12);
    CheckedReader in(bytes);
    EXPECT_TRUE(in.Fits(3, 4));
    EXPECT_FALSE(in.Fits(4, 4));
    EXPECT_TRUE(in.Fits(std::numeric_limits<size_t>::max(), 0));  // records of no bytes
    // A product that wraps around must not pass for a small one.
    EXPECT_FALSE(in.Fits(std::numeric_limits<size_t>::max() / 2 + 2, 2));
    EXPECT_TRUE(in.In().Skip(8));
    EXPECT_TRUE(in.Fits(1, 4));
    EXPECT_FALSE(in.Fits(2, 4));
    EXPECT_TRUE(in.Whole("records"));
    EXPECT_TRUE(in.Failure().Ok());
}

}  // namespace
}  // namespace kx
