#pragma once
// The exporter's reading of the host model: one ExportMesh per host mesh,
// converted with the settings' scale and orientation, and the division of
// the meshes into parts that the settings ask for.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "exporter/ExportSettings.h"
#include "host/ModelLib.h"
#include "meshdata/ExportMesh.h"
#include "meshdata/MeshPartition.h"

namespace kx {

// Host mesh `index` as the exporter sees it.
ExportMesh ReadExportMesh(msModel* model, int index, float divisor, float factor);

// Every host mesh, in host order.
std::vector<ExportMesh> ReadExportMeshes(msModel* model, const ExportSettings& settings);

// The synthetic mesh that stands for a cockpit's camera: named "Hfov|" +
// `cameraName`, with the settings' field of view as its box.
ExportMesh CockpitCameraMesh(std::string_view cameraName, const ExportSettings& settings);

// One part for a single group, one per group otherwise; a cockpit appends
// `camera` to `meshes` as its second part (without one, the camera of a
// cockpit that has no camera marker, "CockpitCamera").
MeshPartition PartitionMeshes(std::vector<ExportMesh>& meshes, const ExportSettings& settings,
                              std::optional<ExportMesh> camera = std::nullopt);

// Refused, with the text of an "Error" box, when the model cannot be
// exported as it stands: a mesh holding a number that is not finite, or two
// parts whose names the game would take for one.
Status CheckExportable(std::span<const ExportMesh> meshes, const MeshPartition& partition);

// The warning naming the meshes left out for having no triangles; nothing
// when there are none.
std::optional<std::string> LeftOutMeshesMessage(std::span<const ExportMesh> meshes);

}  // namespace kx
