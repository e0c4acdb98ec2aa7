#pragma once
// Settings kept in an INI file, as every build but the Windows one keeps
// them.

#include <string>
#include <string_view>

#include "host/FileService.h"
#include "host/SettingsStore.h"

namespace kx {

// An INI file, read when first needed and written whole through `files`
// (to a temporary beside it, then renamed) after every change. A change
// reads the file again first, so values another process wrote meanwhile
// are kept.
class IniSettingsStore : public MemorySettingsStore {
  public:
    IniSettingsStore(std::string path, FileService& files)
        : path_(std::move(path)), files_(files) {}
    const std::string& Path() const { return path_; }

  protected:
    void Refresh(bool beforeChange) override;
    bool Changed() override;

  private:
    std::string path_;
    FileService& files_;
    bool loaded_ = false;
};

// Where a library's settings live on this user's machine:
// $XDG_CONFIG_HOME (else ~/.config) / Dorvish / <library base name>.ini.
// Empty when there is no home folder to put it in.
std::string DefaultSettingsPath(std::string_view libraryBaseName);

}  // namespace kx
