#include "cli/ExporterRun.h"

#include "cli/ExportSettingsOptions.h"
#include "cli/HeadlessHost.h"
#include "ms3d/Ms3dIo.h"

namespace kx {

WindowAction Click(int id, std::string label) {
    WindowAction action;
    action.kind = WindowAction::Kind::Click;
    action.id = id;
    action.label = std::move(label);
    return action;
}

int RunExporterLibrary(CliContext& ctx, const std::string& command, const std::string& library,
                       const std::string& input, const std::string& output,
                       const std::function<void(CliUi&)>& answer) {
    ModelHandle handle;
    if (auto read = ReadMs3dModel(input, handle.model); !read) {
        return Failure(ctx, read.Reason());
    }
    HeadlessHost host(ctx.err);
    answer(host.ui);
    if (Result<int> ran = RunPlugInLibrary(ctx.programDir, library, host, handle.model); !ran) {
        return Failure(ctx, ran.Reason());
    }
    if (host.ui.SettingsFileFailed()) {
        return 1;
    }
    if (host.ui.refused) {
        return UsageError(ctx, command,
                          RefusedOptionMessage(host.ui.refused->action, host.ui.refused->outcome));
    }
    return host.files.WasWritten(output) ? 0 : 1;
}

}  // namespace kx
