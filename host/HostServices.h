#pragma once
// What a plug-in object reaches the platform through. The modeller's build
// uses the platform's own services; the headless host hands its own to each
// plug-in library through the exported KaltrixAttachHost before it creates
// the plug-in object.

#include "host/Ui.h"

namespace kx {

struct HostServices {
    Ui* ui = nullptr;
};

// This library's services: the attached ones, else the platform default.
HostServices& CurrentHost();
void AttachHost(HostServices* host);

}  // namespace kx

// Exported by every plug-in library beside CreatePlugIn. Null restores the
// default services.
using AttachHostFn = void (*)(kx::HostServices*);
