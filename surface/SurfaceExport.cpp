#include "surface/SurfaceExport.h"

#include "surface/HostMeshRecords.h"
#include "surface/PartMeshes.h"
#include "surface/SurfaceHulls.h"

namespace kx {

SurfaceExportResult ExportSurface(msModel* model, const SurfaceOptions& options,
                                  meshutil::Device* device) {
    SurfaceExportResult result;
    HostModel host;
    if (auto refusal = ReadHostModel(model, options, host)) {
        result.messages.push_back(std::move(*refusal));
        return result;
    }

    SurfaceModel whole;
    whole.box = host.box;
    if (MeasureWholeModel(host.records, device, whole.sphere, result.messages) !=
        meshutil::STATUS_OK) {
        result.messages.push_back({"Failed to calculate bounding sphere"});
        return result;
    }

    PreparedMeshes meshes;
    const meshutil::Status prepared =
        SurfaceGroupCount(options) == 1
            ? PrepareSingleGroupMeshes(host.records, options, whole.sphere.radius, device, meshes,
                                       result.messages)
            : PrepareGroupMeshes(host.records, options, whole.sphere.radius, device, meshes,
                                 result.messages);
    if (prepared != meshutil::STATUS_OK) {
        result.messages.push_back({"Could not generate D3DMeshes  - exiting"});
        return result;
    }

    std::vector<Box> boxes;
    for (const PartMeshRecord& part : meshes.parts) {
        boxes.push_back(part.box);
    }
    auto hardpoints = CollectHardpoints(host.records, boxes, options.modelType);
    for (size_t p = 0; p < meshes.parts.size(); ++p) {
        meshes.parts[p].hardpoints = std::move(hardpoints[p]);
    }

    std::vector<SurfacePart> parts = BuildSurfaceParts(meshes, options, whole);
    for (SurfacePart& part : parts) {
        if (auto refusal = part.Finish()) {
            result.messages.push_back(std::move(*refusal));
            return result;
        }
    }
    result.bytes = WriteSurfaceFile(parts);
    result.ok = true;
    return result;
}

}  // namespace kx
