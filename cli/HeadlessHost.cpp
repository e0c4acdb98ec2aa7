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

Result<int> RunPlugInLibrary(const std::string& programDir, const std::string& baseName,
                             HeadlessHost& host, msModel* model) {
    const std::string file = PlugInFileName(baseName);
    PlugInLibrary library;
    if (Status opened = library.Open((std::filesystem::path(programDir) / file).string());
        !opened) {
        return Status::Failure(opened.GetFault(), file + ": " + opened.Reason());
    }
    library.Attach(&host.services);
    cMsPlugIn* plugIn = library.Create();
    if (!plugIn) {
        return Status::Failure(Fault::WrongKind, file + ": CreatePlugIn gave no object");
    }
    const int result = plugIn->Execute(model);
    DestroyPlugIn(plugIn);
    return result;
}

}  // namespace kx
