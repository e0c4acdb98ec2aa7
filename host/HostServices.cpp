#include "host/HostServices.h"

#include <iostream>

#include "host/HeadlessUi.h"

namespace kx {

#if defined(_WIN32)
// The Windows build's services (win32/Win32Services.cpp).
HostServices& PlatformDefaultHost();
#endif

namespace {

HostServices& DefaultHost() {
#if defined(_WIN32)
    return PlatformDefaultHost();
#else
    // Without a window system a dialog can only be cancelled; messages still
    // reach the person on stderr.
    static HeadlessUi ui(&std::cerr);
    static HostServices host{&ui};
    return host;
#endif
}

HostServices* g_attached = nullptr;

}  // namespace

HostServices& CurrentHost() {
    return g_attached ? *g_attached : DefaultHost();
}

void AttachHost(HostServices* host) {
    g_attached = host;
}

}  // namespace kx
