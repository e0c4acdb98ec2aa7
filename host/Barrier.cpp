#include "host/Barrier.h"

#include <string>

#include "host/Ui.h"

namespace kx {

void ReportEscapedException(Ui* ui, msModel* model, ModelOnFailure onFailure, bool outOfMemory,
                            const char* what) noexcept {
    // The message is built and shown as memory allows: the failure that got
    // here may leave too little even for its text, and then the run still
    // ends cleanly without it.
    try {
        if (ui) {
            const std::string text =
                outOfMemory ? std::string(kOutOfMemoryMessage)
                            : kInternalErrorPrefix +
                                  std::string(what && *what ? what : kUnknownExceptionText);
            ui->Message(text, "Error", MessageIcon::Error);
        }
    } catch (...) {
    }
    if (model && onFailure == ModelOnFailure::Release) {
        msModel_Destroy(model);
    }
}

}  // namespace kx
