#include "meshutil/FaceArray.h"

#include "meshutil/TriMesh.h"

namespace kx::meshutil {

Status ReadFaces(const TriMesh& mesh, std::vector<std::uint32_t>& faces) {
    const std::uint32_t faceCount = mesh.GetFaceCount();
    const std::uint32_t vertexCount = mesh.GetVertexCount();
    const std::uint32_t marker = mesh.UnusedMarker();
    faces.resize(std::size_t{faceCount} * 3);
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (mesh.Index(3 * f) == marker) {
            faces[3 * f] = faces[3 * f + 1] = faces[3 * f + 2] = UNUSED_FACE;
            continue;
        }
        for (std::size_t c = 0; c < 3; ++c) {
            const std::uint32_t v = mesh.Index(3 * f + c);
            if (v >= vertexCount) {
                return STATUS_INVALID_CALL;
            }
            faces[3 * f + c] = v;
        }
    }
    return STATUS_OK;
}

std::vector<std::array<float, 3>> ReadPositions(const TriMesh& mesh) {
    std::vector<std::array<float, 3>> positions(mesh.GetVertexCount());
    for (std::uint32_t v = 0; v < mesh.GetVertexCount(); ++v) {
        positions[v] = mesh.Position(v);
    }
    return positions;
}

bool AdjacencyInRange(const std::uint32_t* adjacency, const std::vector<std::uint32_t>& faces) {
    const std::size_t faceCount = faces.size() / 3;
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (faces[3 * f] == UNUSED_FACE) {
            continue;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint32_t g = adjacency[3 * f + k];
            if (g != NO_NEIGHBOUR && g >= faceCount) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace kx::meshutil
