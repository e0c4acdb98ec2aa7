#pragma once
// Names come from files and may hold any bytes, but cairo takes only valid
// UTF-8 and stops drawing altogether after a string that is not.

#include <string>
#include <string_view>

namespace kx {

// `text` with every byte that is not part of a valid UTF-8 sequence, and
// every control character, replaced by '?'; cut to `maxCharacters`
// characters with "..." after.
std::string TextForCairo(std::string_view text, size_t maxCharacters = 80);

}  // namespace kx
