#pragma once
// The exporter's converted meshes and parts, and the geometry that makes a
// converted mesh from plain host data: scale and orientation, face and
// vertex normals, and the box.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Vec.h"

namespace kx {

// max x, min x, max y, min y, max z, min z
struct Box {
    float maxX = 0, minX = 0, maxY = 0, minY = 0, maxZ = 0, minZ = 0;

    bool operator==(const Box&) const = default;
};

struct ExportVertex {
    Vec3 position{};
    Vec3 normal{};
    float u = 0, v = 0;

    bool operator==(const ExportVertex&) const = default;
};

struct ExportMesh {
    std::string materialName;
    std::string name;        // after the "Ix" prefix rule
    bool hardpoint = false;  // the host name began with "hp"
    bool synthetic = false;  // only the cockpit camera mesh
    std::vector<ExportVertex> vertices;
    std::vector<std::array<uint16_t, 3>> triangles;  // local to the mesh
    std::vector<Vec3> faceNormals;                   // one per triangle
    Box box;

    // Neither a marker nor the camera: a mesh of the model's surface.
    bool Ordinary() const { return !hardpoint && !synthetic; }
    // Only these carry geometry into the mesh data block: a mesh without
    // triangles draws nothing, and its range would end before it starts.
    bool Drawn() const { return Ordinary() && !triangles.empty(); }
};

// Part and file names live in 80-byte zero-terminated fields.
inline constexpr size_t kPartNameField = 80;

struct ExportPart {
    uint32_t refSize = 60;     // length of the mesh reference built from it
    uint32_t headerSize = 60;  // and its header size
    uint16_t startVertex = 0, vertexCount = 0;
    uint16_t startIndex = 0, indexCount = 0;
    uint16_t startMesh = 0, meshCount = 0;
    Box box;
    std::string partName;  // at most kPartNameField - 1 characters
    std::string fileName;  // likewise
    bool camera = false;
};

// Sets the hardpoint flag from the host's mesh name, then drops a leading
// "Ix" with the character after it; the flag is not computed again.
void SetMeshName(ExportMesh& mesh, std::string_view hostName);

// One host vertex as plain data.
struct HostVertex {
    Vec3 position{};
    float u = 0, v = 0;
};

// Positions divided by `divisor` with y and z times `factor`, texture
// coordinates as they are, then face normals, vertex normals and the box.
void SetMeshGeometry(ExportMesh& mesh, std::span<const HostVertex> vertices,
                     std::span<const std::array<uint16_t, 3>> triangles, float divisor,
                     float factor);

// The box of a set of positions, widened vertex by vertex; all zeros for none.
Box MeasureBox(std::span<const ExportVertex> vertices);

// `box` widened to contain `other`.
void WidenBox(Box& box, const Box& other);

}  // namespace kx
