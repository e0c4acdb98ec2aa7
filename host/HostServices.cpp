#include "host/HostServices.h"

#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kx {

// The platform's own services: the Windows build's (win32/Win32Services.cpp),
// else the headless ones (host/headless/HeadlessServices.cpp).
HostServices& PlatformDefaultHost();

namespace {

HostServices* g_attached = nullptr;

std::string SetOrFromEnvironment(const std::optional<std::string>& set, const char* variable) {
    if (set) {
        return *set;
    }
    const char* value = std::getenv(variable);
    return value ? value : "";
}

}  // namespace

FileService& HostServices::Files() const {
    return files ? *files : DiskFiles();
}

SettingsStore& HostServices::Settings() const {
    static MemorySettingsStore memory;
    return settings ? *settings : memory;
}

DeviceService& HostServices::Devices() const {
    static PlainDeviceService plain;
    return devices ? *devices : plain;
}

std::string HostServices::GameFolder() const {
    return SetOrFromEnvironment(places.gameFolder, "KALTRIX_GAME_DIR");
}

std::string HostServices::SearchTop() const {
    return SetOrFromEnvironment(places.searchTop, "KALTRIX_SEARCH_TOP");
}

std::string HostServices::MeshLibrary() const {
    return SetOrFromEnvironment(places.meshLibrary, "KALTRIX_MESH_LIBRARY");
}

std::string HostServices::ProgramsFolder() const {
    return SetOrFromEnvironment(places.programs, "ProgramFiles");
}

HostServices& CurrentHost() {
    return g_attached ? *g_attached : PlatformDefaultHost();
}

void AttachHost(HostServices* host) {
    g_attached = host;
}

std::string ThisLibraryBaseName() {
    std::string path;
#if defined(_WIN32)
    HMODULE module = nullptr;
    char name[MAX_PATH];
    if (GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&ThisLibraryBaseName), &module) &&
        GetModuleFileNameA(module, name, sizeof name) > 0) {
        path = name;
    }
#else
    // The object holding this very function: each plug-in library has its
    // own copy of the host code.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ThisLibraryBaseName), &info) && info.dli_fname) {
        path = info.dli_fname;
    }
#endif
    return std::filesystem::path(path).stem().string();
}

}  // namespace kx
