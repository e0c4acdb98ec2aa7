#include "exporter/TarrowPlugIn.h"

namespace kx {

int TarrowPlugIn::Execute(msModel* model) {
    if (!model) {
        return -1;
    }
    (void)host_;
    return 0;
}

}  // namespace kx
