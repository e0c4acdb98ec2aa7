#include "surface/SurfaceExport.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "surface/HostMeshRecords.h"
#include "surface/PartMeshes.h"
#include "surface/SurfaceHulls.h"

namespace kx {

namespace {

// Whether every number the part stores is finite, and the volume of its box
// (which its inertia comes from). Positions that are finite one by one can
// still overflow once subtracted, squared or multiplied.
bool MeasuresFinite(const SurfacePart& part) {
    const Vec3 extents = part.box.Extents();
    if (!IsFinite(part.box.lo) || !IsFinite(part.box.hi) || !IsFinite(extents) ||
        !std::isfinite(extents[0] * extents[1] * extents[2]) || !IsFinite(part.centre) ||
        !IsFinite(part.inertia) || !std::isfinite(part.radius)) {
        return false;
    }
    const auto& nodes = part.Nodes();
    const auto& vertices = part.Vertices();
    return std::all_of(nodes.begin(), nodes.end(),
                       [](const BoundingNode& n) {
                           return IsFinite(n.centre) && std::isfinite(n.radius);
                       }) &&
           std::all_of(vertices.begin(), vertices.end(),
                       [](const SurfaceVertex& v) { return IsFinite(v.position); });
}

Status Refuse(std::string message) {
    return Status::Failure(Fault::Refused, std::move(message));
}

// The mesh reaching farthest from the origin: its size is what overflowed.
const std::string& FarthestMesh(std::span<const HostMeshRecord> records) {
    const HostMeshRecord* farthest = &records.front();
    float reach = -1.0f;
    for (const HostMeshRecord& record : records) {
        if (record.isIgnored || record.vertices.empty()) {
            continue;
        }
        for (const Vec3& corner : {record.box.lo, record.box.hi}) {
            for (float v : corner) {
                if (std::fabs(v) > reach) {
                    reach = std::fabs(v);
                    farthest = &record;
                }
            }
        }
    }
    return farthest->name;
}

}  // namespace

SurfaceOptions SurfaceOptionsFromWords(const SettingsWords& words, CollisionKind kind,
                                       uint32_t shipMass, bool reductionOff, bool closedHulls) {
    namespace w = settings_word;
    SurfaceOptions options;
    options.integerScale = static_cast<int32_t>(words[w::kIntegerScale]);
    options.floatScale = std::bit_cast<float>(words[w::kFloatScale]);
    options.orientation = static_cast<int32_t>(words[w::kOrientation]);
    options.groupCount = static_cast<int32_t>(words[w::kGroupCount]);
    for (size_t g = 0; g < options.quantities.size(); ++g) {
        options.quantities[g] = static_cast<int32_t>(words[w::kQuantity0 + g]);
    }
    options.modelType = static_cast<uint16_t>(words[w::kModelType]);
    options.collisionKind = kind;
    options.shipMass = shipMass;
    options.reductionOff = reductionOff;
    options.closedHulls = closedHulls;
    return options;
}

Result<std::vector<uint8_t>> ExportSurface(msModel* model, const SurfaceOptions& options,
                                           meshutil::Device* device, SurfaceMessages& warnings) {
    Result<HostModel> read = ReadHostModel(model, options);
    if (!read) {
        return read.GetStatus();
    }
    const HostModel& host = *read;

    SurfaceModel whole;
    whole.box = host.box;
    if (MeasureWholeModel(host.records, device, whole.sphere, warnings) != meshutil::STATUS_OK) {
        return Refuse("Failed to calculate bounding sphere");
    }

    PreparedMeshes meshes;
    const meshutil::Status prepared =
        SurfaceGroupCount(options) == 1
            ? PrepareSingleGroupMeshes(host.records, options, whole.sphere.radius, device, meshes,
                                       warnings)
            : PrepareGroupMeshes(host.records, options, whole.sphere.radius, device, meshes,
                                 warnings);
    if (prepared != meshutil::STATUS_OK) {
        return Refuse("Could not generate D3DMeshes  - exiting");
    }

    std::vector<SurfaceBox> boxes;
    for (const PartMeshRecord& part : meshes.parts) {
        boxes.push_back(part.box);
    }
    auto hardpoints = CollectHardpoints(host.records, boxes, options.modelType);
    for (size_t p = 0; p < meshes.parts.size(); ++p) {
        meshes.parts[p].hardpoints = std::move(hardpoints[p]);
    }

    if (options.closedHulls) {
        BuildClosedHulls(meshes.parts);
    }
    // Readers of the game's files refuse a hull that is not closed, and the
    // game's collision against one is undefined: the person hears which.
    if (const auto open = OpenHullGroups(meshes.parts); !open.empty()) {
        std::string names;
        for (const std::string& name : open) {
            names += (names.empty() ? "" : ", ") + name;
        }
        warnings.push_back(
            {FormatMessage("These groups do not make closed collision hulls: %s", names.c_str()),
             "Warning", true});
    }
    std::vector<SurfacePart> parts = BuildSurfaceParts(meshes, options, whole);
    for (SurfacePart& part : parts) {
        // Refused as the model exporter refuses it, where the overflow shows.
        if (!MeasuresFinite(part)) {
            return Refuse(NotFiniteMessage(FarthestMesh(host.records)).text);
        }
        if (Status finished = part.Finish(); !finished) {
            return finished;
        }
    }
    return WriteSurfaceFile(parts);
}

SurfaceMessages SurfaceExportMessages(const Result<std::vector<uint8_t>>& result,
                                      SurfaceMessages warnings) {
    if (!result) {
        warnings.push_back({result.Reason()});
    }
    return warnings;
}

}  // namespace kx
