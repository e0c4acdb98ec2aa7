#pragma once
// The host model as the collision exporter reads it: one record per host
// mesh, positions scaled and oriented, with the model's box over the meshes
// that carry collision geometry.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"
#include "host/ModelLib.h"
#include "surface/SurfaceTypes.h"

namespace kx {

struct HostMeshRecord {
    std::string name;  // at most 31 characters, as the host hands them out
    std::vector<Vec3> vertices;
    std::vector<std::array<uint16_t, 3>> faces;
    bool isHardpoint = false;  // name begins with "Hp", any case
    bool isIgnored = false;    // name begins with "Ix", any case (markers excepted)
    SurfaceBox box;

    // Meshes whose triangles become collision geometry.
    bool Included() const { return !isHardpoint && !isIgnored; }
};

struct HostModel {
    std::vector<HostMeshRecord> records;
    SurfaceBox box;  // over the included meshes only
};

// Classifies a mesh name as a marker or an ignored mesh.
void SetRecordName(HostMeshRecord& record, std::string name);

// The refusal of a mesh whose numbers, or what is measured from them, are
// not finite: the model exporter's words.
SurfaceMessage NotFiniteMessage(const std::string& mesh);

// Reads every host mesh in host order. Refuses (Refused, saying why for the
// person) a mesh with a position that is not a finite number after scaling,
// and an included mesh whose triangle names a vertex it does not have.
Result<HostModel> ReadHostModel(msModel* model, const SurfaceOptions& options);

}  // namespace kx
