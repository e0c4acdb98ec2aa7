// The platform's own services outside Windows: without a window system a
// dialog can only be cancelled; messages still reach the person on stderr,
// and settings live in the user's INI file for this library.

#include <iostream>

#include "host/HostServices.h"
#include "host/headless/HeadlessUi.h"
#include "host/headless/IniSettingsStore.h"

namespace kx {

HostServices& PlatformDefaultHost() {
    static HeadlessUi ui(&std::cerr);
    static IniSettingsStore settings(DefaultSettingsPath(ThisLibraryBaseName()), DiskFiles());
    static HostServices host{&ui, nullptr, &settings, nullptr};
    return host;
}

}  // namespace kx
