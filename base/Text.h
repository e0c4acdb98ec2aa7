#pragma once
// Small text rules every layer shares. Case is folded for ASCII letters only:
// the game's name hashes and the file systems it runs on fold A-Z and nothing
// else, and the locale's tolower would make a name match on one machine and
// not on another.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kx {

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = LowerAscii(c);
    }
    return lower;
}

// Equal when A-Z and a-z are taken as the same letters.
inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

enum class HexCase { Lower, Upper };

// "0x" and the value's hex digits, zero-padded to `minDigits`.
inline std::string Hex(uint64_t value, int minDigits, HexCase letters) {
    char text[24];
    std::snprintf(text, sizeof text, letters == HexCase::Upper ? "0x%0*llX" : "0x%0*llx", minDigits,
                  static_cast<unsigned long long>(value));
    return text;
}

// The platform's folder separator: '\' on Windows, '/' elsewhere.
inline char PathSeparator() {
#if defined(_WIN32)
    return '\\';
#else
    return '/';
#endif
}

// Windows takes '/' as a separator too; elsewhere '\' is part of a name.
inline bool IsPathSeparator(char c) {
#if defined(_WIN32)
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// Where the last separator of `path` stands; npos when it has none.
inline size_t LastPathSeparator(std::string_view path) {
    for (size_t i = path.size(); i-- > 0;) {
        if (IsPathSeparator(path[i])) {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace kx
