#include "host/SettingsStore.h"

#include <charconv>
#include <cstdio>

#include "base/Text.h"

namespace kx {

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// A name the INI form can hold on its line.
bool UsableName(std::string_view name, char forbidden) {
    if (name.empty() || name.front() == ' ' || name.back() == ' ' || name.front() == '[' ||
        name.front() == ';' || name.front() == '#') {
        return false;
    }
    for (char c : name) {
        if (IsControl(c) || c == forbidden || c == '=') {
            return false;
        }
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

bool ParseInt(std::string_view s, int& out) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (IsControl(c)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int HexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The inside of a quoted value; false when it is not closed.
bool Unquote(std::string_view s, std::string& out) {
    out.clear();
    for (size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            return Trim(s.substr(i + 1)).empty();
        }
        if (c != '\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const char next = s[++i];
        if (next == 'x' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
        } else {
            out += next;
        }
    }
    return false;
}

}  // namespace

const MemorySettingsStore::Entry* MemorySettingsStore::Find(std::string_view section,
                                                            std::string_view key) const {
    for (const Section& s : sections_) {
        if (SameIgnoringCase(s.name, section)) {
            for (const Entry& e : s.entries) {
                if (SameIgnoringCase(e.key, key)) {
                    return &e;
                }
            }
        }
    }
    return nullptr;
}

int MemorySettingsStore::GetInt(std::string_view section, std::string_view key, int fallback) {
    Refresh(false);
    const Entry* e = Find(section, key);
    int value = 0;
    return e && !e->isString && ParseInt(e->text, value) ? value : fallback;
}

std::string MemorySettingsStore::GetString(std::string_view section, std::string_view key,
                                           std::string_view fallback) {
    Refresh(false);
    const Entry* e = Find(section, key);
    return e && e->isString ? e->text : std::string(fallback);
}

bool MemorySettingsStore::SetInt(std::string_view section, std::string_view key, int value) {
    return Set(section, key, false, std::to_string(value));
}

bool MemorySettingsStore::SetString(std::string_view section, std::string_view key,
                                    std::string_view value) {
    return Set(section, key, true, std::string(value));
}

bool MemorySettingsStore::Set(std::string_view section, std::string_view key, bool isString,
                              std::string text) {
    if (!UsableName(section, ']') || !UsableName(key, '\0')) {
        return false;
    }
    Refresh(true);
    Section* target = nullptr;
    for (Section& s : sections_) {
        if (SameIgnoringCase(s.name, section)) {
            target = &s;
            break;
        }
    }
    if (!target) {
        target = &sections_.emplace_back(Section{std::string(section), {}});
    }
    Entry* entry = nullptr;
    for (Entry& e : target->entries) {
        if (SameIgnoringCase(e.key, key)) {
            entry = &e;
            break;
        }
    }
    if (!entry) {
        entry = &target->entries.emplace_back(Entry{std::string(key), false, {}});
    }
    entry->isString = isString;
    entry->text = std::move(text);
    return Changed();
}

std::string MemorySettingsStore::ToIni() const {
    std::string out;
    for (const Section& s : sections_) {
        if (!out.empty()) {
            out += '\n';
        }
        out += '[' + s.name + "]\n";
        for (const Entry& e : s.entries) {
            out += e.key + '=' + (e.isString ? Quote(e.text) : e.text) + '\n';
        }
    }
    return out;
}

void MemorySettingsStore::FromIni(std::string_view text) {
    sections_.clear();
    Section* current = nullptr;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            current = nullptr;
            if (line.back() == ']') {
                const std::string_view name = Trim(line.substr(1, line.size() - 2));
                for (Section& s : sections_) {
                    if (SameIgnoringCase(s.name, name)) {
                        current = &s;
                    }
                }
                if (!current && !name.empty()) {
                    current = &sections_.emplace_back(Section{std::string(name), {}});
                }
            }
            continue;
        }
        const size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos || eq == 0) {
            continue;
        }
        Entry entry{std::string(Trim(line.substr(0, eq))), false, {}};
        const std::string_view value = Trim(line.substr(eq + 1));
        int number = 0;
        if (!value.empty() && value.front() == '"') {
            entry.isString = true;
            if (!Unquote(value, entry.text)) {
                continue;
            }
        } else if (ParseInt(value, number)) {
            entry.text = std::to_string(number);
        } else {
            entry.isString = true;
            entry.text = std::string(value);
        }
        // A key given twice: the later line stands.
        bool replaced = false;
        for (Entry& e : current->entries) {
            if (SameIgnoringCase(e.key, entry.key)) {
                e = entry;
                replaced = true;
            }
        }
        if (!replaced) {
            current->entries.push_back(std::move(entry));
        }
    }
}

}  // namespace kx
