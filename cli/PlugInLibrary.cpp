#include "cli/PlugInLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kx {

namespace {

void* Symbol(void* handle, const char* name) {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

}  // namespace

std::string PlugInFileName(const std::string& baseName) {
#if defined(_WIN32)
    return baseName + ".dll";
#else
    return baseName + ".so";
#endif
}

PlugInLibrary::~PlugInLibrary() {
    if (!handle_) {
        return;
    }
    if (attach_) {
        attach_(nullptr);
    }
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

Status PlugInLibrary::Open(const std::string& path) {
#if defined(_WIN32)
    handle_ = LoadLibraryA(path.c_str());
    if (!handle_) {
        return Status::Failure(Fault::Unreadable,
                               "cannot load (error " + std::to_string(GetLastError()) + ")");
    }
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        return Status::Failure(Fault::Unreadable, why ? why : "cannot load");
    }
#endif
    create_ = reinterpret_cast<CreatePlugInFn>(Symbol(handle_, "CreatePlugIn"));
    attach_ = reinterpret_cast<AttachHostFn>(Symbol(handle_, "KaltrixAttachHost"));
    if (!create_) {
        return Status::Failure(Fault::WrongKind, "has no CreatePlugIn");
    }
    return Status::Success();
}

void PlugInLibrary::Attach(HostServices* host) {
    if (attach_) {
        attach_(host);
    }
}

cMsPlugIn* PlugInLibrary::Create() {
    return create_ ? create_() : nullptr;
}

}  // namespace kx
