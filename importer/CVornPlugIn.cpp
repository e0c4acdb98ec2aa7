#include "importer/CVornPlugIn.h"

#include "importer/CCMPDialog.h"
#include "importer/MaterialSearch.h"

namespace kx {

int CVornPlugIn::Run(msModel* model) {
    if (!model) {
        return -1;
    }
    NoMaterialSearch search;
    CCMPDialog dialog(host_, model, search);
    host_.ui->RunModal(dialog);
    return 0;
}

}  // namespace kx
