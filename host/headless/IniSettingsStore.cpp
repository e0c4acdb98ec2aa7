#include "host/headless/IniSettingsStore.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kx {

void IniSettingsStore::Refresh(bool beforeChange) {
    if (loaded_ && !beforeChange) {
        return;
    }
    std::vector<uint8_t> bytes;
    const FileOutcome read = path_.empty() ? FileOutcome::NotFound : files_.Read(path_, bytes);
    if (read == FileOutcome::Done) {
        FromIni(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } else if (read == FileOutcome::NotFound && !loaded_) {
        FromIni({});
    }
    // Anything else (a folder in its place, a read error) keeps what is held.
    loaded_ = true;
}

bool IniSettingsStore::Changed() {
    if (path_.empty()) {
        return false;
    }
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
    }
    const std::string text = ToIni();
    return files_.Write(path_, std::span(reinterpret_cast<const uint8_t*>(text.data()),
                                         text.size())) == FileOutcome::Done;
}

std::string DefaultSettingsPath(std::string_view libraryBaseName) {
    std::filesystem::path folder;
    // A relative XDG_CONFIG_HOME is to be ignored, as an unset one is.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && config[0] == '/') {
        folder = config;
    } else if (home && home[0] != '\0') {
        folder = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return (folder / "Dorvish" / (std::string(libraryBaseName) + ".ini")).string();
}

}  // namespace kx
