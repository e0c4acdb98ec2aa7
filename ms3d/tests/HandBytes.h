#pragma once
// .ms3d files spelled out field by field in the tests, independent of the
// reader and writer under test: each call appends one little-endian field or
// one record of the format.

#include <cstdint>
#include <string>

#include "testsupport/LittleEndian.h"

namespace kx::test {

struct HandBytes : LeBytes<HandBytes> {
    HandBytes& header() { return text("MS3D000000", 10).i32(4); }
    HandBytes& vertex(float x, float y, float z, int8_t bone = -1, uint8_t uses = 0) {
        return u8(0).f32s({x, y, z}).u8(static_cast<uint8_t>(bone)).u8(uses);
    }
    // A triangle with one normal on every corner unless `n2` is given for
    // the third, corners' s and t, smoothing group 1.
    HandBytes& triangle(std::initializer_list<uint16_t> v, std::initializer_list<float> s,
                        std::initializer_list<float> t, float nz = 1, float nz2 = 1,
                        uint8_t group = 0) {
        u16(0);
        for (uint16_t i : v) {
            u16(i);
        }
        f32s({0, 0, nz, 0, 0, nz, 0, 0, nz2});
        return f32s(s).f32s(t).u8(1).u8(group);
    }
    HandBytes& group(const std::string& name, std::initializer_list<uint16_t> triangles,
                     int8_t material = -1) {
        u8(0).text(name, 32).u16(static_cast<uint16_t>(triangles.size()));
        for (uint16_t t : triangles) {
            u16(t);
        }
        return u8(static_cast<uint8_t>(material));
    }
    // A material with fixed colours, shininess 8 and transparency 0.5.
    HandBytes& material(const std::string& name, uint8_t mode, const std::string& texture,
                        const std::string& alpha) {
        text(name, 32);
        f32s({0.1f, 0.2f, 0.3f, 1, 0.4f, 0.5f, 0.6f, 1, 0.7f, 0.8f, 0.9f, 1, 0, 0, 0.1f, 1});
        return f32(8).f32(0.5f).u8(mode).text(texture, 128).text(alpha, 128);
    }
    // Animation fields (24 fps, time 0, 30 frames) and no joints.
    HandBytes& noAnimation() { return f32(24).f32(0).i32(30).u16(0); }
};

}  // namespace kx::test
