#include "container/NameHash.h"

#include "base/Text.h"

namespace kx {

namespace {

constexpr uint32_t ArithmeticShiftRight1(uint32_t x) {
    return (x >> 1) | (x & 0x80000000u);
}

constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t x = i;
        for (int bit = 0; bit < 8; ++bit) {
            x = (x & 1u) ? ArithmeticShiftRight1(x) ^ 0xEDB88320u : ArithmeticShiftRight1(x);
        }
        table[i] = x;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

const std::array<uint32_t, 256>& NameHashTable() {
    return kTable;
}

uint32_t NameHash(std::string_view name) {
    uint32_t h = 0xFFFFFFFFu;
    for (char c : name) {
        auto b = static_cast<uint8_t>(c);
        if (b >= 0x41 && b <= 0x5A) {
            b = static_cast<uint8_t>(b + 0x20);
        }
        h = kTable[(b ^ h) & 0xFFu] ^ (h >> 8);
    }
    return ~h;
}

bool SameName(std::string_view a, std::string_view b) {
    return SameIgnoringCase(a, b);
}

}  // namespace kx
