#pragma once
// No exception leaves a plug-in's Execute: the plug-in object runs its job
// behind this barrier, which turns an escaped exception into a message for
// the person and a failed run.

#include <exception>
#include <new>

#include "host/ModelLib.h"

namespace kx {

class Ui;

// What a plug-in does with the host's model when its job fails this way:
// the exporters hand it back emptied, as on their Cancel paths; the importer
// leaves it as it is.
enum class ModelOnFailure { Release, Keep };

inline constexpr const char* kOutOfMemoryMessage = "There is not enough memory to finish.";
// Followed by the exception's description.
inline constexpr const char* kInternalErrorPrefix = "The job stopped on an internal error: ";
// Stands for the description of an exception that has none.
inline constexpr const char* kUnknownExceptionText = "an exception of unknown type";

// Shows the message for an escaped exception (caption "Error", error icon)
// and releases or keeps the model. Throws nothing, even when memory is short.
void ReportEscapedException(Ui* ui, msModel* model, ModelOnFailure onFailure, bool outOfMemory,
                            const char* what) noexcept;

// Runs `job` (returning Execute's value); when it throws, reports it as above
// and gives -1.
template <class Job>
int RunBehindBarrier(Ui* ui, msModel* model, ModelOnFailure onFailure, Job&& job) noexcept {
    try {
        return job();
    } catch (const std::bad_alloc&) {
        ReportEscapedException(ui, model, onFailure, true, nullptr);
    } catch (const std::exception& e) {
        ReportEscapedException(ui, model, onFailure, false, e.what());
    } catch (...) {
        ReportEscapedException(ui, model, onFailure, false, nullptr);
    }
    return -1;
}

}  // namespace kx
