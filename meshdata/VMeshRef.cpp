#include "meshdata/VMeshRef.h"

#include "container/ByteReader.h"
#include "container/ByteWriter.h"

namespace kx {

std::vector<uint8_t> EncodeVMeshRef(const VMeshRef& ref) {
    ByteWriter w;
    w.U32(ref.recordSize);
    w.U32(ref.libraryId);
    for (uint16_t v : {ref.startVertex, ref.vertexCount, ref.startIndex, ref.indexCount,
                       ref.startMesh, ref.meshCount}) {
        w.U16(v);
    }
    for (float v : ref.box) {
        w.F32(v);
    }
    for (float v : ref.centre) {
        w.F32(v);
    }
    w.F32(ref.radius);
    return w.Take();
}

Result<VMeshRef> DecodeVMeshRef(std::span<const uint8_t> bytes) {
    VMeshRef ref;
    ByteReader r(bytes);
    r.U32(ref.recordSize);
    r.U32(ref.libraryId);
    for (uint16_t* v : {&ref.startVertex, &ref.vertexCount, &ref.startIndex, &ref.indexCount,
                        &ref.startMesh, &ref.meshCount}) {
        r.U16(*v);
    }
    if (!r.Ok()) {
        return Status::Failure(Fault::Damaged, "The mesh reference is too short (" +
                                                   std::to_string(bytes.size()) + " of " +
                                                   std::to_string(kVMeshRefSize) + " bytes)");
    }
    ref.hasBounds = bytes.size() >= kVMeshRefSize;
    if (ref.hasBounds) {
        for (float& v : ref.box) {
            r.F32(v);
        }
        for (float& v : ref.centre) {
            r.F32(v);
        }
        r.F32(ref.radius);
    }
    return ref;
}

}  // namespace kx
