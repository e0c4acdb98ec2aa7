// Any byte string given to the mesh data block or mesh reference reader is
// refused or read, never read outside of; a block that reads must also
// write and read again, and any reference (the input's last 20 bytes) must
// select inside it or be refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRange.h"
#include "meshdata/VMeshRef.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    auto ref = kx::DecodeVMeshRef(bytes.last(size < 20 ? size : 20));
    auto result = kx::DecodeVMeshData(bytes);
    if (!result.Ok()) {
        return 0;
    }
    if (ref) {
        (void)kx::SelectVMeshRange(*result, *ref);
    }
    std::vector<uint8_t> again;
    if (!kx::EncodeVMeshData(*result, again) || !kx::DecodeVMeshData(again).Ok()) {
        std::abort();
    }
    return 0;
}
