#include "win32/RegistrySettingsStore.h"

#include <windows.h>

#include <vector>

namespace kx {

namespace {

// Where the game keeps its folder, and the section and key the importer
// asks for it by.
constexpr const char* kGameKey = "SOFTWARE\\Microsoft\\Microsoft Games\\Kaltrix\\1.0";
constexpr const char* kGameValue = "AppPath";
constexpr std::string_view kGameSection = "Directories";
constexpr std::string_view kGameKeyName = "GamePath";
constexpr DWORD kGameFolderMax = 255;
// Longer strings are not settings of ours.
constexpr DWORD kStringMax = 32 * 1024;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// A string value of at most `limit` bytes, without its terminator.
bool ReadString(HKEY root, const std::string& path, const std::string& name, DWORD limit,
                REGSAM extra, std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | extra, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    bool ok =
        RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size <= limit + 1;
    std::vector<char> bytes(size + 1, '\0');
    if (ok) {
        DWORD got = size;
        ok = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(bytes.data()), &got) == ERROR_SUCCESS &&
             got <= size;
        size = got;
    }
    RegCloseKey(key);
    if (!ok) {
        return false;
    }
    // The stored terminator, if any, is not part of the text.
    out.assign(bytes.data(), size);
    out.resize(std::string(out.c_str()).size());
    return true;
}

bool Write(const std::string& path, const std::string& name, DWORD type, const BYTE* data,
           DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool ok = RegSetValueExA(key, name.c_str(), 0, type, data, size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::string company, std::string application)
    : root_("Software\\" + company + "\\" + application) {}

std::string RegistrySettingsStore::SectionPath(std::string_view section) const {
    return root_ + "\\" + std::string(section);
}

int RegistrySettingsStore::GetInt(std::string_view section, std::string_view key, int fallback) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS) {
        return fallback;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const bool ok = RegQueryValueExA(handle, std::string(key).c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
                    type == REG_DWORD && size == sizeof value;
    RegCloseKey(handle);
    return ok ? static_cast<int>(value) : fallback;
}

std::string RegistrySettingsStore::GetString(std::string_view section, std::string_view key,
                                             std::string_view fallback) {
    if (SameName(section, kGameSection) && SameName(key, kGameKeyName)) {
        const std::string folder = RegistryGameFolder();
        return folder.empty() ? std::string(fallback) : folder;
    }
    std::string value;
    if (!ReadString(HKEY_CURRENT_USER, SectionPath(section), std::string(key), kStringMax, 0,
                    value)) {
        return std::string(fallback);
    }
    return value;
}

bool RegistrySettingsStore::SetInt(std::string_view section, std::string_view key, int value) {
    const DWORD word = static_cast<DWORD>(value);
    return Write(SectionPath(section), std::string(key), REG_DWORD,
                 reinterpret_cast<const BYTE*>(&word), sizeof word);
}

bool RegistrySettingsStore::SetString(std::string_view section, std::string_view key,
                                      std::string_view value) {
    // The game's folder belongs to the game.
    if (SameName(section, kGameSection) && SameName(key, kGameKeyName)) {
        return false;
    }
    if (value.size() > kStringMax || value.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::string text(value);
    return Write(SectionPath(section), std::string(key), REG_SZ,
                 reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
}

std::string RegistryGameFolder() {
    // The game is a 32-bit program: its key is in the 32-bit view.
    std::string folder;
    if (!ReadString(HKEY_LOCAL_MACHINE, kGameKey, kGameValue, kGameFolderMax, KEY_WOW64_32KEY,
                    folder)) {
        return {};
    }
    return folder;
}

}  // namespace kx
