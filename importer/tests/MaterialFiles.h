#pragma once
// Material and texture libraries for the importer tests, and small TGA
// images whose rows can be told apart.

#include <cstdint>
#include <string>
#include <vector>

#include "testsupport/HandContainer.h"
#include "testsupport/LittleEndian.h"

namespace kx::test {

inline std::vector<uint8_t> Colour(float r, float g, float b, float a) {
    return Le{}.f32s({r, g, b, a}).bytes;
}

inline std::vector<uint8_t> Floats(std::initializer_list<float> values) {
    return Le{}.f32s(values).bytes;
}

// A TGA image: 18-byte header, `idLength` identifier bytes 0xE0.., then
// `height` rows of `width` 8-bit pixels, row r filled with the value r.
inline std::vector<uint8_t> Tga(uint16_t width, uint16_t height, uint8_t idLength = 0,
                                uint8_t depth = 8) {
    Le b;
    b.u8(idLength).u8(0).u8(3).u16(0).u16(0).u8(0).u16(0).u16(0).u16(width).u16(height);
    b.u8(depth).u8(0);
    for (uint8_t i = 0; i < idLength; ++i) {
        b.u8(static_cast<uint8_t>(0xE0 + i));
    }
    for (uint16_t r = 0; r < height; ++r) {
        for (uint32_t x = 0; x < width * (depth / 8u); ++x) {
            b.u8(static_cast<uint8_t>(r));
        }
    }
    return b.bytes;
}

inline std::vector<uint8_t> Dds(const std::string& body) {
    std::vector<uint8_t> bytes = {'D', 'D', 'S', ' '};
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// A texture library holding one folder per texture.
inline HandNode TextureLibrary(std::vector<HandNode> textures) {
    return Folder("Texture library", std::move(textures));
}

}  // namespace kx::test
