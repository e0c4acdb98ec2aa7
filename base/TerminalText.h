#pragma once
// Text from files as it is printed on a terminal. Names in files are
// anyone's bytes: printed raw, an escape sequence could move the cursor or a
// line feed forge a line of its own, so every name and every message passes
// through these on its way to stdout or stderr.

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace kx {

// A name as printed: bytes below 0x20 and 0x7F become \xHH.
inline std::string Printable(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

// A message as printed: one line, each line feed a space (the plug-ins
// break their message boxes into lines), every other control byte as in
// Printable, since messages quote names from files.
inline std::string OneLine(std::string_view message) {
    std::string line(message);
    std::replace(line.begin(), line.end(), '\n', ' ');
    return Printable(line);
}

}  // namespace kx
