// The services a plug-in DLL uses inside the modeller: real windows, the
// registry and Direct3D.

#include "host/HostServices.h"
#include "win32/D3D9DeviceService.h"
#include "win32/RegistrySettingsStore.h"
#include "win32/Win32Ui.h"

namespace kx {

HostServices& PlatformDefaultHost() {
    static Win32Ui ui(ThisModule(), LibraryDialogs());
    static RegistrySettingsStore settings("Dorvish", ThisLibraryBaseName());
    static D3D9DeviceService devices;
    static HostServices host{&ui, nullptr, &settings, &devices};
    return host;
}

}  // namespace kx
