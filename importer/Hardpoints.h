#pragma once
// Hardpoints read from the parts' "Hardpoints" folders, and the arrowhead
// marker meshes that show them in the host ("Hp|group|name"), placed and
// turned like the hardpoint.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "base/Vec.h"
#include "host/ModelLib.h"

namespace kx {

class NodeIndex;
struct PartList;

struct HARDPOINT {
    std::string group;  // the folder it sits in, e.g. "Fixed" or "Revolute"
    Mat3 orientation{};
    Vec3 position{};
    std::string name;
    uint32_t partId = 0;
    // An arrowhead 1.125 long and 1 wide in the hardpoint's x-z plane: tip on
    // its -z axis, notch at its origin, facing its +y axis. The exporters take
    // a marker's position as the mean of its first three vertices, so tip and
    // wings balance on the origin: a marker exports where it was read from.
    std::array<Vec3, 4> points{
        {{0.0f, 0.0f, -0.75f}, {-0.5f, 0.0f, 0.375f}, {0.5f, 0.0f, 0.375f}, {0.0f, 0.0f, 0.0f}}};
};

// The hardpoints of every part, in part order, whose names contain `filter`
// (case counts; the empty filter takes all). One without a whole
// "Orientation" (36 bytes) or "Position" (12 bytes) leaf is skipped. More
// hardpoints than the file has nodes (parts sharing one subtree many times
// over) make the file damaged.
Result<std::vector<HARDPOINT>> ReadHardpoints(const NodeIndex& index, const PartList& list,
                                              std::string_view filter);

// The markers of one part's hardpoints, in list order, through the part's
// transform: four vertices, two triangles, a normal per vertex. `ofPart` lists the indices of the
// hardpoints with its id. False when the host takes no more meshes.
bool MakeMarkers(msModel* model, const PartList& list, size_t part,
                 const std::vector<HARDPOINT>& hardpoints, const std::vector<size_t>& ofPart);

}  // namespace kx
