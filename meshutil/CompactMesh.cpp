#include "meshutil/CompactMesh.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "meshutil/DataBuffer.h"
#include "meshutil/FaceArray.h"
#include "meshutil/TriMesh.h"

namespace kx::meshutil {

Status CompactMesh(TriMesh* mesh, const std::uint32_t* adjacencyIn, std::uint32_t* adjacencyOut,
                   std::uint32_t* faceRemapOut, DataBuffer** vertexRemapOut) {
    if (mesh == nullptr || (adjacencyOut != nullptr && adjacencyIn == nullptr)) {
        return STATUS_INVALID_CALL;
    }
    DataBuffer* vertexRemap = nullptr;
    try {
        std::vector<std::uint32_t> faces;
        if (const Status status = ReadFaces(*mesh, faces); status != STATUS_OK) {
            return status;
        }
        if (adjacencyIn != nullptr && !AdjacencyInRange(adjacencyIn, faces)) {
            return STATUS_INVALID_CALL;
        }
        const std::uint32_t faceCount = mesh->GetFaceCount();
        const std::uint32_t vertexCount = mesh->GetVertexCount();
        const std::vector<std::uint32_t>& attributes = mesh->Attributes();

        std::vector<std::uint32_t> keptFaces;
        for (std::uint32_t f = 0; f < faceCount; ++f) {
            if (faces[3 * f] != UNUSED_FACE) {
                keptFaces.push_back(f);
            }
        }
        if (keptFaces.empty()) {
            return STATUS_NO_DATA;
        }
        // Meshes of one attribute group (all this system makes) are in order already.
        const auto byAttribute = [&](std::uint32_t a, std::uint32_t b) {
            return attributes[a] < attributes[b];
        };
        if (!std::is_sorted(keptFaces.begin(), keptFaces.end(), byAttribute)) {
            std::stable_sort(keptFaces.begin(), keptFaces.end(), byAttribute);
        }

        constexpr std::uint32_t kNone = 0xFFFFFFFFu;
        std::vector<std::uint32_t> groupOf(vertexCount, kNone);
        for (const std::uint32_t f : keptFaces) {
            for (std::uint32_t c = 0; c < 3; ++c) {
                std::uint32_t& group = groupOf[faces[3 * f + c]];
                if (group == kNone) {
                    group = attributes[f];
                }
            }
        }
        std::vector<std::uint32_t> keptVertices;
        for (std::uint32_t v = 0; v < vertexCount; ++v) {
            if (groupOf[v] != kNone) {
                keptVertices.push_back(v);
            }
        }
        const auto byGroup = [&](std::uint32_t a, std::uint32_t b) {
            return groupOf[a] < groupOf[b];
        };
        if (!std::is_sorted(keptVertices.begin(), keptVertices.end(), byGroup)) {
            std::stable_sort(keptVertices.begin(), keptVertices.end(), byGroup);
        }

        std::vector<std::uint32_t> newVertex(vertexCount, kNone);
        const std::size_t stride = mesh->GetVertexStride();
        std::vector<std::uint8_t> vertices(keptVertices.size() * stride);
        for (std::size_t i = 0; i < keptVertices.size(); ++i) {
            newVertex[keptVertices[i]] = static_cast<std::uint32_t>(i);
            std::memcpy(vertices.data() + i * stride,
                        mesh->VertexBytes() + keptVertices[i] * stride, stride);
        }
        std::vector<std::uint32_t> newFace(faceCount, NO_NEIGHBOUR);
        std::vector<std::uint32_t> indices(keptFaces.size() * 3);
        std::vector<std::uint32_t> newAttributes(keptFaces.size());
        for (std::size_t i = 0; i < keptFaces.size(); ++i) {
            const std::uint32_t f = keptFaces[i];
            newFace[f] = static_cast<std::uint32_t>(i);
            newAttributes[i] = attributes[f];
            for (std::size_t c = 0; c < 3; ++c) {
                indices[3 * i + c] = newVertex[faces[3 * f + c]];
            }
        }
        std::vector<std::uint32_t> adjacency;
        if (adjacencyOut != nullptr) {
            adjacency.assign(std::size_t{faceCount} * 3, NO_NEIGHBOUR);
            for (std::size_t i = 0; i < keptFaces.size(); ++i) {
                for (std::size_t k = 0; k < 3; ++k) {
                    const std::uint32_t g = adjacencyIn[3 * keptFaces[i] + k];
                    adjacency[3 * i + k] = g == NO_NEIGHBOUR ? NO_NEIGHBOUR : newFace[g];
                }
            }
        }
        if (vertexRemapOut != nullptr) {
            const Status status =
                CreateDataBuffer(keptVertices.size() * sizeof(std::uint32_t), &vertexRemap);
            if (status != STATUS_OK) {
                return status;
            }
            std::memcpy(vertexRemap->GetBufferPointer(), keptVertices.data(),
                        keptVertices.size() * sizeof(std::uint32_t));
        }

        // Nothing below allocates, so the mesh and the outputs change together.
        if (adjacencyOut != nullptr) {
            std::copy(adjacency.begin(), adjacency.end(), adjacencyOut);
        }
        if (faceRemapOut != nullptr) {
            std::fill(faceRemapOut, faceRemapOut + faceCount, kNone);
            std::copy(keptFaces.begin(), keptFaces.end(), faceRemapOut);
        }
        if (vertexRemapOut != nullptr) {
            *vertexRemapOut = vertexRemap;
            vertexRemap = nullptr;
        }
        mesh->Replace(std::move(vertices), indices, std::move(newAttributes));
    } catch (const std::bad_alloc&) {
        if (vertexRemap != nullptr) {
            vertexRemap->Release();
        }
        return STATUS_OUT_OF_MEMORY;
    }
    return STATUS_OK;
}

}  // namespace kx::meshutil
