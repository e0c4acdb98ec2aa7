#pragma once
// A plug-in library loaded the way the modeller loads it.

#include <string>

#include "host/HostServices.h"
#include "host/PlugIn.h"

namespace kx {

class PlugInLibrary {
  public:
    PlugInLibrary() = default;
    PlugInLibrary(const PlugInLibrary&) = delete;
    PlugInLibrary& operator=(const PlugInLibrary&) = delete;
    ~PlugInLibrary();

    // Loads the library and finds CreatePlugIn; false with `error` set when
    // either fails.
    bool Open(const std::string& path, std::string& error);
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
