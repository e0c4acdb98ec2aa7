#include "container/NameHash.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(NameHash, TableUsesArithmeticShift) {
    const auto& t = NameHashTable();
    EXPECT_EQ(t[0], 0x00000000u);
    EXPECT_EQ(t[1], 0x09073096u);
    EXPECT_EQ(t[2], 0x120E612Cu);
    EXPECT_EQ(t[3], 0x1B0951BAu);
    EXPECT_EQ(t[128], 0xEDB88320u);
    EXPECT_EQ(t[255], 0x0702EF8Du);
}

TEST(NameHash, KnownValuesAndCaseFolding) {
    EXPECT_EQ(NameHash(""), 0u);
    EXPECT_EQ(NameHash("abc"), 0xEBB055C2u);
    EXPECT_EQ(NameHash("ABC"), 0xEBB055C2u);
    EXPECT_EQ(NameHash("Root"), 0x12688F2Du);
    EXPECT_EQ(NameHash("root"), 0x12688F2Du);
    EXPECT_EQ(NameHash("HpEngine01"), NameHash("hpengine01"));
}

TEST(NameHash, OnlyAsciiCapitalsAreFolded) {
    // 0xC4 and 0xE4 are a capital and small letter in Latin-1; no locale rule applies.
    EXPECT_NE(NameHash("\xC4"), NameHash("\xE4"));
    // '@' and '[' sit just outside 'A'..'Z' and must not be shifted to '`' and '{'.
    EXPECT_NE(NameHash("@"), NameHash("`"));
    EXPECT_NE(NameHash("["), NameHash("{"));
    EXPECT_NE(NameHash("ab"), NameHash("ba"));
}

}  // namespace
}  // namespace kx
