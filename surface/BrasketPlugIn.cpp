#include "surface/BrasketPlugIn.h"

namespace kx {

int BrasketPlugIn::Run(msModel* model) {
    if (!model) {
        return -1;
    }
    return 0;
}

}  // namespace kx
