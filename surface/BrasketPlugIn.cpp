#include "surface/BrasketPlugIn.h"

namespace kx {

int BrasketPlugIn::Execute(msModel* model) {
    if (!model) {
        return -1;
    }
    (void)host_;
    return 0;
}

}  // namespace kx
