#include "importer/MaterialSearch.h"

#include "host/Window.h"

namespace kx {

void NoMaterialSearch::Start(const MaterialSearchJob& job) {
    if (job.dialog) {
        job.dialog->Post(kPostAutoLoadCheck);
    }
}

}  // namespace kx
