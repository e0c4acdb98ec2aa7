#include "importer/PartList.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base/Text.h"
#include "container/ByteReader.h"
#include "container/NameHash.h"
#include "importer/MeshArrays.h"
#include "importer/NodeIndex.h"
#include "meshdata/VMeshRef.h"

namespace kx {

namespace {

// Parts may share a range (a block read twice under one id, twin parts), so
// the triangles of all parts may exceed the file's; by this much, and never
// so much that a small file fills the host with copies.
constexpr uint64_t kSharedTriangleFactor = 4;
constexpr uint64_t kSharedTriangleFloor = 65536;

Status Damaged(std::string reason) {
    return Status::Failure(Fault::Damaged, std::move(reason));
}

bool BeginsWithRoot(std::string_view name) {
    static constexpr std::string_view kRoot = "root";
    return SameIgnoringCase(name.substr(0, kRoot.size()), kRoot);
}

// The first leaf child named exactly `name`, or null.
const IndexNode* LeafChild(const NodeIndex& index, int folder, std::string_view name) {
    for (int c = index.FirstChild(folder); c >= 0; c = index.Next(c)) {
        if (index[c].leaf && index[c].name == name) {
            return &index[c];
        }
    }
    return nullptr;
}

// Every mesh, triangle and vertex the part selects lies inside the arrays;
// adds its triangles to `triangles`, which must stay within `limit`.
Status CheckRange(const MeshArrays& arrays, const CMPPart& part, uint64_t limit,
                  uint64_t& triangles) {
    if (part.startMesh + part.meshCount > arrays.meshes.size()) {
        return Damaged("part " + part.name + " selects meshes beyond the " +
                       std::to_string(arrays.meshes.size()) + " read");
    }
    uint64_t t = part.startIndex / 3;
    for (uint64_t m = part.startMesh; m < part.startMesh + part.meshCount; ++m) {
        const CMPMesh& mesh = arrays.meshes[m];
        triangles += mesh.indexCount / 3u;
        if (triangles > limit) {
            return Damaged("its parts use over " + std::to_string(limit) +
                           " triangles, far more than the " +
                           std::to_string(arrays.triangles.size()) + " read");
        }
        const uint64_t end = t + mesh.indexCount / 3u;
        if (end > arrays.triangles.size()) {
            return Damaged("part " + part.name + " selects triangles beyond the " +
                           std::to_string(arrays.triangles.size()) + " read");
        }
        const uint64_t base = part.startVertex + mesh.startVertex;
        for (; t < end; ++t) {
            for (uint16_t corner : arrays.triangles[t]) {
                if (base + corner >= arrays.vertices.size()) {
                    return Damaged("part " + part.name + " uses vertex " +
                                   std::to_string(base + corner) + " beyond the " +
                                   std::to_string(arrays.vertices.size()) + " read");
                }
            }
        }
    }
    return Status::Success();
}

// The name ids of the folders of a mesh library, at every level.
void AddLibraryIds(const NodeIndex& index, std::unordered_set<uint32_t>& ids) {
    const int library = index.FindPath("VMeshLibrary", 1);
    for (int c = index.FirstChild(library); c >= 0; c = index.Next(c)) {
        ids.insert(NameHash(index[c].name));
    }
}

class PartBuilder {
  public:
    PartBuilder(const NodeIndex& index, int level, const MeshArrays& arrays,
                const NodeIndex* meshLibrary)
        : index_(index), level_("Level" + std::to_string(level)), arrays_(arrays) {
        AddLibraryIds(index, libraries_);
        if (meshLibrary) {
            AddLibraryIds(*meshLibrary, libraries_);
        }
    }

    // One entry: its part subtree from `start`, named from its file name.
    Status AddEntry(int start, std::string_view objectName, std::string_view fileName,
                    PartList& list) {
        const int refNode = FindReference(start);
        if (refNode < 0) {
            // A part without meshes (a shield or hardpoint holder) still
            // carries its hardpoints; in a model with meshes it is named.
            if (!arrays_.blocks.empty()) {
                list.notes.push_back("part " + PartName(fileName) + " has no mesh reference for " +
                                     level_);
            }
            return Add(nullptr, nullptr, objectName, fileName, start, list);
        }
        if (!index_[refNode].leaf) {
            return Damaged("a VMeshRef of part " + std::string(fileName) + " is a folder");
        }
        Result<VMeshRef> decoded = DecodeVMeshRef(index_[refNode].data);
        if (!decoded) {
            return Damaged("the VMeshRef of part " + std::string(fileName) + ": " +
                           decoded.Reason());
        }
        const VMeshRef& ref = *decoded;
        if (!libraries_.contains(ref.libraryId)) {
            list.notes.push_back("part " + PartName(fileName) +
                                 " is left out: " + ForeignLibraryReason({ref.libraryId}));
            if (std::find(list.foreignLibraries.begin(), list.foreignLibraries.end(),
                          ref.libraryId) == list.foreignLibraries.end()) {
                list.foreignLibraries.push_back(ref.libraryId);
            }
        }
        for (const LoadedBlock& block : arrays_.blocks) {
            if (block.id == ref.libraryId) {
                if (Status s = Add(&ref, &block, objectName, fileName, start, list); !s) {
                    return s;
                }
            }
        }
        return Status::Success();
    }

