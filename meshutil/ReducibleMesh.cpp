#include "meshutil/ReducibleMesh.h"

#include <new>

#include "meshutil/FaceArray.h"
#include "meshutil/FanWalk.h"
#include "meshutil/TriMesh.h"
#include "meshutil/VertexFormat.h"

namespace kx::meshutil {

bool ReducibleCall(const TriMesh& mesh) {
    return !mesh.IsWriteOnly() && HasPosition(mesh.GetVertexFormat());
}

// The index-level checks; faces are the 32-bit copy of the mesh's indices.
Status ValidateReducibleFaces(const TriMesh& mesh, const std::vector<std::uint32_t>& faces,
                              const std::vector<Vec3>& positions, const std::uint32_t* adjacency) {
    const std::uint32_t faceCount = mesh.GetFaceCount();
    const std::uint32_t vertexCount = mesh.GetVertexCount();
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        const std::uint32_t* v = &faces[3 * f];
        const std::uint32_t* n = &adjacency[3 * f];
        for (int c = 0; c < 3; ++c) {
            if (v[c] >= vertexCount || v[c] == mesh.UnusedMarker()) {
                return STATUS_INVALID_MESH;
            }
            if (n[c] == NO_NEIGHBOUR) {
                continue;
            }
            if (n[c] >= faceCount || n[c] == f) {
                return STATUS_INVALID_MESH;
            }
            const std::uint32_t* back = &adjacency[3 * std::size_t{n[c]}];
            if (back[0] != f && back[1] != f && back[2] != f) {
                return STATUS_INVALID_MESH;  // a one-sided link
            }
        }
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) {
            return STATUS_INVALID_MESH;
        }
        if ((n[0] != NO_NEIGHBOUR && (n[0] == n[1] || n[0] == n[2])) ||
            (n[1] != NO_NEIGHBOUR && n[1] == n[2])) {
            return STATUS_INVALID_MESH;
        }
    }
    // Bowties: every vertex index must belong to one fan of faces only.
    constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::vector<std::uint32_t> fanOfVertex(vertexCount, kNone);
    std::vector<bool> visited(faces.size(), false);
    FanWalker walker(adjacency, faces, positions);
    std::uint32_t fan = 0;
    bool bowtie = false;
    for (std::uint32_t corner = 0; corner < faces.size() && !bowtie; ++corner) {
        if (visited[corner]) {
            continue;
        }
        const FanEnd end =
            walker.Walk(corner / 3, corner % 3, [&](std::uint32_t h, std::uint32_t c) {
                visited[3 * h + c] = true;
                std::uint32_t& owner = fanOfVertex[faces[3 * h + c]];
                if (owner != kNone && owner != fan) {
                    bowtie = true;
                }
                owner = fan;
            });
        if (end == FanEnd::TooLong) {
            return STATUS_INVALID_MESH;
        }
        ++fan;
    }
    return bowtie ? STATUS_INVALID_MESH : STATUS_OK;
}

Status ValidateReducibleMesh(const TriMesh& mesh, const std::uint32_t* adjacency) {
    if (adjacency == nullptr || !ReducibleCall(mesh)) {
        return STATUS_INVALID_CALL;
    }
    try {
        std::vector<std::uint32_t> faces(std::size_t{mesh.GetFaceCount()} * 3);
        for (std::size_t i = 0; i < faces.size(); ++i) {
            faces[i] = mesh.Index(i);
        }
        return ValidateReducibleFaces(mesh, faces, ReadPositions(mesh), adjacency);
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
}

}  // namespace kx::meshutil
