#include "base/Text.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

// Names are bytes from files: only A-Z fold, so a name with a Latin-1
// capital matches only itself, and '[' is not '{'.
TEST(Text, OnlyAsciiLettersFold) {
    EXPECT_EQ(LowerAscii("Hull.TGA\xC4[@]"), "hull.tga\xC4[@]");
    EXPECT_TRUE(SameIgnoringCase("Root.3DB", "rOOT.3db"));
    EXPECT_FALSE(SameIgnoringCase("\xC4", "\xE4"));
    EXPECT_FALSE(SameIgnoringCase("[", "{"));
    EXPECT_FALSE(SameIgnoringCase("hp", "hp "));
}

TEST(Text, StartsWithIgnoringCaseNeedsTheWholePrefix) {
    EXPECT_TRUE(StartsWithIgnoringCase("HpTurret01", "hpturret"));
    EXPECT_TRUE(StartsWithIgnoringCase("Ix", "ix"));
    EXPECT_FALSE(StartsWithIgnoringCase("H", "hp"));
    EXPECT_TRUE(StartsWithIgnoringCase("anything", ""));
}

TEST(Text, HexPadsAndKeepsTheLetterCaseAsked) {
    EXPECT_EQ(Hex(0xAB, 8, HexCase::Upper), "0x000000AB");
    EXPECT_EQ(Hex(0xAB, 1, HexCase::Lower), "0xab");
    EXPECT_EQ(Hex(0, 1, HexCase::Lower), "0x0");
    EXPECT_EQ(Hex(0xFFFFFFFFFFFFFFFFull, 8, HexCase::Upper), "0xFFFFFFFFFFFFFFFF");
}

TEST(Text, SeparatorsFollowThePlatform) {
#if defined(_WIN32)
    EXPECT_EQ(LastPathSeparator("a\\b/c"), 3u);
    EXPECT_EQ(LastPathSeparator("a/b\\c"), 3u);
#else
    EXPECT_EQ(LastPathSeparator("a/b\\c"), 1u);
    EXPECT_FALSE(IsPathSeparator('\\'));
#endif
    EXPECT_EQ(LastPathSeparator("name"), std::string_view::npos);
    EXPECT_TRUE(IsPathSeparator(PathSeparator()));
}

}  // namespace
}  // namespace kx
