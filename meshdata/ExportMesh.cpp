#include "meshdata/ExportMesh.h"

#include <cmath>

#include "base/Text.h"

namespace kx {

namespace {

bool Fits(const std::array<uint16_t, 3>& t, size_t vertexCount) {
    return t[0] < vertexCount && t[1] < vertexCount && t[2] < vertexCount;
}

void SetNormals(ExportMesh& mesh) {
    const size_t vertexCount = mesh.vertices.size();
    std::vector<Vec3> sums(vertexCount, Vec3{});
    std::vector<uint32_t> uses(vertexCount, 0);
    mesh.faceNormals.assign(mesh.triangles.size(), Vec3{});
    for (size_t f = 0; f < mesh.triangles.size(); ++f) {
        const auto& t = mesh.triangles[f];
        // A corner beyond the mesh's vertices (a damaged host mesh) has no
        // position: such a face keeps a zero normal and shades no vertex.
        if (!Fits(t, vertexCount)) {
            continue;
        }
        const Vec3& a = mesh.vertices[t[0]].position;
        const Vec3 n = Normalised(
            Cross(Sub(mesh.vertices[t[1]].position, a), Sub(mesh.vertices[t[2]].position, a)));
        mesh.faceNormals[f] = n;
        for (size_t k = 0; k < 3; ++k) {
            // A triangle that names a vertex twice counts for it once.
            if ((k >= 1 && t[k] == t[0]) || (k == 2 && t[2] == t[1])) {
                continue;
            }
            sums[t[k]] = Add(sums[t[k]], n);
            ++uses[t[k]];
        }
    }
    for (size_t v = 0; v < vertexCount; ++v) {
        if (uses[v] == 0) {
            continue;  // keeps the provisional (0, 1, 0)
        }
        const auto count = static_cast<float>(uses[v]);
        mesh.vertices[v].normal =
            Normalised(Vec3{sums[v][0] / count, sums[v][1] / count, sums[v][2] / count});
    }
}

}  // namespace

void SetMeshName(ExportMesh& mesh, std::string_view hostName) {
    mesh.hardpoint = StartsWithIgnoringCase(hostName, "hp");
    if (StartsWithIgnoringCase(hostName, "ix")) {
        hostName.remove_prefix(hostName.size() < 3 ? hostName.size() : 3);
    }
    mesh.name = hostName;
}

void SetMeshGeometry(ExportMesh& mesh, std::span<const HostVertex> vertices,
                     std::span<const std::array<uint16_t, 3>> triangles, float divisor,
                     float factor) {
    mesh.vertices.clear();
    mesh.vertices.reserve(vertices.size());
    for (const HostVertex& h : vertices) {
        ExportVertex v;
        v.position = {h.position[0] / divisor, factor * h.position[1] / divisor,
                      factor * h.position[2] / divisor};
        v.normal = {0.0f, 1.0f, 0.0f};
        v.u = h.u;
        v.v = h.v;
        mesh.vertices.push_back(v);
    }
    mesh.box = MeasureBox(mesh.vertices);
    mesh.triangles.assign(triangles.begin(), triangles.end());
    SetNormals(mesh);
}

Box MeasureBox(std::span<const ExportVertex> vertices) {
    if (vertices.empty()) {
        return {};
    }
    const Vec3& first = vertices[0].position;
    Box box{first[0], first[0], first[1], first[1], first[2], first[2]};
    auto widen = [](float value, float& max, float& min) {
        if (value < min) {
            min = value;
        } else if (value > max) {
            max = value;
        }
    };
    for (const ExportVertex& v : vertices.subspan(1)) {
        widen(v.position[0], box.maxX, box.minX);
        widen(v.position[1], box.maxY, box.minY);
        widen(v.position[2], box.maxZ, box.minZ);
    }
    return box;
}

void WidenBox(Box& box, const Box& other) {
    box.maxX = std::fmax(box.maxX, other.maxX);
    box.minX = std::fmin(box.minX, other.minX);
    box.maxY = std::fmax(box.maxY, other.maxY);
    box.minY = std::fmin(box.minY, other.minY);
    box.maxZ = std::fmax(box.maxZ, other.maxZ);
    box.minZ = std::fmin(box.minZ, other.minZ);
}

}  // namespace kx
