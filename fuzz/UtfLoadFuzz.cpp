// Any byte string given to the container reader is refused or read, never
// read outside of; a tree that loads must also save.
#include <cstddef>
#include <cstdint>

#include "container/UtfTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kx::UtfTree tree;
    auto result = tree.LoadFromBytes({data, size});
    if (result.Ok()) {
        (void)tree.Serialize();
    }
    return 0;
}
