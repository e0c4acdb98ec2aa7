#include "importer/CMPModel.h"

#include <algorithm>
#include <unordered_map>

#include "importer/LevelList.h"

namespace kx {

namespace {

// Markers per hardpoint read: parts sharing one id each show all of them.
constexpr uint64_t kMarkerFactor = 4;
constexpr uint64_t kMarkerFloor = 65536;

}  // namespace

Status CMPModel::Open(std::vector<uint8_t> image) {
    Close();
    image_ = std::move(image);
    Result<NodeIndex> index = NodeIndex::Build(image_);
    if (!index) {
        Close();
        return index.GetStatus();
    }
    index_ = std::move(index.Value());
    levels_ = ListLevels(index_);
    open_ = true;
    return Status::Success();
}

Status CMPModel::AttachMeshLibrary(std::vector<uint8_t> image) {
    // Indexed where it lies: moving the bytes in keeps their place.
    Result<NodeIndex> index = NodeIndex::Build(image);
    if (!index) {
        return index.GetStatus();
    }
    if (index->FindPath("VMeshLibrary", 1) < 0) {
        return Status::Failure(Fault::WrongKind, "holds no VMeshLibrary");
    }
    libraryImage_ = std::move(image);
    library_ = std::move(index.Value());
    levels_ = ListLevels(index_, MeshLibrary());
    return Status::Success();
}

void CMPModel::Close() {
    index_ = NodeIndex{};
    image_.clear();
    library_.reset();
    libraryImage_.clear();
    levels_.clear();
    arrays_.Clear();
    level_ = -1;
    open_ = false;
}

Status CMPModel::LoadLevel(int level) {
    level_ = level;
    if (!open_) {
        arrays_.Clear();
        return Status::Failure(Fault::Refused, "no model file is open");
    }
    Status s = ReadLevelMeshData(index_, level, arrays_, MeshLibrary());
    if (!s) {
        arrays_.Clear();
    }
    return s;
}

Result<ImportPlan> CMPModel::Plan(const ImportOptions& options) const {
    ImportPlan plan;
    Result<PartList> parts = BuildParts(index_, level_, arrays_, MeshLibrary());
    if (!parts) {
        return parts.GetStatus();
    }
    // Nothing of the model is there to import unless a mesh library file
    // is given with it.
    const bool anyMeshes = std::any_of(parts->parts.begin(), parts->parts.end(),
                                       [](const CMPPart& p) { return p.meshCount > 0; });
    if (!parts->foreignLibraries.empty() && !anyMeshes) {
        return Status::Failure(Fault::Refused, ForeignLibraryReason(parts->foreignLibraries));
    }
    plan.parts = std::move(parts.Value());
    if (Status s = ApplyConstraints(index_, plan.parts); !s) {
        return s;
    }
    if (options.hardpoints) {
        Result<std::vector<HARDPOINT>> hardpoints =
            ReadHardpoints(index_, plan.parts, options.filter);
        if (!hardpoints) {
            return hardpoints.GetStatus();
        }
        plan.hardpoints = std::move(hardpoints.Value());
    }

    // Each part shows every hardpoint that carries its id.
    std::unordered_map<uint32_t, std::vector<size_t>> byId;
    for (size_t i = 0; i < plan.hardpoints.size(); ++i) {
        byId[plan.hardpoints[i].partId].push_back(i);
    }
    uint64_t markers = 0;
    for (const CMPPart& part : plan.parts.parts) {
        auto it = byId.find(part.id);
        markers += it == byId.end() ? 0 : it->second.size();
    }
    if (markers > std::max(kMarkerFloor, kMarkerFactor * plan.hardpoints.size())) {
        return Status::Failure(Fault::Damaged, "its parts would show " + std::to_string(markers) +
                                                   " hardpoint markers for " +
                                                   std::to_string(plan.hardpoints.size()) +
                                                   " hardpoints");
    }
    plan.hardpointsOfPart.reserve(plan.parts.parts.size());
    for (const CMPPart& part : plan.parts.parts) {
        auto it = byId.find(part.id);
        plan.hardpointsOfPart.push_back(it == byId.end() ? std::vector<size_t>{} : it->second);
    }
    return plan;
}

}  // namespace kx
