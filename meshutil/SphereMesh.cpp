#include "meshutil/SphereMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "meshutil/DataBuffer.h"
#include "meshutil/TriMesh.h"

namespace kx::meshutil {

namespace {

constexpr std::uint32_t kSphereOptions = 0x220;
constexpr std::uint32_t kSphereFormat = 0x012;
constexpr std::uint32_t kMaxDivisions = 240;

void WriteVertex(std::uint8_t* vertex, float px, float py, float pz, float nx, float ny, float nz) {
    const float values[6] = {px, py, pz, nx, ny, nz};
    std::memcpy(vertex, values, sizeof values);
}

}  // namespace

Status CreateSphereMesh(Device* device, float radius, std::uint32_t slices, std::uint32_t stacks,
                        TriMesh** meshOut, DataBuffer** adjacencyOut) {
    if (radius == std::numeric_limits<float>::max()) {
        radius = 1.0f;
    }
    if (slices == 0xFFFFFFFFu) {
        slices = 8;
    }
    if (stacks == 0xFFFFFFFFu) {
        stacks = 8;
    }
    if (device == nullptr || meshOut == nullptr || radius < 0 || slices < 2 || stacks < 2) {
        return STATUS_INVALID_CALL;
    }
    slices = std::min(slices, kMaxDivisions);
    stacks = std::min(stacks, kMaxDivisions);
    const std::uint32_t faceCount = 2 * slices * (stacks - 1);
    const std::uint32_t vertexCount = slices * (stacks - 1) + 2;

    TriMesh* created = nullptr;
    if (const Status status =
            CreateTriMesh(faceCount, vertexCount, kSphereOptions, kSphereFormat, device, &created);
        status != STATUS_OK) {
        return status;
    }
    TriMeshPtr mesh(created);
    try {
        std::vector<float> cosTheta(slices), sinTheta(slices), cosPhi(stacks), sinPhi(stacks);
        for (std::uint32_t i = 0; i < slices; ++i) {
            const float theta = static_cast<float>(i) * 6.2831855f / static_cast<float>(slices);
            cosTheta[i] = static_cast<float>(std::cos(double{theta}));
            sinTheta[i] = static_cast<float>(std::sin(double{theta}));
        }
        for (std::uint32_t j = 0; j < stacks; ++j) {
            const float phi = static_cast<float>(j) * 3.1415927f / static_cast<float>(stacks);
            cosPhi[j] = static_cast<float>(std::cos(double{phi}));
            sinPhi[j] = static_cast<float>(std::sin(double{phi}));
        }

        void* data = nullptr;
        mesh->LockVertexBuffer(0, &data);
        auto* vertices = static_cast<std::uint8_t*>(data);
        const std::uint32_t stride = mesh->GetVertexStride();
        WriteVertex(vertices, 0, 0, radius, 0, 0, 1);
        for (std::uint32_t j = 1; j < stacks; ++j) {
            for (std::uint32_t i = 0; i < slices; ++i) {
                const float nx = sinPhi[j] * sinTheta[i];
                const float ny = sinPhi[j] * cosTheta[i];
                const float nz = cosPhi[j];
                WriteVertex(vertices + std::size_t{1 + (j - 1) * slices + i} * stride, nx * radius,
                            ny * radius, nz * radius, nx, ny, nz);
            }
        }
        WriteVertex(vertices + std::size_t{vertexCount - 1} * stride, 0, 0, -radius, 0, 0, -1);
        mesh->UnlockVertexBuffer();

        mesh->LockIndexBuffer(0, &data);
        auto* out = static_cast<std::uint16_t*>(data);
        auto triangle = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
            *out++ = static_cast<std::uint16_t>(a);
            *out++ = static_cast<std::uint16_t>(b);
            *out++ = static_cast<std::uint16_t>(c);
        };
        for (std::uint32_t i = 0; i + 1 < slices; ++i) {
            triangle(0, i + 2, i + 1);
        }
        triangle(0, 1, slices);
        for (std::uint32_t k = 0; k + 2 < stacks; ++k) {
            const std::uint32_t a = 1 + k * slices;
            const std::uint32_t b = a + slices;
            for (std::uint32_t i = 0; i + 1 < slices; ++i) {
                triangle(a + i, a + i + 1, b + i);
                triangle(a + i + 1, b + i + 1, b + i);
            }
            triangle(a + slices - 1, a, b + slices - 1);
            triangle(a, b, b + slices - 1);
        }
        const std::uint32_t c = (stacks - 2) * slices + 1;
        const std::uint32_t s = vertexCount - 1;
        for (std::uint32_t i = 0; i + 1 < slices; ++i) {
            triangle(c + i, c + i + 1, s);
        }
        triangle(c + slices - 1, c, s);
        mesh->UnlockIndexBuffer();
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }

    if (adjacencyOut != nullptr) {
        DataBuffer* adjacency = nullptr;
        Status status = CreateDataBuffer(std::size_t{faceCount} * 12, &adjacency);
        if (status != STATUS_OK) {
            return status;
        }
        status = mesh->PointRepsToAdjacency(
            nullptr, static_cast<std::uint32_t*>(adjacency->GetBufferPointer()));
        if (status != STATUS_OK) {
            adjacency->Release();
            return status;
        }
        *adjacencyOut = adjacency;
    }
    *meshOut = mesh.release();
    return STATUS_OK;
}

}  // namespace kx::meshutil
