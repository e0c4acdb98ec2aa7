#include "importer/OmmelPlugIn.h"

namespace kx {

int OmmelPlugIn::Execute(msModel* model) {
    if (!model) {
        return -1;
    }
    (void)host_;
    return 0;
}

}  // namespace kx
