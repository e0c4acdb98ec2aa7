#pragma once
// One model file being imported: its image and node index, the levels it
// offers, the mesh data of the level chosen, and the plan of what an import
// makes of it. Every step checks what it takes from the file first, so the
// host model is touched only by an import whose plan was built whole.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "importer/Hardpoints.h"
#include "importer/MeshArrays.h"
#include "importer/ModelImport.h"
#include "importer/NodeIndex.h"

namespace kx {

struct ImportOptions {
    bool hardpoints = true;
    std::string filter = "Hp";
};

class CMPModel {
  public:
    CMPModel() = default;
    CMPModel(const CMPModel&) = delete;
    CMPModel& operator=(const CMPModel&) = delete;

    // Takes the file's bytes and indexes them: Fault::WrongKind when they are
    // not a container, Fault::Damaged when its nodes do not fit together.
    // On failure the model is closed.
    Status Open(std::vector<uint8_t> image);
    void Close();
    bool IsOpen() const { return open_; }

    // A separate mesh library file (a container holding a VMeshLibrary)
    // whose blocks are read as if they stood in the model's own library;
    // the levels are listed anew. Fault::WrongKind when the bytes are not
    // a container or hold no VMeshLibrary, Fault::Damaged when its nodes do
    // not fit together. Kept until the model is closed.
    Status AttachMeshLibrary(std::vector<uint8_t> image);

    const NodeIndex& Index() const { return index_; }
    // The level combo box's entries, in its order.
    const std::vector<std::string>& Levels() const { return levels_; }

    // Reads the blocks of a level (a position in Levels(); -1 when there is
    // none): Fault::Refused when the file has no usable data, Fault::Damaged
    // when what it holds cannot be read.
    Status LoadLevel(int level);
    int Level() const { return level_; }
    MeshArrays& Arrays() { return arrays_; }
    const MeshArrays& Arrays() const { return arrays_; }

    // The parts, placed, and their hardpoints, everything checked against
    // the arrays read: Fault::Damaged when the file's parts do not fit them,
    // Fault::Refused when a part's meshes are in a mesh library file that
    // was not attached.
    Result<ImportPlan> Plan(const ImportOptions& options) const;

  private:
    const NodeIndex* MeshLibrary() const { return library_ ? &*library_ : nullptr; }

    std::vector<uint8_t> image_;
    NodeIndex index_;
    std::vector<uint8_t> libraryImage_;
    std::optional<NodeIndex> library_;
    std::vector<std::string> levels_;
    MeshArrays arrays_;
    int level_ = -1;
    bool open_ = false;
};

}  // namespace kx
