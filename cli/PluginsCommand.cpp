#include <filesystem>

#include "cli/CliCommands.h"
#include "cli/PlugInLibrary.h"

namespace kx {

int RunPlugins(const std::vector<std::string>& args, CliContext& ctx) {
    std::vector<std::string> extra;
    std::string unknown;
    if (!Positionals(args, extra, unknown)) {
        return UsageError(ctx, "plugins", "unknown option '" + unknown + "'");
    }
    if (!extra.empty()) {
        return UsageError(ctx, "plugins", "unexpected argument '" + extra[0] + "'");
    }
    int rc = 0;
    for (const char* base : {"Tarrow", "Ommel", "Brasket"}) {
        const std::string file = PlugInFileName(base);
        const std::string path = (std::filesystem::path(ctx.programDir) / file).string();
        PlugInLibrary library;
        if (Status opened = library.Open(path); !opened) {
            rc = Failure(ctx, file + ": " + opened.Reason());
            continue;
        }
        cMsPlugIn* plugIn = library.Create();
        if (!plugIn) {
            rc = Failure(ctx, file + ": CreatePlugIn gave no object");
            continue;
        }
        ctx.out << file << '\t' << plugIn->GetType() << '\t' << plugIn->GetTitle() << '\n';
        DestroyPlugIn(plugIn);
    }
    return rc;
}

}  // namespace kx
