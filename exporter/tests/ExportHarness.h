#pragma once
// What the exporter tests share: models made with the modeller's calls, the
// exporter driven through its windows as a person would, a look into the
// written file. Expected files are spelled out with testsupport/.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "container/UtfTree.h"
#include "exporter/ExportResultDlg.h"
#include "exporter/ExportSettingsDlg.h"
#include "exporter/TarrowPlugIn.h"
#include "host/FileIo.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"
#include "host/headless/RecordingFileService.h"
#include "testsupport/HandContainer.h"
#include "testsupport/LittleEndian.h"
#include "testsupport/TempFiles.h"
#include "testsupport/TreeFiles.h"

namespace kx::test {

// Host coordinates that the default settings (divisor 92, Upside Down) turn
// into the game coordinates (x, y, z).
inline std::array<float, 3> At(float x, float y, float z) {
    return {92.0f * x, -92.0f * y, -92.0f * z};
}

class TestModel {
  public:
    TestModel() = default;
    TestModel(const TestModel&) = delete;
    TestModel& operator=(const TestModel&) = delete;
    ~TestModel() { kxModel_Free(m); }

    int Material(const char* name) {
        const int index = msModel_AddMaterial(m);
        msMaterial_SetName(msModel_GetMaterialAt(m, index), name);
        return index;
    }
    // Vertex i gets texture coordinates (0.25 i, 0.5); one triangle per three
    // vertices.
    void Mesh(const char* name, const std::vector<std::array<float, 3>>& positions,
              int material = -1) {
        msMesh* mesh = msModel_GetMeshAt(m, msModel_AddMesh(m));
        msMesh_SetName(mesh, name);
        msMesh_SetMaterialIndex(mesh, material);
        for (size_t i = 0; i < positions.size(); ++i) {
            msVertex* v = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
            msVec3 p = {positions[i][0], positions[i][1], positions[i][2]};
            msVec2 uv = {0.25f * static_cast<float>(i), 0.5f};
            msVertex_SetVertex(v, p);
            msVertex_SetTexCoords(v, uv);
        }
        // The exporter makes its own normals; one here lets the model be
        // saved as a model file too.
        msMesh_AddVertexNormal(mesh);
        for (size_t i = 0; i + 2 < positions.size(); i += 3) {
            word idx[3] = {word(i), word(i + 1), word(i + 2)};
            msTriangle_SetVertexIndices(msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh)), idx);
        }
    }
    // A marker: three vertices at one point (game coordinates).
    void Marker(const char* name, float x, float y, float z) {
        Mesh(name, {At(x, y, z), At(x, y, z), At(x, y, z)});
    }
    // An axis-aligned box's two opposite corners as one triangle with a third
    // corner, so its box runs from `lo` to `hi` (game coordinates).
    void Block(const char* name, std::array<float, 3> lo, std::array<float, 3> hi, int material) {
        Mesh(name, {At(lo[0], lo[1], lo[2]), At(hi[0], lo[1], lo[2]), At(hi[0], hi[1], hi[2])},
             material);
    }
    int MeshCount() const { return msModel_GetMeshCount(m); }

    msModel* m = kxModel_Create();
};

// A headless Ui that also remembers which windows ran and what the result
// window's tree showed.
class RecordingUi : public HeadlessUi {
  public:
    int RunModal(Window& window) override {
        const int result = HeadlessUi::RunModal(window);
        windows.push_back(window.Title());
        if (window.Title() == "Kaltrix CMP Exporter") {
            resultTree = window.Control(CExportResultDlg::kTree).items;
        }
        return result;
    }
    std::vector<std::string> windows;
    std::vector<ControlItem> resultTree;
};

// One run of the exporter: the settings window's clicks are queued, then
// Execute runs; the result window is closed when the clicks run out.
class ExportRun {
  public:
    using Dlg = CExportSettingsDlg;

    ExportRun& New(const std::string& path) { return Chosen(Dlg::kNew, path); }
    ExportRun& Update(const std::string& path) { return Chosen(Dlg::kUpdate, path); }
    ExportRun& Lod(int level) { return Click(Dlg::kLevel0 + level); }
    ExportRun& Weapon() { return Click(Dlg::kWeapon); }
    ExportRun& Cockpit() { return Click(Dlg::kCockpit); }
    ExportRun& Groups(const std::vector<int>& quantities) {
        Type(Dlg::kGroupsBox, std::to_string(quantities.size()));
        for (size_t g = 0; g < quantities.size(); ++g) {
            Type(Dlg::kQuantity0 + static_cast<int>(g), std::to_string(quantities[g]));
        }
        return *this;
    }
    ExportRun& Continue() { return Click(kIdOk); }
    ExportRun& Cancel() { return Click(kIdCancel); }

    ExportRun& Click(int id) {
        ui.QueueAction({WindowAction::Kind::Click, id, "", 0, ""});
        return *this;
    }
    ExportRun& Type(int id, const std::string& text) {
        ui.QueueAction({WindowAction::Kind::Type, id, text, 0, ""});
        return *this;
    }

    int Execute(msModel* model) {
        HostServices host{&ui, &files};
        TarrowPlugIn plugIn(host);
        const int rc = plugIn.Execute(model);
        written = !output_.empty() && files.WasWritten(output_);
        return rc;
    }

    RecordingUi ui;
    RecordingFileService files;
    bool written = false;

  private:
    ExportRun& Chosen(int button, const std::string& path) {
        output_ = path;
        ui.QueueFile(path);
        return Click(button);
    }

    std::string output_;
};

// A finished export with the default window settings plus `extra` clicks
// before "Continue"; true when the file was written.
template <typename Extra>
bool Export(msModel* model, const std::string& path, Extra extra, bool update = false) {
    ExportRun run;
    update ? run.Update(path) : run.New(path);
    extra(run);
    run.Continue();
    return run.Execute(model) == 0 && run.written && run.ui.messages.empty();
}

// The written file as a tree, to look up nodes by path below "\".
struct WrittenFile {
    explicit WrittenFile(const std::string& path) { ok = test::LoadTree(tree, path).Ok(); }

    bool Has(const std::string& path) const { return FindNodeByPath(tree, path) != nullptr; }
    std::vector<uint8_t> Leaf(const std::string& path) const {
        const UtfNode* node = FindNodeByPath(tree, path);
        const std::vector<uint8_t>* data = node ? tree.GetData(node) : nullptr;
        return data ? *data : std::vector<uint8_t>{};
    }
    std::vector<std::string> Children(const std::string& path) const {
        std::vector<std::string> names;
        const UtfNode* node = path.empty() ? tree.TopLevel().front() : FindNodeByPath(tree, path);
        if (node) {
            for (const UtfNode* child : node->Children()) {
                names.push_back(child->Name());
            }
        }
        return names;
    }

    UtfTree tree;
    bool ok = false;
};

}  // namespace kx::test
