#pragma once
// The exporter's result window ("Kaltrix CMP Exporter"): opening it does all
// the file work (load in update mode, attach the mesh data block, assemble
// the parts and hardpoints, save); it then shows the finished tree.

#include <string>
#include <vector>

#include "container/UtfTree.h"
#include "exporter/ExportSettings.h"
#include "exporter/Hardpoints.h"
#include "host/FileService.h"
#include "host/Window.h"
#include "meshdata/ExportMesh.h"
#include "meshdata/MeshPartition.h"

namespace kx {

struct ExportJob {
    ExportSettings settings;
    ExportMode mode = ExportMode::New;
    std::string outputPath;
    std::vector<ExportMesh> meshes;  // the cockpit's camera mesh appended
    MeshPartition partition;
    CockpitCamera camera;
    std::string blockPath;  // the temporary file holding the mesh data block
};

class CExportResultDlg : public Window {
  public:
    static constexpr int kTree = 1000;
    static constexpr int kContinue = kIdOk;

    // The mesh data block is read and the model file written through `files`.
    CExportResultDlg(Ui& ui, FileService& files, const ExportJob& job);

    // Whether opening the window wrote the output file.
    bool Written() const { return written_; }
    const UtfTree& Tree() const { return tree_; }

  protected:
    void OnInit() override;
    void OnCommand(int id) override;
    void OnClose() override { OnCommand(kContinue); }

  private:
    // The file work; false when it stopped before saving.
    bool Build();
    // Update mode: the existing file into the tree; false when it is refused.
    bool LoadExisting();
    bool AttachMeshBlock(UtfNode* root);
    void ShowTree();
    void Warn(const std::string& text, const std::string& caption);

    FileService& files_;
    const ExportJob& job_;
    UtfTree tree_;
    bool written_ = false;
};

// The mesh library's node name: base name + ".lodN.vms".
std::string LibraryName(const std::string& baseName, int levelOfDetail);

}  // namespace kx
