#pragma once
// How the exporter's meshes are divided into the parts of a model, and the
// mesh data block that holds all their ordinary meshes.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "meshdata/ExportMesh.h"
#include "meshdata/VMeshData.h"

namespace kx {

struct MeshPartition {
    // One mesh record per drawn mesh, in list order; the partition decides
    // their start vertices.
    std::vector<VMeshRecord> headers;
    // The parts of a compound model; empty for a single-part model.
    std::vector<ExportPart> parts;
    // A single-part model's one range: the block's totals and a box that
    // always holds the origin. Unused for a compound model.
    ExportPart summary;
};

// One part: start vertices count on through the whole list.
MeshPartition PartitionSinglePart(std::span<const ExportMesh> meshes);

// One part per quantity; each takes that many meshes in list order, skipping
// hardpoint meshes, which never count.
MeshPartition PartitionGroups(std::span<const ExportMesh> meshes,
                              std::span<const int32_t> quantities);

// A cockpit: `camera` (synthetic, with a box but no geometry) is appended to
// `meshes` and becomes the second part; the first takes every mesh whose name
// begins neither with "Hp" nor with "Hfov".
MeshPartition PartitionCockpit(std::vector<ExportMesh>& meshes, ExportMesh camera);

// Refused, with the message shown with kBlockTooLargeCaption, when the
// model's drawn meshes do not fit one block's 16-bit counts.
Status CheckBlockFits(std::span<const ExportMesh> meshes);
inline constexpr const char* kBlockTooLargeCaption = "Error";

// The block bytes: header, the partition's mesh records, then the indices
// and 32-byte vertices of every drawn mesh in list order. False when the
// model is too large for one block (see CheckBlockFits).
bool WriteMeshBlock(std::span<const ExportMesh> meshes, const MeshPartition& partition,
                    std::vector<uint8_t>& out);

}  // namespace kx
