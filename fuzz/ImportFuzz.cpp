// Any byte string opened as a model file goes the whole way a person's
// import goes (index, levels, every block of a level, parts, constraints,
// hardpoints, host meshes and markers) or is refused on the way; nothing
// is read outside the bytes, and an import never asks for far more memory
// than the bytes can justify.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/headless/HeadlessModel.h"
#include "importer/CMPModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kx::CMPModel file;
    if (!file.Open(std::vector<uint8_t>(data, data + size)).Ok()) {
        return 0;
    }
    // The first level, as an import without a choice takes it, and the
    // last, so blocks of higher levels are read too.
    const int last = static_cast<int>(file.Levels().size()) - 1;
    for (int level : {last < 0 ? -1 : 0, last}) {
        if (!file.LoadLevel(level).Ok()) {
            continue;
        }
        // The empty filter takes every hardpoint.
        auto plan = file.Plan({true, ""});
        if (!plan.Ok()) {
            continue;
        }
        msModel* model = kxModel_Create();
        kx::ImportTotals totals;
        (void)kx::ImportModel(model, plan.Value(), file.Arrays(), level != 0, totals);
        kxModel_Free(model);
    }
    return 0;
}
