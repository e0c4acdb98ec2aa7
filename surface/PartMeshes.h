#pragma once
// The meshes of the surface parts: the host meshes of each part joined into
// one indexed mesh, welded, reduced unless that is switched off, and
// measured; the shield sphere; and the sphere of the whole model.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "meshutil/DataBuffer.h"
#include "meshutil/TriMesh.h"
#include "surface/HostMeshRecords.h"
#include "surface/SurfaceHardpoints.h"

namespace kx {

using DataBufferPtr = std::unique_ptr<meshutil::DataBuffer, meshutil::Releaser>;

struct PartMeshRecord {
    std::string name;
    uint32_t id = 0;
    meshutil::TriMeshPtr mesh;  // welded and possibly reduced
    SurfaceBox box;             // over its host meshes
    Sphere sphere;              // enlarged by 1.2
    std::vector<HardpointRecord> hardpoints;
    // The host meshes ("groups" to the person) the part is made of.
    std::vector<std::string> groups;
    // With closed hulls asked for: the convex hull's triangles over the
    // mesh's vertices, or nothing when it would need more triangles than a
    // hull holds (closedHullTooLarge). Unset: the mesh's own triangles serve.
    std::optional<std::vector<std::array<uint32_t, 3>>> closedHull;
    bool closedHullTooLarge = false;

    // What the reduction did: faces after welding, the target (0 when none was
    // tried) and ReduceMesh's status.
    uint32_t weldedFaces = 0;
    uint32_t reductionTarget = 0;
    meshutil::Status reductionStatus = meshutil::STATUS_OK;
};

struct PreparedMeshes {
    std::vector<PartMeshRecord> parts;
    meshutil::TriMeshPtr shield;  // "Shield Bubble" only, centred on the origin
};

// The face count a welded mesh of n faces is reduced to; 0: left as it is.
uint32_t ReductionTarget(uint32_t faces);

// One part per included host mesh that has triangles, all named "Root".
meshutil::Status PrepareSingleGroupMeshes(std::span<const HostMeshRecord> records,
                                          const SurfaceOptions& options, float modelRadius,
                                          meshutil::Device* device, PreparedMeshes& out,
                                          SurfaceMessages& messages);

// One part per group of consecutive host meshes: "Root", then each named
// after its first included mesh + "_lod1".
meshutil::Status PrepareGroupMeshes(std::span<const HostMeshRecord> records,
                                    const SurfaceOptions& options, float modelRadius,
                                    meshutil::Device* device, PreparedMeshes& out,
                                    SurfaceMessages& messages);

// The sphere (not enlarged) around the welded mesh of every included host mesh.
meshutil::Status MeasureWholeModel(std::span<const HostMeshRecord> records,
                                   meshutil::Device* device, Sphere& out,
                                   SurfaceMessages& messages);

}  // namespace kx