  private:
    // The part's reference for the level: below the first level folder
    // that holds one, trying them in the search's order (a damaged model
    // may hold an empty MultiLevel/Level0 before the real one); from the
    // part's start when it has no level folder.
    int FindReference(int start) const {
        int level = index_.FindPath(level_, start);
        if (level < 0) {
            return index_.FindPath("VMeshPart\nVMeshRef", start);
        }
        SearchBudget budget(index_);
        const int scope = static_cast<int>(index_[start].parent);
        while (level >= 0 && !budget.Spent()) {
            if (const int ref = index_.FindPath("VMeshPart\nVMeshRef", level); ref >= 0) {
                return ref;
            }
            // On after the level folder's subtree: its next sibling, or the
            // next of the nearest folder above it that has one.
            int after = level;
            while (after != scope && after != 0 && index_.Next(after) < 0) {
                after = static_cast<int>(index_[after].parent);
            }
            level = after == scope || after == 0 ? -1 : index_.FindPath(level_, index_.Next(after));
        }
        return -1;
    }

    // A part with the reference translated into the block's place in the
    // combined arrays; without either, a part without meshes.
    Status Add(const VMeshRef* ref, const LoadedBlock* block, std::string_view objectName,
               std::string_view fileName, int entryNode, PartList& list) const {
        if (list.parts.size() >= index_.Size()) {
            return Damaged("its compound lists more parts than it has nodes");
        }
        CMPPart part;
        if (ref && block) {
            part.startVertex = ref->startVertex + uint64_t{block->baseVertex};
            part.startIndex = ref->startIndex + 3 * uint64_t{block->baseTriangle};
            part.startMesh = ref->startMesh + uint64_t{block->baseMesh};
            part.meshCount = ref->meshCount;
        }
        part.id = NameHash(objectName);
        part.name = PartName(fileName);
        part.entryNode = entryNode;
        list.parts.push_back(std::move(part));
        return Status::Success();
    }

