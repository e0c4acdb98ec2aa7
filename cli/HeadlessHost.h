#pragma once
// The command line as the modeller: it loads a plug-in library from beside
// the program, hands it the headless services, and runs the plug-in object
// through the library boundary. What the run produced comes back through
// the services: the messages shown (ui) and the files written (files).

#include <ostream>
#include <string>

#include "base/Result.h"
#include "cli/CliUi.h"
#include "host/HostServices.h"
#include "host/ModelLib.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/IniSettingsStore.h"
#include "host/headless/RecordingFileService.h"

namespace kx {

class HeadlessHost {
  public:
    // Messages go to `err` as they are shown, one line each.
    explicit HeadlessHost(std::ostream& err);
    ~HeadlessHost();
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    CliUi ui;
    RecordingFileService files;
    // A store of its own for each run, so no run depends on the person's
    // settings or on an earlier run.
    IniSettingsStore settings;
    PlainDeviceService devices;
    HostServices services;
};

// A model of the in-memory model library for one run, freed with it.
struct ModelHandle {
    ModelHandle() = default;
    ModelHandle(const ModelHandle&) = delete;
    ModelHandle& operator=(const ModelHandle&) = delete;
    ~ModelHandle() { kxModel_Free(model); }
    msModel* model = kxModel_Create();
};

// Loads the library `baseName` from `programDir`, attaches `host`, creates
// the plug-in object, calls Execute with `model` and destroys the object, as
// the modeller does: Execute's value, or a failure naming the library when
// it cannot be loaded (Unreadable) or gives no object (WrongKind).
Result<int> RunPlugInLibrary(const std::string& programDir, const std::string& baseName,
                             HeadlessHost& host, msModel* model);

}  // namespace kx
