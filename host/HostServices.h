#pragma once
// What a plug-in object reaches the platform through. The modeller's build
// uses the platform's own services; the headless host hands its own to each
// plug-in library through the exported KaltrixAttachHost before it creates
// the plug-in object.

#include <optional>
#include <string>

#include "host/Device.h"
#include "host/FileService.h"
#include "host/SettingsStore.h"
#include "host/Ui.h"

namespace kx {

// Where the game and the importer's searches are. The command line sets
// them for its run; a place left unset is the platform's own answer, the
// environment variable named beside it.
struct GamePlaces {
    std::optional<std::string> gameFolder;   // KALTRIX_GAME_DIR
    std::optional<std::string> searchTop;    // KALTRIX_SEARCH_TOP
    std::optional<std::string> meshLibrary;  // KALTRIX_MESH_LIBRARY
    // Where programs are installed, the game's default folder below it.
    std::optional<std::string> programs;  // ProgramFiles
};

struct HostServices {
    Ui* ui = nullptr;
    // Each service left null is a default one, below.
    FileService* files = nullptr;
    SettingsStore* settings = nullptr;
    DeviceService* devices = nullptr;

    // The disk, unrecorded.
    FileService& Files() const;
    // A store in memory that lasts as long as the library.
    SettingsStore& Settings() const;
    // Plain devices.
    DeviceService& Devices() const;

    GamePlaces places{};
    // Each empty when neither set nor in the environment.
    std::string GameFolder() const;
    // The folder the upward library searches stop at.
    std::string SearchTop() const;
    // The separate mesh library file opened with every model.
    std::string MeshLibrary() const;
    std::string ProgramsFolder() const;
};

// This library's services: the attached ones, else the platform default
// (messages on stderr, dialogs cancelled, settings in the user's INI file
// for this library).
HostServices& CurrentHost();
void AttachHost(HostServices* host);

// The base name of the library (or program) this code is part of, such as
// "Tarrow"; empty when it cannot be told.
std::string ThisLibraryBaseName();

}  // namespace kx

// Exported by every plug-in library beside CreatePlugIn. Null restores the
// default services.
using AttachHostFn = void (*)(kx::HostServices*);
