#pragma once
// Models for the tests, built through the model-access calls, and a
// field-by-field comparison of two models.

#include <memory>
#include <string>

#include "host/headless/HeadlessModel.h"

namespace kx::test {

struct ModelDeleter {
    void operator()(msModel* m) const { kxModel_Free(m); }
};
using ModelPtr = std::unique_ptr<msModel, ModelDeleter>;

inline ModelPtr NewModel() {
    return ModelPtr(kxModel_Create());
}

// The first difference as "what: a vs b", or empty when every field the
// model calls expose is equal (floats compared by their bits).
std::string ModelDifference(msModel* a, msModel* b);

// Each model keeps its vertices and normals in order of first use, as a read
// leaves them, so writing and reading it again must give it back unchanged.
ModelPtr CubeModel();           // one textured cube, one material
ModelPtr MixedModel();          // several meshes: empty, no material, flags, long names
ModelPtr GridModel(int cells);  // one mesh of cells x cells quads

}  // namespace kx::test
