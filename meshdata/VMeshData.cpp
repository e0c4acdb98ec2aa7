#include "meshdata/VMeshData.h"

#include <cstdio>

#include "container/ByteReader.h"
#include "container/ByteWriter.h"

namespace kx {

size_t VMeshVertexStride(uint16_t format) {
    size_t stride = fvf::PositionBytes(format & kFvfPosition);
    stride += (format & kFvfNormal) ? fvf::kNormalBytes : 0;
    stride += (format & kFvfDiffuse) ? fvf::kDiffuseBytes : 0;
    const uint32_t texSets = (format & (kFvfTex1 | kFvfTex2)) >> fvf::kTexCountShift;
    stride += texSets * fvf::TexSetBytes(0);
    return stride;
}

namespace {

void WriteFloats(ByteWriter& w, std::span<const float> values) {
    for (float v : values) {
        w.F32(v);
    }
}

bool ReadFloats(ByteReader& r, std::span<float> values) {
    for (float& v : values) {
        r.F32(v);
    }
    return r.Ok();
}

// Elements in their fixed order, each only when its bit is set. With both
// texture bits set the 16-byte element comes last and so supplies uv.
void WriteVertex(ByteWriter& w, uint16_t format, const VMeshVertex& v) {
    if (format & kFvfPosition) {
        WriteFloats(w, v.position);
    }
    if (format & kFvfNormal) {
        WriteFloats(w, v.normal);
    }
    if (format & kFvfDiffuse) {
        w.U32(v.diffuse);
    }
    if (format & kFvfTex1) {
        WriteFloats(w, v.uv);
    }
    if (format & kFvfTex2) {
        WriteFloats(w, v.uv);
        WriteFloats(w, v.uv2);
    }
}

bool ReadVertex(ByteReader& r, uint16_t format, VMeshVertex& v) {
    if (format & kFvfPosition) {
        ReadFloats(r, v.position);
    }
    if (format & kFvfNormal) {
        ReadFloats(r, v.normal);
    }
    if (format & kFvfDiffuse) {
        r.U32(v.diffuse);
    }
    if (format & kFvfTex1) {
        ReadFloats(r, v.uv);
    }
    if (format & kFvfTex2) {
        ReadFloats(r, v.uv);
        ReadFloats(r, v.uv2);
    }
    return r.Ok();
}

std::string Format(const char* pattern, auto... args) {
    char text[200];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

}  // namespace

bool EncodeVMeshData(const VMeshBlock& block, std::vector<uint8_t>& out) {
    if (block.meshes.size() > kVMeshMaxCount || block.triangles.size() > kVMeshMaxTriangles ||
        block.vertices.size() > kVMeshMaxCount || (block.format & ~kFvfKnown) != 0 ||
        (block.format & kFvfPosition) == 0) {
        return false;
    }
    ByteWriter w;
    w.U32(block.headerWord1);
    w.U32(block.headerWord2);
    w.U16(static_cast<uint16_t>(block.meshes.size()));
    w.U16(static_cast<uint16_t>(block.triangles.size() * 3));
    w.U16(block.format);
    w.U16(static_cast<uint16_t>(block.vertices.size()));
    for (const VMeshRecord& m : block.meshes) {
        w.U32(m.materialId);
        w.U16(m.startVertex);
        w.U16(m.endVertex);
        w.U16(m.indexCount);
        w.U16(m.padding);
    }
    for (const VMeshTriangle& t : block.triangles) {
        for (uint16_t index : t) {
            w.U16(index);
        }
    }
    for (const VMeshVertex& v : block.vertices) {
        WriteVertex(w, block.format, v);
    }
    out = w.Take();
    return true;
}

Result<VMeshBlock> DecodeVMeshData(std::span<const uint8_t> bytes) {
    VMeshBlock block;
    ByteReader r(bytes);
    uint16_t meshCount = 0, vertexCount = 0;
    r.U32(block.headerWord1);
    r.U32(block.headerWord2);
    r.U16(meshCount);
    r.U16(block.indexCount);
    r.U16(block.format);
    r.U16(vertexCount);
    if (!r.Ok()) {
        return Status::Failure(
            Fault::Damaged,
            Format("The mesh data block is too short for its header (%zu of %zu bytes)",
                   bytes.size(), kVMeshHeaderSize));
    }
    if ((block.format & ~kFvfKnown) != 0) {
        return Status::Failure(
            Fault::Refused,
            Format("The mesh data block has an unknown vertex format 0x%x", block.format));
    }
    if ((block.format & kFvfPosition) == 0) {
        return Status::Failure(
            Fault::Damaged,
            Format("The mesh data block has a vertex format without a position (0x%x)",
                   block.format));
    }
    // Checked before anything is allocated, so a damaged header never asks
    // for more than the bytes can hold.
    const size_t triangleCount = block.indexCount / 3u;
    const size_t needed = kVMeshHeaderSize + meshCount * kVMeshRecordSize +
                          triangleCount * kVMeshTriangleSize +
                          vertexCount * VMeshVertexStride(block.format);
    if (needed > bytes.size()) {
        return Status::Failure(
            Fault::Damaged,
            Format("The mesh data block is too short for its counts (%u meshes, %u indices, %u "
                   "vertices need %zu bytes, it has %zu)",
                   unsigned{meshCount}, unsigned{block.indexCount}, unsigned{vertexCount}, needed,
                   bytes.size()));
    }
    block.meshes.resize(meshCount);
    for (VMeshRecord& m : block.meshes) {
        r.U32(m.materialId);
        r.U16(m.startVertex);
        r.U16(m.endVertex);
        r.U16(m.indexCount);
        r.U16(m.padding);
    }
    block.triangles.resize(triangleCount);
    for (VMeshTriangle& t : block.triangles) {
        for (uint16_t& index : t) {
            r.U16(index);
        }
    }
    block.vertices.resize(vertexCount);
    for (VMeshVertex& v : block.vertices) {
        ReadVertex(r, block.format, v);
    }
    // The size check above makes this a formality; it keeps the reader
    // honest should the two ever disagree.
    if (!r.Ok()) {
        return Status::Failure(Fault::Damaged, "The mesh data block ends inside its data");
    }
    return block;
}

}  // namespace kx
