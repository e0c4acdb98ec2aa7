#pragma once
// Hardpoint and camera marker meshes: how their names are read, where they
// stand, how they are oriented, and the nodes they become.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "container/UtfTree.h"
#include "meshdata/ExportMesh.h"

namespace kx {

enum class MarkerKind { None, Fixed, Revolute, Camera, Ignored };

struct Marker {
    MarkerKind kind = MarkerKind::None;
    std::string name;  // the hardpoint or camera name; empty for None and Ignored
};

// Reads a mesh name (after the "Ix" rule): "Hp?Fixed?name", "Hp?Revolute?name",
// "Hp?Camera?name", any other "Hp..." is an ignored marker, the rest no marker.
Marker ClassifyMarker(std::string_view meshName);

// The mean of the marker's first three vertices (fewer: of those it has; none:
// the origin).
Vec3 MarkerPosition(const ExportMesh& marker);

using Rotation = std::array<float, 9>;  // 3 x 3, row by row
inline constexpr Rotation kIdentityRotation{1, 0, 0, 0, 1, 0, 0, 0, 1};

// Identity for the names that always get it (and when no triangle is near);
// otherwise rows built from the normal of the ordinary triangle nearest to
// `position`.
Rotation HardpointOrientation(std::string_view hardpointName, const Vec3& position,
                              std::span<const ExportMesh> meshes);

// Writes one fixed or revolving hardpoint under `hardpoints` ("Fixed" or
// "Revolute" folder, then its node and leaves), each node found or added; a
// hardpoint node is found by its name without regard to case. Its position is
// stored relative to `partOrigin`, the origin of the part that holds it.
void WriteHardpoint(UtfTree& tree, UtfNode* hardpoints, const Marker& marker,
                    const ExportMesh& mesh, std::span<const ExportMesh> meshes,
                    const Vec3& partOrigin = {});

// The camera name of a cockpit: from its first camera marker, else
// "CockpitCamera"; and that marker's position (the origin without one).
struct CockpitCamera {
    std::string name = "CockpitCamera";
    Vec3 position{};
};
CockpitCamera FindCockpitCamera(std::span<const ExportMesh> meshes);

}  // namespace kx
