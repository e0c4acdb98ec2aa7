#pragma once
// The exported entry points of a plug-in library, defined once per library
// with KX_DEFINE_PLUGIN_ENTRY(Class).

#include <new>

#include "host/HostServices.h"
#include "host/PlugIn.h"

#if defined(_WIN32)
#define KX_ENTRY_CALL __cdecl
#else
#define KX_ENTRY_CALL
#endif

#define KX_DEFINE_PLUGIN_ENTRY(Class)                                               \
    KX_PLUGIN_EXPORT cMsPlugIn* KX_ENTRY_CALL CreatePlugIn() {                      \
        return new (std::nothrow) Class(kx::CurrentHost());                         \
    }                                                                               \
    KX_PLUGIN_EXPORT void KX_ENTRY_CALL KaltrixAttachHost(kx::HostServices* host) { \
        kx::AttachHost(host);                                                       \
    }
