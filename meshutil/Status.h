#pragma once

#include <cstdint>

namespace kx::meshutil {

// Signed 32-bit results shared by every mesh operation; negative means failure.
// The exporter tells the invalid-call and out-of-memory values apart in its
// messages, so the numbers are part of the interface.
using Status = std::int32_t;

inline constexpr Status STATUS_OK = 0;
inline constexpr Status STATUS_INVALID_CALL = static_cast<Status>(0x8876086Cu);
inline constexpr Status STATUS_OUT_OF_MEMORY = static_cast<Status>(0x8007000Eu);
inline constexpr Status STATUS_INVALID_MESH = static_cast<Status>(0x88760B55u);
inline constexpr Status STATUS_NO_DATA = static_cast<Status>(0x88760B5Au);
inline constexpr Status STATUS_FAIL = static_cast<Status>(0x80004005u);

// Adjacency entry for an edge with no face on its other side.
inline constexpr std::uint32_t NO_NEIGHBOUR = 0xFFFFFFFFu;

}  // namespace kx::meshutil
