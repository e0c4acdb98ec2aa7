#pragma once
// Per-user settings in sections and keys: whole numbers and strings, each
// kept as its own kind. The Windows build keeps them in the registry, other
// builds in an INI file under the user's configuration folder
// (host/headless/IniSettingsStore.h); a store given none keeps them in
// memory.

#include <string>
#include <string_view>
#include <vector>

namespace kx {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // The stored value, or `fallback` when there is none or it is of the
    // other kind.
    virtual int GetInt(std::string_view section, std::string_view key, int fallback) = 0;
    virtual std::string GetString(std::string_view section, std::string_view key,
                                  std::string_view fallback) = 0;
    // False when the value could not be kept.
    virtual bool SetInt(std::string_view section, std::string_view key, int value) = 0;
    virtual bool SetString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
};

// Settings held in memory, in the order they were first set. Sections and
// keys match without regard to case, as registry names do.
class MemorySettingsStore : public SettingsStore {
  public:
    int GetInt(std::string_view section, std::string_view key, int fallback) override;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) override;
    bool SetInt(std::string_view section, std::string_view key, int value) override;
    bool SetString(std::string_view section, std::string_view key, std::string_view value) override;

    // The INI text form: "[Section]" lines, then "Key=12" for numbers and
    // Key="text" for strings (backslash, quote and control bytes escaped).
    std::string ToIni() const;
    // Replaces the contents with what `text` holds. Lines it cannot read are
    // skipped; an unquoted value that is not a number is taken as a string.
    void FromIni(std::string_view text);

  protected:
    // Called before every read and every change, to bring the contents up to
    // date with where they are kept.
    virtual void Refresh(bool /*beforeChange*/) {}
    // Called after every change, to keep it; false when it could not be kept.
    virtual bool Changed() { return true; }

  private:
    struct Entry {
        std::string key;
        bool isString = false;
        std::string text;  // the number's digits, or the string
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Entry* Find(std::string_view section, std::string_view key) const;
    bool Set(std::string_view section, std::string_view key, bool isString, std::string text);

    std::vector<Section> sections_;
};

}  // namespace kx
