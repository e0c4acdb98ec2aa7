#include "render/TextForCairo.h"

#include <cstdint>

namespace kx {

namespace {

// The length of the valid UTF-8 sequence at `s`, or 0: no overlong forms,
// no surrogates, nothing past U+10FFFF.
size_t SequenceLength(std::string_view s) {
    const auto b0 = static_cast<uint8_t>(s[0]);
    size_t length = 0;
    uint32_t cp = 0;
    if (b0 < 0x80) {
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto b = static_cast<uint8_t>(s[i]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    constexpr uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string TextForCairo(std::string_view text, size_t maxCharacters) {
    std::string out;
    size_t characters = 0;
    while (!text.empty()) {
        if (characters == maxCharacters) {
            out += "...";
            break;
        }
        const size_t length = SequenceLength(text);
        const auto b0 = static_cast<uint8_t>(text[0]);
        if (length == 0 || b0 < 0x20 || b0 == 0x7F) {
            out += '?';
            text.remove_prefix(length == 0 ? 1 : length);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
        ++characters;
    }
    return out;
}

}  // namespace kx
