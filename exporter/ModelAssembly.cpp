#include "exporter/ModelAssembly.h"

#include <cmath>

#include "container/ByteWriter.h"
#include "container/NameHash.h"
#include "exporter/LeafData.h"

namespace kx {

namespace {

// At level 0 old data is replaced; at a higher level data already present is
// kept and only a missing one is written.
void KeepOrWrite(UtfTree& tree, UtfNode* parent, std::string_view name, std::vector<uint8_t> bytes,
                 int level) {
    UtfNode* node = tree.FindOrAddChild(parent, name);
    if (level == 0 || !tree.GetData(node)) {
        tree.SetData(node, std::move(bytes));
    }
}

void WriteEntry(UtfTree& tree, UtfNode* entry, const std::string& fileName, uint32_t index,
                const std::string& objectName, int level) {
    KeepOrWrite(tree, entry, "File name", TextLeaf(fileName), level);
    KeepOrWrite(tree, entry, "Index", NumberLeaf(index), level);
    KeepOrWrite(tree, entry, "Object name", TextLeaf(objectName), level);
}

std::string LevelName(int level) {
    return "Level" + std::to_string(level);
}

void WriteMeshRef(UtfTree& tree, UtfNode* parent, const ExportPart& part,
                  const std::string& libraryName) {
    UtfNode* vmeshPart = tree.FindOrAddChild(parent, "VMeshPart");
    tree.SetData(tree.FindOrAddChild(vmeshPart, "VMeshRef"),
                 EncodeVMeshRef(MakeMeshRef(part, libraryName)));
}

void WriteLevel(UtfTree& tree, UtfNode* partNode, const ExportPart& part, const AssemblyInput& in) {
    const int level = in.settings.levelOfDetail;
    UtfNode* multiLevel = tree.FindOrAddChild(partNode, "MultiLevel");
    UtfNode* levelNode = tree.FindOrAddChild(multiLevel, LevelName(level));
    ApplySwitchRule(tree, multiLevel, level);
    WriteMeshRef(tree, levelNode, part, in.libraryName);
}

void FixedField(ByteWriter& w, const std::string& text, size_t stored, size_t width) {
    w.FixedText(text.substr(0, stored), stored + 1);
    w.Zeros(width - stored - 1);
}

void WriteIdentity(ByteWriter& w) {
    for (float v : kIdentityRotation) {
        w.F32(v);
    }
}

// The first part, from the second on, whose box (widened by `margin`) holds
// the marker's whole box; the first part when none does.
size_t PartHolding(const Box& marker, std::span<const ExportPart> parts, float margin) {
    for (size_t i = 1; i < parts.size(); ++i) {
        const Box& b = parts[i].box;
        if (marker.minX >= b.minX - margin && marker.maxX <= b.maxX + margin &&
            marker.minY >= b.minY - margin && marker.maxY <= b.maxY + margin &&
            marker.minZ >= b.minZ - margin && marker.maxZ <= b.maxZ + margin) {
            return i;
        }
    }
    return 0;
}

bool IsHardpoint(const Marker& m) {
    return m.kind == MarkerKind::Fixed || m.kind == MarkerKind::Revolute;
}

}  // namespace

bool IsCompound(const ExportSettings& settings) {
    return settings.groupCount > 1 ||
           settings.modelType == static_cast<uint16_t>(ModelType::Cockpit);
}

Status CheckLevelReachable(const UtfTree& tree, const UtfNode* root, const AssemblyInput& in,
                           const std::string& fileName) {
    const int level = in.settings.levelOfDetail;
    // Level 0 builds whatever parts it names; a cockpit's parts have no levels.
    if (level == 0 || in.settings.modelType == static_cast<uint16_t>(ModelType::Cockpit)) {
        return Status::Success();
    }
    std::vector<std::string> partFiles;
    if (IsCompound(in.settings)) {
        for (const ExportPart& part : in.partition.parts) {
            partFiles.push_back(part.fileName);
        }
    } else {
        partFiles.push_back(in.baseName + ".3db");
    }
    std::string missingParts;
    int missingLevel = level;
    for (const std::string& partFile : partFiles) {
        const UtfNode* partNode = root ? tree.FindChild(root, partFile) : nullptr;
        if (!partNode) {
            missingParts += (missingParts.empty() ? "" : ", ") + partFile;
            continue;
        }
        // Readers walk the levels from 0 and stop at the first gap.
        const UtfNode* multiLevel = tree.FindChild(partNode, "MultiLevel");
        for (int lower = 0; lower < missingLevel; ++lower) {
            if (!multiLevel || !tree.FindChild(multiLevel, LevelName(lower))) {
                missingLevel = lower;
                break;
            }
        }
    }
    if (!missingParts.empty()) {
        return Status::Failure(Fault::Refused, "Level " + std::to_string(level) +
                                                   " names parts that " + fileName +
                                                   " does not have: " + missingParts);
    }
    if (missingLevel < level) {
        return Status::Failure(Fault::Refused, "Level " + std::to_string(level) +
                                                   " cannot be added before level " +
                                                   std::to_string(missingLevel) + ".");
    }
    return Status::Success();
}

void SetCentreAndRadius(VMeshRef& ref) {
    // box: max x, min x, max y, min y, max z, min z
    for (int axis = 0; axis < 3; ++axis) {
        const float a = ref.box[2 * axis], b = ref.box[2 * axis + 1];
        const float lo = a < b ? a : b, hi = a < b ? b : a;
        ref.centre[axis] = lo + (hi - lo) * 0.5f;
    }
    const float dx = std::fabs(ref.box[0] - ref.centre[0]);
    const float dy = std::fabs(ref.box[2] - ref.centre[1]);
    const float dz = std::fabs(ref.box[4] - ref.centre[2]);
    const auto xy = static_cast<float>(double{dx} * dx + double{dy} * dy);
    ref.radius = static_cast<float>(std::sqrt(double{dz} * dz + xy));
}

VMeshRef MakeMeshRef(const ExportPart& part, const std::string& libraryName) {
    VMeshRef ref;
    ref.recordSize = part.headerSize;
    ref.libraryId = NameHash(libraryName);
    ref.startVertex = part.startVertex;
    ref.vertexCount = part.vertexCount;
    ref.startIndex = part.startIndex;
    ref.indexCount = part.indexCount;
    ref.startMesh = part.startMesh;
    ref.meshCount = part.meshCount;
    ref.box = {part.box.maxX, part.box.minX, part.box.maxY,
               part.box.minY, part.box.maxZ, part.box.minZ};
    SetCentreAndRadius(ref);
    return ref;
}

void ApplySwitchRule(UtfTree& tree, UtfNode* multiLevel, int level) {
    std::vector<float> distances;
    switch (level) {
        case 1:
            if (tree.FindChild(multiLevel, "Level2")) {
                return;
            }
            distances = {0.0f, 100.0f, 1000.0f};
            break;
        case 2:
            if (tree.FindChild(multiLevel, "Level3")) {
                return;
            }
            distances = {0.0f, 100.0f, 1000.0f, 1000000.0f};
            break;
        case 3:
            distances = {0.0f, 100.0f, 1000.0f, 10000.0f, 1000000.0f};
            break;
        default:
            return;
    }
    tree.DeleteChildNamed(multiLevel, "Switch2");
    tree.SetData(tree.AddChild(multiLevel, "Switch2"), FloatsLeaf(distances));
}

std::vector<uint8_t> FixRecord(const std::string& childName, const Vec3& origin) {
    ByteWriter w;
    w.FixedText("Root", 64);
    // Bytes 44 to 63 of the child name stay zero: 44 characters at most.
    FixedField(w, childName, 44, 64);
    for (float v : origin) {
        w.F32(v);
    }
    WriteIdentity(w);
    return w.Take();
}

std::vector<uint8_t> RevRecord(const std::string& childName) {
    ByteWriter w;
    w.FixedText("Root", 64);
    w.FixedText(childName, 64);
    w.Zeros(24);  // origin and offset
    WriteIdentity(w);
    for (float v : {1.0f, 0.0f, 0.0f, 0.0f, 0.78538f}) {  // axis, minimum, maximum
        w.F32(v);
    }
    return w.Take();
}

void AssembleSinglePart(UtfTree& tree, UtfNode* root, UtfNode* cmpnd, const AssemblyInput& in) {
    const int level = in.settings.levelOfDetail;
    const std::string fileName = in.baseName + ".3db";
    WriteEntry(tree, tree.FindOrAddChild(cmpnd, "Root"), fileName, 0, "Root", level);
    UtfNode* partNode = tree.FindOrAddChild(root, fileName);
    if (level == 0) {
        tree.DeleteChildNamed(partNode, "Hardpoints");
        UtfNode* hardpoints = tree.AddChild(partNode, "Hardpoints");
        for (const ExportMesh& mesh : in.meshes) {
            const Marker marker = ClassifyMarker(mesh.name);
            if (IsHardpoint(marker)) {
                WriteHardpoint(tree, hardpoints, marker, mesh, in.meshes);
            }
        }
    }
    WriteLevel(tree, partNode, in.partition.summary, in);
}

void AssembleCompound(UtfTree& tree, UtfNode* root, UtfNode* cmpnd, const AssemblyInput& in) {
    const int level = in.settings.levelOfDetail;
    const auto type = static_cast<ModelType>(in.settings.modelType);
    const auto& parts = in.partition.parts;
    const bool weapon = type == ModelType::Weapon;

    // Joint records are rewritten only at level 0; the node is made first so
    // "Cons" leads the "Cmpnd" entries, and its records are filled per part.
    UtfNode* jointsNode = nullptr;
    std::vector<uint8_t> joints;
    if (level == 0) {
        UtfNode* cons = tree.FindOrAddChild(cmpnd, "Cons");
        jointsNode = tree.FindOrAddChild(cons, weapon ? "Rev" : "Fix");
        const size_t recordSize = weapon ? kRevRecordSize : kFixRecordSize;
        joints.assign(parts.empty() ? 0 : (parts.size() - 1) * recordSize, 0);
    }

    std::vector<UtfNode*> partNodes;
    for (size_t i = 0; i < parts.size(); ++i) {
        const ExportPart& part = parts[i];
        if (level == 0 && i >= 1) {
            const Vec3 origin = part.camera ? in.camera.position : Vec3{};
            auto record = weapon ? RevRecord(part.partName) : FixRecord(part.partName, origin);
            std::copy(record.begin(), record.end(), joints.begin() + (i - 1) * record.size());
        }
        UtfNode* entry = tree.FindOrAddChild(cmpnd, i == 0 ? "Root" : "Part_" + part.partName);
        WriteEntry(tree, entry, part.fileName, static_cast<uint32_t>(i),
                   i == 0 ? "Root" : part.partName, level);
        UtfNode* partNode = tree.FindOrAddChild(root, part.fileName);
        partNodes.push_back(partNode);

        if (type != ModelType::Cockpit) {
            WriteLevel(tree, partNode, part, in);
        } else if (part.camera) {
            UtfNode* camera = tree.FindOrAddChild(partNode, "Camera");
            tree.SetData(tree.FindOrAddChild(camera, "Fovx"), FloatLeaf(part.box.maxX));
            tree.SetData(tree.FindOrAddChild(camera, "Fovy"), FloatLeaf(part.box.maxY));
            tree.SetData(tree.FindOrAddChild(camera, "Znear"), FloatLeaf(std::fabs(part.box.maxZ)));
            tree.SetData(tree.FindOrAddChild(camera, "Zfar"), FloatLeaf(std::fabs(part.box.minZ)));
            continue;
        } else {
            WriteMeshRef(tree, partNode, part, in.libraryName);
        }
        if (level == 0) {
            tree.DeleteChildNamed(partNode, "Hardpoints");
        }
    }
    if (level != 0) {
        return;
    }
    tree.SetData(jointsNode, std::move(joints));

    const float margin = weapon ? 0.0f : 0.1f;
    for (const ExportMesh& mesh : in.meshes) {
        const Marker marker = ClassifyMarker(mesh.name);
        if (marker.kind == MarkerKind::None || marker.kind == MarkerKind::Camera) {
            continue;
        }
        const size_t owner = PartHolding(mesh.box, parts, margin);
        UtfNode* hardpoints = tree.FindOrAddChild(partNodes[owner], "Hardpoints");
        if (IsHardpoint(marker)) {
            // A part's hardpoints are in its own frame; only the camera part
            // is placed away from the model's origin (see its joint record).
            const Vec3 origin = parts[owner].camera ? in.camera.position : Vec3{};
            WriteHardpoint(tree, hardpoints, marker, mesh, in.meshes, origin);
        }
    }
}

}  // namespace kx
