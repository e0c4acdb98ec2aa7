#pragma once
// The 32-bit, case-insensitive id by which game files refer to one another's
// named things (materials, mesh libraries, parts, hardpoints).

#include <array>
#include <cstdint>
#include <string_view>

namespace kx {

// The 256-entry table. Its generator shifts arithmetically (the sign bit is
// kept), so it is not the common CRC-32 table; ids in game files depend on it.
const std::array<uint32_t, 256>& NameHashTable();

uint32_t NameHash(std::string_view name);

// Whether two names are one to the id: equal but for the case of ASCII
// letters.
bool SameName(std::string_view a, std::string_view b);

}  // namespace kx
