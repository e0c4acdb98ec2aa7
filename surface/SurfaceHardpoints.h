#pragma once
// Hardpoint markers as the collision exporter reads them: which markers are
// hardpoints, their names, ids and shapes, where they stand, and which part
// owns each.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "surface/HostMeshRecords.h"

namespace kx {

struct HardpointRecord {
    Vec3 position{};
    Mat3 orientation = Identity3<float>();
    uint32_t shapeType = 4;
    uint32_t id = 0;  // NameHash of the name, 0 for an empty one
    std::string name;
};

struct HardpointName {
    std::string name;  // from the hardpoint keyword on, trimmed
    uint32_t shapeType = 4;
    bool hp0 = false;  // "Hp0...": always on the first part
};

// Reads a marker's name; nothing when it holds none of the hardpoint keywords.
std::optional<HardpointName> ClassifyHardpointName(std::string_view meshName);

// Position and orientation from the marker's first three vertices (fewer:
// the mean of those it has and no turn).
void PlaceHardpoint(const HostMeshRecord& marker, HardpointRecord& hardpoint);

// A shape vertex turned and moved to the hardpoint.
Vec3 PlaceShapeVertex(const HardpointRecord& hardpoint, const Vec3& vertex);

// Every hardpoint of the model, by owning part: "Hp0" markers and those no
// other part contains go to part 0; otherwise the first part from part 1 on
// whose box, grown by 0.2 (0 for a weapon model), contains the marker's box.
std::vector<std::vector<HardpointRecord>> CollectHardpoints(std::span<const HostMeshRecord> records,
                                                            std::span<const SurfaceBox> partBoxes,
                                                            uint16_t modelType);

}  // namespace kx
