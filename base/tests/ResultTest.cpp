#include "base/Result.h"

#include <gtest/gtest.h>

#include <string>

namespace kx {
namespace {

TEST(ResultTest, ValueAndFailureKeepWhatTheyWereGiven) {
    Result<std::string> value(std::string("text"));
    ASSERT_TRUE(value.Ok());
    EXPECT_EQ(*value, "text");
    EXPECT_EQ(value.GetFault(), Fault::None);
    EXPECT_EQ(value.Reason(), "");

    Result<std::string> failed(Status::Failure(Fault::Refused, "too many parts"));
    EXPECT_FALSE(failed.Ok());
    EXPECT_EQ(failed.GetFault(), Fault::Refused);
    EXPECT_EQ(failed.Reason(), "too many parts");

    // A failure without a kind is still a failure.
    EXPECT_EQ(Status::Failure(Fault::None, "x").GetFault(), Fault::Damaged);
}

// A success carries no value, so a Result made from one must not claim to
// hold one: Value() on it would read an empty optional.
TEST(ResultTest, ASuccessWithoutValueIsNoSuccess) {
#ifdef NDEBUG
    Result<int> empty(Status::Success());
    EXPECT_FALSE(empty.Ok());
    EXPECT_FALSE(static_cast<bool>(empty));
    EXPECT_EQ(empty.GetFault(), Fault::Damaged);
    EXPECT_EQ(empty.Reason(), "no value");
#else
    EXPECT_DEATH({ Result<int> empty(Status::Success()); }, "holds no value");
#endif
}

}  // namespace
}  // namespace kx
