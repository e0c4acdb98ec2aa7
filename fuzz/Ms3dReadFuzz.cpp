// Any byte string given to the model file reader is refused or read, never
// read outside of; whatever the writer makes of a model built from it must
// read again. (Splitting vertices can outgrow what a file holds, so the
// writer may refuse.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/headless/HeadlessModel.h"
#include "ms3d/Ms3dModel.h"
#include "ms3d/Ms3dRead.h"
#include "ms3d/Ms3dWrite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto file = kx::ParseMs3d({data, size});
    if (!file) {
        return 0;
    }
    msModel* model = kxModel_Create();
    if (kx::BuildModel(*file, model).Ok()) {
        const kx::Result<kx::Ms3dFile> out = kx::FileFromModel(model);
        if (out && !kx::ParseMs3d(kx::SerializeMs3d(*out))) {
            std::abort();
        }
    }
    kxModel_Free(model);
    return 0;
}
