#pragma once
// A plug-in library loaded the way the modeller loads it.

#include <string>

#include "base/Result.h"
#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class PlugInLibrary {
  public:
    PlugInLibrary() = default;
    PlugInLibrary(const PlugInLibrary&) = delete;
    PlugInLibrary& operator=(const PlugInLibrary&) = delete;
    ~PlugInLibrary();

    // Loads the library and finds CreatePlugIn: Unreadable when the library
    // does not load, WrongKind when it has no CreatePlugIn.
    Status Open(const std::string& path);
    // Hands our services to the library, for the objects it creates next.
    void Attach(HostServices* host);
    cMsPlugIn* Create();

  private:
    void* handle_ = nullptr;
    CreatePlugInFn create_ = nullptr;
    AttachHostFn attach_ = nullptr;
};

// The file name of a plug-in library on this platform, e.g. "Tarrow.so".
std::string PlugInFileName(const std::string& baseName);

}  // namespace kx
