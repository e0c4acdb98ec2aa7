#include "meshutil/ReduceMesh.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "meshutil/CompactMesh.h"
#include "meshutil/FaceArray.h"
#include "meshutil/Reducer.h"
#include "meshutil/ReducibleMesh.h"
#include "meshutil/TriMesh.h"

namespace kx::meshutil {

namespace {

// The reduced mesh of a mesh whose faces are all in one attribute group (all
// this system makes): the remaining faces and the vertices they use, each in
// their order, as CompactMesh would leave them, built at its final size.
Status BuildResult(const TriMesh& mesh, const std::vector<std::uint32_t>& faces,
                   const std::vector<std::uint32_t>& adjacency, TriMeshPtr& result,
                   std::vector<std::uint32_t>& resultAdjacency) {
    constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::vector<std::uint32_t> newFace(faces.size() / 3, NO_NEIGHBOUR);
    std::vector<std::uint32_t> newVertex(mesh.GetVertexCount(), kNone);
    std::uint32_t faceCount = 0;
    for (std::size_t f = 0; f < newFace.size(); ++f) {
        if (faces[3 * f] != UNUSED_FACE) {
            newFace[f] = faceCount++;
            for (std::size_t c = 0; c < 3; ++c) {
                newVertex[faces[3 * f + c]] = 0;
            }
        }
    }
    if (faceCount == 0) {
        return STATUS_NO_DATA;
    }
    std::uint32_t vertexCount = 0;
    for (std::uint32_t& v : newVertex) {
        if (v != kNone) {
            v = vertexCount++;
        }
    }
    TriMesh* created = nullptr;
    if (const Status status = CreateTriMesh(faceCount, vertexCount, mesh.GetOptions(),
                                            mesh.GetVertexFormat(), mesh.GetDevice(), &created);
        status != STATUS_OK) {
        return status;
    }
    result.reset(created);
    const std::size_t stride = mesh.GetVertexStride();
    for (std::size_t v = 0; v < newVertex.size(); ++v) {
        if (newVertex[v] != kNone) {
            std::memcpy(result->VertexBytes() + newVertex[v] * stride,
                        mesh.VertexBytes() + v * stride, stride);
        }
    }
    resultAdjacency.resize(std::size_t{faceCount} * 3);
    for (std::size_t f = 0; f < newFace.size(); ++f) {
        if (newFace[f] == NO_NEIGHBOUR) {
            continue;
        }
        const std::size_t to = 3 * std::size_t{newFace[f]};
        result->SetAttribute(newFace[f], mesh.Attributes()[f]);
        for (std::size_t c = 0; c < 3; ++c) {
            result->SetIndex(to + c, newVertex[faces[3 * f + c]]);
            const std::uint32_t g = adjacency[3 * f + c];
            resultAdjacency[to + c] = g == NO_NEIGHBOUR ? NO_NEIGHBOUR : newFace[g];
        }
    }
    return STATUS_OK;
}

// The same through CompactMesh, which also orders faces and vertices by group.
Status BuildGroupedResult(const TriMesh& mesh, const std::vector<std::uint32_t>& faces,
                          const std::vector<std::uint32_t>& adjacency, TriMeshPtr& result,
                          std::vector<std::uint32_t>& resultAdjacency) {
    const std::uint32_t faceTotal = mesh.GetFaceCount();
    TriMesh* created = nullptr;
    if (const Status status = CreateTriMesh(faceTotal, mesh.GetVertexCount(), mesh.GetOptions(),
                                            mesh.GetVertexFormat(), mesh.GetDevice(), &created);
        status != STATUS_OK) {
        return status;
    }
    result.reset(created);
    std::memcpy(result->VertexBytes(), mesh.VertexBytes(),
                std::size_t{mesh.GetVertexCount()} * mesh.GetVertexStride());
    for (std::uint32_t f = 0; f < faceTotal; ++f) {
        result->SetAttribute(f, mesh.Attributes()[f]);
        for (std::uint32_t c = 0; c < 3; ++c) {
            const std::uint32_t v = faces[3 * f + c];
            result->SetIndex(3 * std::size_t{f} + c, v == UNUSED_FACE ? result->UnusedMarker() : v);
        }
    }
    resultAdjacency = adjacency;
    return CompactMesh(result.get(), resultAdjacency.data(), resultAdjacency.data(), nullptr,
                       nullptr);
}

}  // namespace

Status ReduceMesh(const TriMesh* mesh, const std::uint32_t* adjacency,
                  const AttributeWeights* attributeWeights, const float* vertexWeights,
                  std::uint32_t minValue, std::uint32_t options, TriMesh** meshOut,
                  std::vector<std::uint32_t>* adjacencyOut) {
    if (mesh == nullptr || adjacency == nullptr || meshOut == nullptr ||
        (options != REDUCE_TO_FACES && options != REDUCE_TO_VERTICES) || !ReducibleCall(*mesh)) {
        return STATUS_INVALID_CALL;
    }
    try {
        const std::uint32_t faceTotal = mesh->GetFaceCount();
        const std::uint32_t vertexTotal = mesh->GetVertexCount();
        std::vector<std::uint32_t> faces(std::size_t{faceTotal} * 3);
        for (std::size_t i = 0; i < faces.size(); ++i) {
            faces[i] = mesh->Index(i);
        }
        std::vector<Vec3> positions = ReadPositions(*mesh);
        if (const Status status = ValidateReducibleFaces(*mesh, faces, positions, adjacency);
            status != STATUS_OK) {
            return status;
        }
        std::vector<bool> used(vertexTotal, false);
        for (const std::uint32_t v : faces) {
            used[v] = true;
        }
        std::uint32_t faceCount = faceTotal;
        std::uint32_t vertexCount =
            static_cast<std::uint32_t>(std::count(used.begin(), used.end(), true));

        const AttributeWeights defaults;
        const AttributeWeights& weights =
            attributeWeights != nullptr ? *attributeWeights : defaults;
        Reducer reducer(
            std::move(faces),
            std::vector<std::uint32_t>(adjacency, adjacency + faceTotal * std::size_t{3}),
            std::move(positions), weights.position, weights.boundary, vertexWeights);
        reducer.Run(faceCount, vertexCount, [&](std::uint32_t faces, std::uint32_t vertices) {
            return (options == REDUCE_TO_FACES ? faces : vertices) <= minValue;
        });

        // The result: the working mesh compacted, so the remaining faces and
        // vertices keep their order.
        TriMeshPtr result;
        std::vector<std::uint32_t> resultAdjacency;
        const std::vector<std::uint32_t>& attributes = mesh->Attributes();
        const bool oneGroup = std::adjacent_find(attributes.begin(), attributes.end(),
                                                 std::not_equal_to<>()) == attributes.end();
        if (const Status status =
                oneGroup ? BuildResult(*mesh, reducer.Faces(), reducer.Adjacency(), result,
                                       resultAdjacency)
                         : BuildGroupedResult(*mesh, reducer.Faces(), reducer.Adjacency(), result,
                                              resultAdjacency);
            status != STATUS_OK) {
            return status;
        }
        if (adjacencyOut != nullptr) {
            resultAdjacency.resize(std::size_t{result->GetFaceCount()} * 3);
            *adjacencyOut = std::move(resultAdjacency);
        }
        *meshOut = result.release();
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
    return STATUS_OK;
}

}  // namespace kx::meshutil
