#include "cli/HeadlessHost.h"

#include <filesystem>

#include "cli/PlugInLibrary.h"
#include "host/FileIo.h"

namespace kx {

HeadlessHost::HeadlessHost(std::ostream& err)
    : ui(err),
      settings(UniqueTempPath("headless-settings.ini"), files),
      services{&ui, &files, &settings, &devices} {}

HeadlessHost::~HeadlessHost() {
    std::error_code ec;
    std::filesystem::remove(settings.Path(), ec);
}

bool RunPlugInLibrary(const std::string& programDir, const std::string& baseName,
                      HeadlessHost& host, msModel* model, int& result, std::string& error) {
    const std::string file = PlugInFileName(baseName);
    PlugInLibrary library;
    if (!library.Open((std::filesystem::path(programDir) / file).string(), error)) {
        error = file + ": " + error;
        return false;
    }
    library.Attach(&host.services);
    cMsPlugIn* plugIn = library.Create();
    if (!plugIn) {
        error = file + ": CreatePlugIn gave no object";
        return false;
    }
    result = plugIn->Execute(model);
    DestroyPlugIn(plugIn);
    return true;
}

}  // namespace kx
