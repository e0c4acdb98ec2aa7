#pragma once
// The hulls of every surface part: one per part mesh, one per hardpoint, the
// shield bubble and the outer wrap hull, with the bounding-sphere nodes over
// them and each part's inertia.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "surface/PartMeshes.h"
#include "surface/SurfacePart.h"

namespace kx {

inline constexpr uint32_t kShieldId = 0xF00FB9DE;
inline constexpr uint32_t kRootNodeTag = 0xA061A7;
inline constexpr uint32_t kShieldNodeTag = 0x3C03EE77;

// The density that gives `mass` to the box; 0 for a box without volume.
float BoxDensity(float mass, const SurfaceBox& box);
// The inertia of a solid box of that density about its own centre.
Vec3 BoxInertia(const SurfaceBox& box, float density);
// What a box of that density adds at `offset` from the reference centre.
Vec3 OffsetInertia(const SurfaceBox& box, float density, const Vec3& offset);

// The shield sphere pressed to the model box's proportions: coordinates above
// the box centre scale by the positive side's share of its largest half
// extent, the others by the negative side's; shares below 0.8333333 grow by 1.2.
void SquashShield(std::span<SurfaceVertex> shieldVertices, const SurfaceBox& modelBox);

struct SurfaceModel {
    Sphere sphere;   // of the whole model
    SurfaceBox box;  // of the whole model
};

// With closed hulls asked for: each record's convex hull, built as the wrap
// hull is and limited as it is, for its part hull (see PartMeshRecord).
void BuildClosedHulls(std::span<PartMeshRecord> records);

// The groups of every record whose part hull is not closed, in record order.
std::vector<std::string> OpenHullGroups(std::span<const PartMeshRecord> records);

// One part from each prepared mesh record ("Root" first), or one part for
// the whole model in single-group mode.
std::vector<SurfacePart> BuildSurfaceParts(PreparedMeshes& meshes, const SurfaceOptions& options,
                                           const SurfaceModel& model);

}  // namespace kx
