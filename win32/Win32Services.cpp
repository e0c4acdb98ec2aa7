// The services a plug-in DLL uses inside the modeller: real windows.

#include "host/HostServices.h"
#include "win32/Win32Ui.h"

namespace kx {

HostServices& PlatformDefaultHost() {
    static Win32Ui ui(ThisModule());
    static HostServices host{&ui};
    return host;
}

}  // namespace kx
