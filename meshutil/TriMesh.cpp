#include "meshutil/TriMesh.h"

#include <limits>
#include <new>

#include "meshutil/VertexFormat.h"

namespace kx::meshutil {

std::uint32_t TriMesh::AddRef() {
    return ++refs_;
}

std::uint32_t TriMesh::Release() {
    const std::uint32_t left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

Status TriMesh::LockVertexBuffer(std::uint32_t /*flags*/, void** data) {
    if (data == nullptr) {
        return STATUS_INVALID_CALL;
    }
    ++vertexLocks_;
    *data = vertices_.data();
    return STATUS_OK;
}

Status TriMesh::UnlockVertexBuffer() {
    if (vertexLocks_ == 0) {
        return STATUS_INVALID_CALL;
    }
    --vertexLocks_;
    return STATUS_OK;
}

Status TriMesh::LockIndexBuffer(std::uint32_t /*flags*/, void** data) {
    if (data == nullptr) {
        return STATUS_INVALID_CALL;
    }
    ++indexLocks_;
    *data = Uses32BitIndices() ? static_cast<void*>(indices32_.data())
                               : static_cast<void*>(indices16_.data());
    return STATUS_OK;
}

Status TriMesh::UnlockIndexBuffer() {
    if (indexLocks_ == 0) {
        return STATUS_INVALID_CALL;
    }
    --indexLocks_;
    return STATUS_OK;
}

void TriMesh::SetIndex(std::size_t entry, std::uint32_t value) {
    if (Uses32BitIndices()) {
        indices32_[entry] = value;
    } else {
        indices16_[entry] = static_cast<std::uint16_t>(value);
    }
}

void TriMesh::Replace(std::vector<std::uint8_t> vertices, const std::vector<std::uint32_t>& indices,
                      std::vector<std::uint32_t> attributes) {
    // Compaction only shrinks the index array, so this step allocates nothing.
    vertices_ = std::move(vertices);
    attributes_ = std::move(attributes);
    faceCount_ = static_cast<std::uint32_t>(attributes_.size());
    vertexCount_ = static_cast<std::uint32_t>(vertices_.size() / stride_);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        SetIndex(i, indices[i]);
    }
    indices16_.resize(Uses32BitIndices() ? 0 : indices.size());
    indices32_.resize(Uses32BitIndices() ? indices.size() : 0);
}

Status CreateTriMesh(std::uint32_t faceCount, std::uint32_t vertexCount, std::uint32_t options,
                     std::uint32_t vertexFormat, Device* device, TriMesh** meshOut) {
    if (vertexFormat == 0 || (vertexFormat & 0x001) != 0 ||
        (vertexFormat & FVF_POSITION_MASK) == FVF_XYZRHW) {
        return STATUS_INVALID_CALL;
    }
    if ((options & ~MESH_VALID_OPTIONS) != 0) {
        return STATUS_INVALID_CALL;
    }
    if (device == nullptr || meshOut == nullptr) {
        return STATUS_INVALID_CALL;
    }
    if (faceCount == 0 || vertexCount == 0) {
        return STATUS_INVALID_CALL;
    }
    // 0xFFFF marks an unused face in a 16-bit mesh, so neither count may reach it.
    if ((options & MESH_32BIT) == 0 && (faceCount >= 0xFFFF || vertexCount >= 0xFFFF)) {
        return STATUS_INVALID_CALL;
    }
    const std::uint32_t stride = VertexFormatSize(vertexFormat);
    if (stride == 0) {
        return STATUS_INVALID_CALL;
    }
    // Sizes are checked so that a 32-bit build cannot wrap them around.
    constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::size_t>::max() / 2;
    if (std::uint64_t{vertexCount} * stride > kMaxBytes ||
        std::uint64_t{faceCount} * 12 > kMaxBytes) {
        return STATUS_OUT_OF_MEMORY;
    }
    TriMesh* mesh = new (std::nothrow) TriMesh();
    if (mesh == nullptr) {
        return STATUS_OUT_OF_MEMORY;
    }
    try {
        mesh->vertices_.assign(std::size_t{vertexCount} * stride, 0);
        if (options & MESH_32BIT) {
            mesh->indices32_.assign(std::size_t{faceCount} * 3, 0);
        } else {
            mesh->indices16_.assign(std::size_t{faceCount} * 3, 0);
        }
        mesh->attributes_.assign(faceCount, 0);
    } catch (const std::bad_alloc&) {
        delete mesh;
        return STATUS_OUT_OF_MEMORY;
    }
    mesh->faceCount_ = faceCount;
    mesh->vertexCount_ = vertexCount;
    mesh->options_ = options;
    mesh->vertexFormat_ = vertexFormat;
    mesh->stride_ = stride;
    mesh->device_ = device;
    *meshOut = mesh;
    return STATUS_OK;
}

}  // namespace kx::meshutil
