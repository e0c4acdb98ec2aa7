#include "importer/OmmelPlugIn.h"

namespace kx {

int OmmelPlugIn::Run(msModel* model) {
    if (!model) {
        return -1;
    }
    return 0;
}

}  // namespace kx
