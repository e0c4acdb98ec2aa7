#pragma once
// Per-user settings in the registry, as the modeller's plug-ins keep them:
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>, whole
// numbers as DWORD values and strings as string values. The game's own
// installation folder is read from where the game's installer put it.

#include <string>

#include "host/SettingsStore.h"

namespace kx {

class RegistrySettingsStore : public SettingsStore {
  public:
    RegistrySettingsStore(std::string company, std::string application);

    int GetInt(std::string_view section, std::string_view key, int fallback) override;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) override;
    bool SetInt(std::string_view section, std::string_view key, int value) override;
    bool SetString(std::string_view section, std::string_view key, std::string_view value) override;

    // The key path under HKEY_CURRENT_USER of a section.
    std::string SectionPath(std::string_view section) const;

  private:
    std::string root_;
};

// The game's installation folder from HKEY_LOCAL_MACHINE; empty when the key
// or value is missing or the value is not a string of at most 255 bytes.
std::string RegistryGameFolder();

}  // namespace kx
