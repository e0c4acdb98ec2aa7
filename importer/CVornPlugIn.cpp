#include "importer/CVornPlugIn.h"

#include "importer/CCMPDialog.h"
#include "importer/LibrarySearch.h"

namespace kx {

int CVornPlugIn::Run(msModel* model) {
    if (!model) {
        return -1;
    }
    LibrarySearch search;
    CCMPDialog dialog(host_, model, search);
    host_.ui->RunModal(dialog);
    return 0;
}

}  // namespace kx
