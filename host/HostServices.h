#pragma once
// What a plug-in object reaches the platform through. The modeller's build
// uses the platform's own services; the headless host hands its own to each
// plug-in library through the exported KaltrixAttachHost before it creates
// the plug-in object.

#include "host/Device.h"
#include "host/FileService.h"
#include "host/SettingsStore.h"
#include "host/Ui.h"

namespace kx {

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