    const NodeIndex& index_;
    const std::string level_;
    const MeshArrays& arrays_;
    std::unordered_set<uint32_t> libraries_;
};

}  // namespace

std::string ForeignLibraryReason(const std::vector<uint32_t>& ids) {
    std::string text = "its meshes are in another mesh library file: ";
    for (size_t i = 0; i < ids.size(); ++i) {
        text += (i == 0 ? "" : ", ") + Hex(ids[i], 8, HexCase::Upper);
    }
    return text;
}

std::string PartName(std::string_view fileName) {
    std::string_view name = fileName.substr(0, fileName.find("_lod1"));
    const size_t stamp = name.find(".3db");
    if (stamp != std::string_view::npos && stamp > 12) {
        name.remove_suffix(16);
    }
    if (name.empty()) {
        return "Root";
    }
    return std::string(name.substr(0, kMaxPartName));
}

Result<PartList> BuildParts(const NodeIndex& index, int level, const MeshArrays& arrays,
                            const NodeIndex* meshLibrary) {
    PartList list;
    PartBuilder builder(index, level, arrays, meshLibrary);
    SearchBudget budget(index);
    const int cmpnd = index.FindPath("Cmpnd", 0);
    if (cmpnd < 0) {
        if (Status s = builder.AddEntry(0, "", "", list); !s) {
            return s;
        }
    }
    for (int entry = index.FirstChild(cmpnd); entry >= 0; entry = index.Next(entry)) {
        if (budget.Spent()) {
            return Damaged(
                "its compound's entries send the search through the tree far more often "
                "than a file of its size can need");
        }
        const IndexNode* objectLeaf = LeafChild(index, entry, "Object name");
        const IndexNode* fileLeaf = LeafChild(index, entry, "File name");
        const std::string_view objectName = objectLeaf ? LeafText(*objectLeaf) : "";
        if (BeginsWithRoot(objectName)) {
            list.root = list.parts.size();
        }
        const std::string_view fileName = fileLeaf ? LeafText(*fileLeaf) : "";
        if (fileName.empty()) {
            continue;  // Cons, or an entry naming no file
        }
        const int partNode = index.FindPath(fileName, 0);
        const int start = index.FirstChild(partNode);
        if (start < 0) {
            continue;  // no such node, a leaf, or a folder without children
        }
        if (Status s = builder.AddEntry(start, objectName, fileName, list); !s) {
            return s;
        }
    }

    const uint64_t limit =
        std::max(kSharedTriangleFloor, kSharedTriangleFactor * arrays.triangles.size());
    uint64_t triangles = 0;
    for (const CMPPart& part : list.parts) {
        if (Status s = CheckRange(arrays, part, limit, triangles); !s) {
            return s;
        }
    }
    return list;
}

Status ApplyConstraints(const NodeIndex& index, PartList& list) {
    const int cons = index.FindPath("Cmpnd\nCons", 1);
    std::unordered_map<uint32_t, int> partById;
    for (size_t p = list.parts.size(); p-- > 0;) {
        partById[list.parts[p].id] = static_cast<int>(p);  // the first part wins
    }
    auto find = [&](std::string_view name) {
        auto it = partById.find(NameHash(name));
        return it == partById.end() ? -1 : it->second;
    };

    size_t recordSize = 176;
    for (int c = index.FirstChild(cons); c >= 0; c = index.Next(c)) {
        const IndexNode& node = index[c];
        // A record kind this reader does not know keeps the size of the one
        // before it, and the layout follows the size.
        if (node.name == "Fix") {
            recordSize = 176;
        } else if (node.name == "Rev" || node.name == "Pris") {
            recordSize = 208;
        } else if (node.name == "Sphere") {
            recordSize = 212;
        }
        if (!node.leaf) {
            continue;
        }
        const size_t count = node.data.size() / recordSize;
        for (size_t r = 0; r < count; ++r) {
            ByteReader rec(node.data.subspan(r * recordSize, recordSize));
            std::string parentName, childName;
            Vec3 origin{};
            Mat3 rotation{};
            rec.FixedText(64, parentName);
            rec.FixedText(64, childName);
            for (float& v : origin) {
                rec.F32(v);
            }
            if (recordSize != 176) {
                rec.Skip(12);  // the offset, which placement does not use
            }
            for (Vec3& row : rotation) {
                for (float& v : row) {
                    rec.F32(v);
                }
            }
            const int child = find(childName);
            if (!rec.Ok() || child < 0) {
                continue;
            }
            CMPPart& part = list.parts[static_cast<size_t>(child)];
            part.offset = origin;
            part.rotation = rotation;
            part.matrix = MakeTransform(rotation, origin);
            if (!BeginsWithRoot(parentName)) {
                if (const int parent = find(parentName); parent >= 0) {
                    part.parent = parent;
                }
            }
        }
    }

    // Each chain must end at a part without a parent; one that comes back
    // to a part on it would never reach the root's frame.
    enum : uint8_t { kUnseen, kOnChain, kDone };
    std::vector<uint8_t> state(list.parts.size(), kUnseen);
    for (size_t p = 0; p < list.parts.size(); ++p) {
        int at = static_cast<int>(p);
        while (at >= 0 && state[static_cast<size_t>(at)] == kUnseen) {
            state[static_cast<size_t>(at)] = kOnChain;
            at = list.parts[static_cast<size_t>(at)].parent;
        }
        if (at >= 0 && state[static_cast<size_t>(at)] == kOnChain) {
            return Damaged("the parent links of part " + list.parts[static_cast<size_t>(at)].name +
                           " loop");
        }
        for (at = static_cast<int>(p); at >= 0 && state[static_cast<size_t>(at)] == kOnChain;
             at = list.parts[static_cast<size_t>(at)].parent) {
            state[static_cast<size_t>(at)] = kDone;
        }
    }
    return Status::Success();
}

Mat4 PartTransform(const PartList& list, size_t part) {
    static const uint32_t kRootId = NameHash("Root");
    const CMPPart& own = list.parts[part];
    if (own.id == kRootId || own.id == 0) {
        return Identity4();
    }
    // Own matrix first, then each ancestor's in front of the product so far;
    // this fixed order keeps the single-precision result reproducible. The
    // step bound only matters for a list whose links were never checked.
    Mat4 m = own.matrix;
    int at = own.parent;
    for (size_t steps = 0; at >= 0 && steps < list.parts.size(); ++steps) {
        const CMPPart& ancestor = list.parts[static_cast<size_t>(at)];
        m = Mul(ancestor.matrix, m);
        at = ancestor.parent;
    }
    return m;
}

}  // namespace kx
