#pragma once
// Builds a model's part hierarchy into the output tree: "Cmpnd" entries,
// joint records under "Cons", one node per part file with its levels of
// detail and mesh reference, and the hardpoints. Every node is found or
// added, so the same steps write a new file and update an existing one.

#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "container/UtfTree.h"
#include "exporter/ExportSettings.h"
#include "exporter/Hardpoints.h"
#include "meshdata/ExportMesh.h"
#include "meshdata/MeshPartition.h"
#include "meshdata/VMeshRef.h"

namespace kx {

struct AssemblyInput {
    const ExportSettings& settings;
    std::span<const ExportMesh> meshes;  // the cockpit's camera mesh included
    const MeshPartition& partition;
    std::string baseName;     // the first mesh's name
    std::string libraryName;  // baseName + ".lodN.vms"
    CockpitCamera camera;     // used for cockpits only
};

// A part's mesh reference: its ranges and box, the library's id, and the
// centre and radius of the box.
VMeshRef MakeMeshRef(const ExportPart& part, const std::string& libraryName);

// Centre = the middle of each axis; radius = distance from it to the corner
// (max x, max y, max z), with the x-y sum rounded to a float first.
void SetCentreAndRadius(VMeshRef& ref);

// "Switch2" under "MultiLevel" for level of detail `level`.
void ApplySwitchRule(UtfTree& tree, UtfNode* multiLevel, int level);

// Several groups, or a cockpit, make a compound model.
bool IsCompound(const ExportSettings& settings);

// In update mode, Refused (with the message) when this run's level cannot
// join the parts already in the tree under `root` (null when the tree has
// none): a part the file does not have, or a lower level a part lacks; either
// would leave a level the game never reaches. `fileName` names the file in
// the message.
Status CheckLevelReachable(const UtfTree& tree, const UtfNode* root, const AssemblyInput& in,
                           const std::string& fileName);

// One part for a single group.
void AssembleSinglePart(UtfTree& tree, UtfNode* root, UtfNode* cmpnd, const AssemblyInput& in);

// Several groups, or a cockpit.
void AssembleCompound(UtfTree& tree, UtfNode* root, UtfNode* cmpnd, const AssemblyInput& in);

// The joint records under "Cons": 176-byte "Fix" or 208-byte "Rev", one per
// part after the first.
inline constexpr size_t kFixRecordSize = 176;
inline constexpr size_t kRevRecordSize = 208;
std::vector<uint8_t> FixRecord(const std::string& childName, const Vec3& origin);
std::vector<uint8_t> RevRecord(const std::string& childName);

}  // namespace kx
