// The model exporter at one mesh data block's limits: 16 groups holding
// 21,792 triangles on 65,376 vertices, and 200 hardpoint markers.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "exporter/ExportSettingsDlg.h"
#include "exporter/TarrowPlugIn.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"
#include "host/headless/RecordingFileService.h"

namespace kx::bench {
namespace {

constexpr int kGroups = 16;
constexpr int kTrianglesPerGroup = 1362;
constexpr int kMarkers = 200;

void AddTriangle(msMesh* mesh, float x, float y, float z, float size) {
    const float corners[3][3] = {{x, y, z}, {x + size, y, z}, {x, y + size, z + size * 0.5f}};
    word indices[3];
    for (int c = 0; c < 3; ++c) {
        msVertex* v = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
        msVec3 p = {corners[c][0], corners[c][1], corners[c][2]};
        msVec2 uv = {corners[c][0] * 0.01f, corners[c][1] * 0.01f};
        msVertex_SetVertex(v, p);
        msVertex_SetTexCoords(v, uv);
        indices[c] = static_cast<word>(msMesh_GetVertexCount(mesh) - 1);
    }
    msTriangle_SetVertexIndices(msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh)), indices);
}

void BuildLargestModel(msModel* model) {
    msMaterial* material = msModel_GetMaterialAt(model, msModel_AddMaterial(model));
    msMaterial_SetName(material, "hull");
    for (int g = 0; g < kGroups; ++g) {
        msMesh* mesh = msModel_GetMeshAt(model, msModel_AddMesh(model));
        msMesh_SetName(mesh, ("part" + std::to_string(g)).c_str());
        msMesh_SetMaterialIndex(mesh, 0);
        for (int t = 0; t < kTrianglesPerGroup; ++t) {
            AddTriangle(mesh, static_cast<float>(g * 100 + t % 37) * 2.0f,
                        static_cast<float>(t / 37) * 2.0f, static_cast<float>(g), 1.5f);
        }
    }
    for (int h = 0; h < kMarkers; ++h) {
        msMesh* marker = msModel_GetMeshAt(model, msModel_AddMesh(model));
        msMesh_SetName(marker, ("Hp_Fixed_HpWeapon" + std::to_string(h)).c_str());
        AddTriangle(marker, static_cast<float>(h * 16), 10.0f, 3.0f, 0.2f);
    }
}

void QueueSettings(HeadlessUi& ui, const std::string& output) {
    auto act = [&](WindowAction::Kind kind, int id, std::string text = {}) {
        WindowAction a;
        a.kind = kind;
        a.id = id;
        a.text = std::move(text);
        ui.QueueAction(a);
    };
    ui.QueueFile(output);
    act(WindowAction::Kind::Click, CExportSettingsDlg::kNew);
    act(WindowAction::Kind::Type, CExportSettingsDlg::kGroupsBox, std::to_string(kGroups));
    for (int g = 0; g < kGroups; ++g) {
        act(WindowAction::Kind::Type, CExportSettingsDlg::kQuantity0 + g, "1");
    }
    act(WindowAction::Kind::Click, kIdOk);
}

void BM_ExportLargest(benchmark::State& state) {
    const std::string output =
        (std::filesystem::temp_directory_path() / "kaltrix_bench_largest.cmp").string();
    msModel* model = kxModel_Create();
    for (auto _ : state) {
        state.PauseTiming();
        msModel_Destroy(model);
        BuildLargestModel(model);
        HeadlessUi ui;
        QueueSettings(ui, output);
        RecordingFileService files;
        HostServices host{&ui, &files};
        TarrowPlugIn exporter(host);
        state.ResumeTiming();
        exporter.Execute(model);
        if (!files.WasWritten(output)) {
            state.SkipWithError("export wrote nothing");
            break;
        }
    }
    kxModel_Free(model);
    std::filesystem::remove(output);
}
BENCHMARK(BM_ExportLargest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kx::bench
