// The model importer on a file at the format's limits: one mesh data block
// of 65,376 vertices and 21,792 triangles shared by 16 parts on a chain of
// constraints, and 200 hardpoints. Each step of an import is measured on its
// own (reading the file, the node index, the blocks, the part plan, the host
// calls), then the whole, and the plug-in's Execute with its dialog driven
// headless (which checks the parts once more when the file is read).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "container/ByteWriter.h"
#include "container/NameHash.h"
#include "container/UtfTree.h"
#include "host/FileIo.h"
#include "host/SettingsStore.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"
#include "importer/CCMPDialog.h"
#include "importer/CMPModel.h"
#include "importer/CVornPlugIn.h"
#include "importer/LevelList.h"
#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRef.h"

namespace kx::bench {
namespace {

constexpr int kParts = 16;
constexpr int kTrianglesPerPart = 1362;
constexpr int kHardpoints = 200;
const char* const kLibrary = "ship.lod0.vms";

std::vector<uint8_t> Text(const std::string& text) {
    return std::vector<uint8_t>(text.c_str(), text.c_str() + text.size() + 1);
}

std::vector<uint8_t> Floats(std::initializer_list<float> values) {
    ByteWriter w;
    for (float v : values) {
        w.F32(v);
    }
    return w.Take();
}

std::string PartName(int p) {
    return p == 0 ? "Root" : "part" + std::to_string(p);
}

std::vector<uint8_t> LargestFile() {
    VMeshBlock block;
    for (int p = 0; p < kParts; ++p) {
        const auto start = static_cast<uint16_t>(block.vertices.size());
        block.meshes.push_back({NameHash("hull"), start,
                                static_cast<uint16_t>(start + 3 * kTrianglesPerPart - 1),
                                static_cast<uint16_t>(3 * kTrianglesPerPart), kVMeshRecordPadding});
        for (int t = 0; t < kTrianglesPerPart; ++t) {
            const auto k = static_cast<uint16_t>(3 * t);
            block.triangles.push_back(
                {k, static_cast<uint16_t>(k + 1), static_cast<uint16_t>(k + 2)});
            const float x = static_cast<float>(t % 37) * 2.0f,
                        y = static_cast<float>(t / 37) * 2.0f;
            for (int c = 0; c < 3; ++c) {
                VMeshVertex v;
                v.position = {x + (c == 1 ? 1.5f : 0.0f), y + (c == 2 ? 1.5f : 0.0f),
                              static_cast<float>(p)};
                v.normal = {0, 0, 1};
                v.uv = {x * 0.01f, y * 0.01f};
                block.vertices.push_back(v);
            }
        }
    }
    std::vector<uint8_t> blockBytes;
    EncodeVMeshData(block, blockBytes);

    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    UtfNode* library = tree.AddChild(tree.AddChild(root, "VMeshLibrary"), kLibrary);
    tree.SetData(tree.AddChild(library, "VMeshData"), std::move(blockBytes));
    UtfNode* cmpnd = tree.AddChild(root, "Cmpnd");
    ByteWriter joints;
    for (int p = 1; p < kParts; ++p) {
        // Each part hangs on the one before, a little turned and moved.
        std::string parent = PartName(p - 1), child = PartName(p);
        parent.resize(64, '\0');
        child.resize(64, '\0');
        joints.Bytes(parent.data(), 64);
        joints.Bytes(child.data(), 64);
        for (float v :
             {1.0f, 0.5f, 0.0f, 0.99f, -0.14f, 0.0f, 0.14f, 0.99f, 0.0f, 0.0f, 0.0f, 1.0f}) {
            joints.F32(v);
        }
    }
    tree.SetData(tree.AddChild(tree.AddChild(cmpnd, "Cons"), "Fix"), joints.Take());
    for (int p = 0; p < kParts; ++p) {
        const std::string file = PartName(p) + "_lod1.3db";
        UtfNode* entry = tree.AddChild(cmpnd, p == 0 ? "Root" : "Part_" + PartName(p));
        tree.SetData(tree.AddChild(entry, "File name"), Text(file));
        tree.SetData(tree.AddChild(entry, "Object name"), Text(PartName(p)));
        UtfNode* part = tree.AddChild(root, file);
        UtfNode* fixed = tree.AddChild(tree.AddChild(part, "Hardpoints"), "Fixed");
        for (int h = p; h < kHardpoints; h += kParts) {
            UtfNode* hp = tree.AddChild(fixed, "HpWeapon" + std::to_string(h));
            tree.SetData(tree.AddChild(hp, "Orientation"), Floats({1, 0, 0, 0, 1, 0, 0, 0, 1}));
            tree.SetData(tree.AddChild(hp, "Position"), Floats({static_cast<float>(h), 1, 2}));
        }
        VMeshRef ref;
        ref.libraryId = NameHash(kLibrary);
        ref.startMesh = static_cast<uint16_t>(p);
        ref.meshCount = 1;
        ref.startIndex = static_cast<uint16_t>(3 * kTrianglesPerPart * p);
        UtfNode* level = tree.AddChild(tree.AddChild(part, "MultiLevel"), "Level0");
        tree.SetData(tree.AddChild(tree.AddChild(level, "VMeshPart"), "VMeshRef"),
                     EncodeVMeshRef(ref));
    }
    return tree.Serialize();
}

class ImportFixture : public benchmark::Fixture {
  public:
    void SetUp(const benchmark::State&) override {
        if (path.empty()) {
            path = UniqueTempPath("import_largest.cmp");
            WriteWholeFile(path, LargestFile());
        }
    }
    static std::vector<uint8_t> Read() {
        std::vector<uint8_t> bytes;
        ReadWholeFile(path, bytes);
        return bytes;
    }
    static bool Loaded(CMPModel& model) {
        return model.Open(Read()).Ok() && model.LoadLevel(0).Ok();
    }
    static std::string path;
};
std::string ImportFixture::path;

// The file outlives every benchmark and goes with the program.
struct RemoveAtExit {
    ~RemoveAtExit() {
        if (!ImportFixture::path.empty()) {
            std::filesystem::remove(ImportFixture::path);
        }
    }
} removeAtExit;

BENCHMARK_DEFINE_F(ImportFixture, Load)(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Read());
    }
}

