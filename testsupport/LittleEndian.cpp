#include "testsupport/LittleEndian.h"

namespace kx::test {

uint16_t U16At(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return U16At(b, at) | (static_cast<uint32_t>(U16At(b, at + 2)) << 16);
}

float F32At(const std::vector<uint8_t>& b, size_t at) {
    return std::bit_cast<float>(U32At(b, at));
}

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) {
        b.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
    }
}

}  // namespace kx::test
