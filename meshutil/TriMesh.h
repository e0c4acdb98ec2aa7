#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "meshutil/Status.h"

namespace kx {
// Owner context of the meshes, declared by the host (host/Device.h). Only its
// address is kept here.
class Device;
}  // namespace kx

namespace kx::meshutil {

using kx::Device;

inline constexpr std::uint32_t MESH_32BIT = 0x001;
inline constexpr std::uint32_t MESH_VB_WRITEONLY = 0x040;
inline constexpr std::uint32_t MESH_IB_WRITEONLY = 0x400;
inline constexpr std::uint32_t MESH_VALID_OPTIONS = 0x1CFFF;

// Face marker of a 16-bit mesh: 0xFFFF in the first slot means "unused face".
inline constexpr std::uint32_t UNUSED16 = 0xFFFF;
inline constexpr std::uint32_t UNUSED32 = 0xFFFFFFFF;

// Indexed triangle mesh, reference counted. Faces are index triples; vertices
// are raw bytes of the mesh's vertex format, position first.
class TriMesh {
  public:
    TriMesh(const TriMesh&) = delete;
    TriMesh& operator=(const TriMesh&) = delete;

    std::uint32_t AddRef();
    std::uint32_t Release();

    std::uint32_t GetFaceCount() const { return faceCount_; }
    std::uint32_t GetVertexCount() const { return vertexCount_; }
    std::uint32_t GetOptions() const { return options_; }
    std::uint32_t GetVertexFormat() const { return vertexFormat_; }
    std::uint32_t GetVertexStride() const { return stride_; }
    Device* GetDevice() const { return device_; }

    // Direct access to the vertex bytes and the index entries (u16, or u32
    // with MESH_32BIT); flags change nothing. Every lock needs one unlock.
    Status LockVertexBuffer(std::uint32_t flags, void** data);
    Status UnlockVertexBuffer();
    Status LockIndexBuffer(std::uint32_t flags, void** data);
    Status UnlockIndexBuffer();

    // Adjacency (3 u32 per face) and point representatives (1 u32 per vertex).
    Status GenerateAdjacency(float epsilon, std::uint32_t* adjacencyOut);
    Status PointRepsToAdjacency(const std::uint32_t* pointReps, std::uint32_t* adjacencyOut);
    Status AdjacencyToPointReps(const std::uint32_t* adjacency, std::uint32_t* pointRepsOut);

    // --- for the mesh utilities' own operations ---
    bool Uses32BitIndices() const { return (options_ & MESH_32BIT) != 0; }
    bool IsWriteOnly() const { return (options_ & (MESH_VB_WRITEONLY | MESH_IB_WRITEONLY)) != 0; }
    std::uint32_t UnusedMarker() const { return Uses32BitIndices() ? UNUSED32 : UNUSED16; }
    std::uint32_t Index(std::size_t entry) const {
        return Uses32BitIndices() ? indices32_[entry] : indices16_[entry];
    }
    void SetIndex(std::size_t entry, std::uint32_t value);
    std::array<float, 3> Position(std::uint32_t vertex) const {
        std::array<float, 3> p;
        std::memcpy(p.data(), vertices_.data() + std::size_t{vertex} * stride_, sizeof p);
        return p;
    }
    std::uint8_t* VertexBytes() { return vertices_.data(); }
    const std::uint8_t* VertexBytes() const { return vertices_.data(); }
    const std::vector<std::uint32_t>& Attributes() const { return attributes_; }
    void SetAttribute(std::uint32_t face, std::uint32_t id) { attributes_[face] = id; }

    // Swaps in new contents with no more faces than before (used by compaction);
    // the counts follow the arrays.
    void Replace(std::vector<std::uint8_t> vertices, const std::vector<std::uint32_t>& indices,
                 std::vector<std::uint32_t> attributes);

  private:
    friend Status CreateTriMesh(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, Device*,
                                TriMesh**);
    TriMesh() = default;
    ~TriMesh() = default;

    std::uint32_t refs_ = 1;
    std::uint32_t faceCount_ = 0;
    std::uint32_t vertexCount_ = 0;
    std::uint32_t options_ = 0;
    std::uint32_t vertexFormat_ = 0;
    std::uint32_t stride_ = 0;
    Device* device_ = nullptr;
    int vertexLocks_ = 0;
    int indexLocks_ = 0;
    std::vector<std::uint8_t> vertices_;
    std::vector<std::uint16_t> indices16_;
    std::vector<std::uint32_t> indices32_;
    std::vector<std::uint32_t> attributes_;
};

// Creates a mesh with zero-filled indices and attributes, reference count 1.
Status CreateTriMesh(std::uint32_t faceCount, std::uint32_t vertexCount, std::uint32_t options,
                     std::uint32_t vertexFormat, Device* device, TriMesh** meshOut);

// Releases reference-counted objects held in a unique_ptr.
struct Releaser {
    template <class T>
    void operator()(T* object) const {
        if (object != nullptr) {
            object->Release();
        }
    }
};
using TriMeshPtr = std::unique_ptr<TriMesh, Releaser>;

}  // namespace kx::meshutil