BENCHMARK_DEFINE_F(ImportFixture, Index)(benchmark::State& state) {
    const std::vector<uint8_t> bytes = Read();
    for (auto _ : state) {
        auto index = NodeIndex::Build(bytes);
        benchmark::DoNotOptimize(ListLevels(index.Value()));
    }
}

BENCHMARK_DEFINE_F(ImportFixture, Blocks)(benchmark::State& state) {
    CMPModel model;
    if (!Loaded(model)) {
        state.SkipWithError("the file does not load");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.LoadLevel(0).Ok());
    }
}

BENCHMARK_DEFINE_F(ImportFixture, Plan)(benchmark::State& state) {
    CMPModel model;
    if (!Loaded(model)) {
        state.SkipWithError("the file does not load");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.Plan({}).Ok());
    }
}

BENCHMARK_DEFINE_F(ImportFixture, HostCalls)(benchmark::State& state) {
    CMPModel model;
    auto plan =
        Loaded(model) ? model.Plan({}) : Result<ImportPlan>(Status::Failure(Fault::Damaged, ""));
    if (!plan.Ok()) {
        state.SkipWithError("the file does not load");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        msModel* host = kxModel_Create();
        ImportTotals totals;
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            ImportModel(host, plan.Value(), model.Arrays(), false, totals).Ok());
        state.PauseTiming();
        kxModel_Free(host);
        state.ResumeTiming();
    }
}

BENCHMARK_DEFINE_F(ImportFixture, Whole)(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        msModel* host = kxModel_Create();
        state.ResumeTiming();
        CMPModel model;
        ImportTotals totals;
        if (!Loaded(model)) {
            state.SkipWithError("the file does not load");
            break;
        }
        auto plan = model.Plan({});
        benchmark::DoNotOptimize(
            ImportModel(host, plan.Value(), model.Arrays(), false, totals).Ok());
        state.PauseTiming();
        state.counters["triangles"] = static_cast<double>(totals.triangles);
        state.counters["markers"] = static_cast<double>(totals.markers);
        kxModel_Free(host);
        state.ResumeTiming();
    }
}

BENCHMARK_DEFINE_F(ImportFixture, Execute)(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        msModel* host = kxModel_Create();
        HeadlessUi ui;
        MemorySettingsStore store;
        store.SetInt("Model", "AutoLoad", 0);
        HostServices services{&ui, nullptr, &store};
        CVornPlugIn plugIn(services);
        auto click = [&](int id) { ui.QueueAction({WindowAction::Kind::Click, id, {}, 0, {}}); };
        ui.QueueFile(path);
        click(CCMPDialog::kModel);
        click(kIdOk);
        click(CCMPDialog::kImport);
        state.ResumeTiming();
        benchmark::DoNotOptimize(plugIn.Execute(host));
        state.PauseTiming();
        state.counters["meshes"] = msModel_GetMeshCount(host);
        kxModel_Free(host);
        state.ResumeTiming();
    }
}

BENCHMARK_REGISTER_F(ImportFixture, Load)->Unit(benchmark::kMillisecond);
BENCHMARK_REGISTER_F(ImportFixture, Index)->Unit(benchmark::kMillisecond);
BENCHMARK_REGISTER_F(ImportFixture, Blocks)->Unit(benchmark::kMillisecond);
BENCHMARK_REGISTER_F(ImportFixture, Plan)->Unit(benchmark::kMillisecond);
BENCHMARK_REGISTER_F(ImportFixture, HostCalls)->Unit(benchmark::kMillisecond);
BENCHMARK_REGISTER_F(ImportFixture, Whole)->Unit(benchmark::kMillisecond);
BENCHMARK_REGISTER_F(ImportFixture, Execute)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kx::bench
