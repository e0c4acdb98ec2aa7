#include "host/HostServices.h"

#include <iostream>

#include "host/HeadlessUi.h"

namespace kx {

namespace {

HostServices& DefaultHost() {
    // Without a window system a dialog can only be cancelled; messages still
    // reach the person on stderr.
    static HeadlessUi ui(&std::cerr);
    static HostServices host{&ui};
    return host;
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
