#pragma once
// The modeller's own model file (.ms3d, version 4) as plain records, one per
// record of the file. Reading fills it and checks it whole before anything is
// built from it; writing fills it from a model and then lays it out.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

struct Ms3dVertex {
    uint8_t flags = 0;
    std::array<float, 3> position{};
    int8_t boneId = -1;  // read, not kept: joints are skipped
    uint8_t referenceCount = 0;
};

struct Ms3dTriangle {
    uint16_t flags = 0;
    std::array<uint16_t, 3> vertices{};
    std::array<std::array<float, 3>, 3> normals{};  // one per corner
    std::array<float, 3> s{};
    std::array<float, 3> t{};
    uint8_t smoothingGroup = 0;
    uint8_t groupIndex = 0;
};

struct Ms3dGroup {
    uint8_t flags = 0;
    std::string name;
    std::vector<uint16_t> triangles;
    int8_t material = -1;  // -1: none
};

struct Ms3dMaterial {
    std::string name;
    std::array<float, 4> ambient{}, diffuse{}, specular{}, emissive{};
    float shininess = 0.0f;
    float transparency = 1.0f;
    uint8_t mode = 0;  // the modeller's material flags
    std::string texture;
    std::string alphaMap;
};

// What a read found beyond the geometry: joints and the trailer are checked
// and skipped, never written back.
struct Ms3dSkipped {
    size_t joints = 0;
    bool trailer = false;
    int32_t vertexExtraSubVersion = 0;  // 0: none
};

struct Ms3dFile {
    std::vector<Ms3dVertex> vertices;
    std::vector<Ms3dTriangle> triangles;
    std::vector<Ms3dGroup> groups;
    std::vector<Ms3dMaterial> materials;
    float animationFps = 24.0f;
    float currentTime = 0.0f;
    int32_t totalFrames = 30;
    Ms3dSkipped skipped;
};

// Field widths and record sizes of version 4.
inline constexpr size_t kMs3dNameWidth = 32;
inline constexpr size_t kMs3dPathWidth = 128;
inline constexpr size_t kMs3dHeaderSize = 14;
inline constexpr size_t kMs3dVertexSize = 15;
inline constexpr size_t kMs3dTriangleSize = 70;
inline constexpr size_t kMs3dMaterialSize = 361;
inline constexpr size_t kMs3dJointSize = 93;
inline constexpr size_t kMs3dKeyFrameSize = 16;
inline constexpr char kMs3dMagic[] = "MS3D000000";
inline constexpr int32_t kMs3dVersion = 4;

}  // namespace kx
