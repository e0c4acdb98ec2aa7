#include "importer/MaterialLibrary.h"

#include "importer/MeshArrays.h"
#include "importer/NodeIndex.h"

namespace kx {

bool ImportMaterialLibrary(const NodeIndex&, MaterialImport& job) {
    return job.finished && job.finished->load();
}

}  // namespace kx
