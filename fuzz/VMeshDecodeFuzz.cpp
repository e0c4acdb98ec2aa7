// Any byte string given to the mesh data block or mesh reference reader is
// refused or read, never read outside of; a block that reads must also
// write and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRef.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)kx::DecodeVMeshRef({data, size});
    auto result = kx::DecodeVMeshData({data, size});
    if (result.ok) {
        std::vector<uint8_t> bytes;
        if (!kx::EncodeVMeshData(result.block, bytes) || !kx::DecodeVMeshData(bytes).ok) {
            std::abort();
        }
    }
    return 0;
}
