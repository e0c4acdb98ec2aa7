// A material library read into the host model: which materials are matched
// and by which file, the values the host gets, the textures they name, and
// when the set of referenced materials is complete.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "container/NameHash.h"
#include "host/headless/HeadlessModel.h"
#include "importer/CMPModel.h"
#include "importer/ImportPaths.h"
#include "importer/MaterialLibrary.h"
#include "importer/MeshArrays.h"
#include "importer/ModelImport.h"
#include "importer/NodeIndex.h"
#include "importer/tests/ImportFiles.h"
#include "importer/tests/MaterialFiles.h"
#include "testsupport/TempFiles.h"

namespace kx::test {
namespace {

using Rgba = std::array<float, 4>;

// One loaded container file and its index.
struct Loaded {
    explicit Loaded(const HandNode& root) : image(FileOf(root)) {
        auto built = NodeIndex::Build(image);
        EXPECT_TRUE(built.Ok()) << built.Reason();
        index = std::move(built.Value());
    }
    std::vector<uint8_t> image;
    NodeIndex index;
};

HandNode MaterialFile(std::vector<HandNode> materials, std::vector<HandNode> textures = {}) {
    std::vector<HandNode> top = {Folder("Material library", std::move(materials))};
    if (!textures.empty()) {
        top.push_back(TextureLibrary(std::move(textures)));
    }
    return Folder("\\", std::move(top));
}

// A material with nothing the import reads, so its values stay the defaults.
HandNode Plain(const std::string& name) {
    return Folder(name, {Leaf("Type", Str("DcDt"))});
}

// The dialog's side of an import: the model, the list of referenced
// materials and the flags the searches share.
struct Dialog {
    explicit Dialog(std::vector<std::string> referenced) : textures("textures") {
        for (const std::string& name : referenced) {
            arrays.MaterialFor(NameHash(name));
        }
        job.model = model;
        job.arrays = &arrays;
        job.textureFolder = textures.path();
        job.stop = &stop;
        job.finished = &finished;
        job.extract = &extract;
        job.found = &found;
        job.status = [this](std::string text) { statuses.push_back(std::move(text)); };
    }
    ~Dialog() { kxModel_Free(model); }

    bool Import(const HandNode& root) {
        Loaded file(root);
        return ImportMaterialLibrary(file.index, job);
    }

    msMaterial* Host(int i) const { return msModel_GetMaterialAt(model, i); }
    int HostCount() const { return msModel_GetMaterialCount(model); }
    std::string Name(int i) const {
        char text[64];
        msMaterial_GetName(Host(i), text, sizeof text);
        return text;
    }
    std::string DiffuseTexture(int i) const {
        char text[MS_MAX_PATH];
        msMaterial_GetDiffuseTexture(Host(i), text, sizeof text);
        return text;
    }
    std::string AlphaTexture(int i) const {
        char text[MS_MAX_PATH];
        msMaterial_GetAlphaTexture(Host(i), text, sizeof text);
        return text;
    }
    Rgba Get(void (*getter)(msMaterial*, msVec4), int i) const {
        Rgba c;
        getter(Host(i), c.data());
        return c;
    }

    msModel* model = kxModel_Create();
    MeshArrays arrays;
    TempDir textures;
    std::atomic<bool> stop = false;
    std::atomic<bool> finished = false;
    std::atomic<bool> extract = true;
    std::atomic<int> found = 0;
    std::vector<std::string> statuses;
    MaterialImport job;
};

TEST(MaterialLibrary, NamedNodeMatchesItsIdAndCompletesTheSet) {
    Dialog d({"Hull.mat"});
    EXPECT_TRUE(d.Import(MaterialFile({Plain("Hull.mat")})));
    ASSERT_EQ(d.HostCount(), 1);
    // The whole name: a model exported again finds the material by it.
    EXPECT_EQ(d.Name(0), "Hull.mat");
    const CMPMaterial& entry = d.arrays.materials[0];
    EXPECT_TRUE(entry.matched);
    EXPECT_EQ(entry.name, "Hull.mat");
    EXPECT_EQ(entry.hostMaterial, 0);
    EXPECT_TRUE(d.finished);
    EXPECT_TRUE(d.stop);
    EXPECT_FALSE(d.extract);
    EXPECT_EQ(d.statuses, std::vector<std::string>{"Textures: 1/1"});
}

TEST(MaterialLibrary, HostNamesKeepTheWholeNameWhenItFits) {
    EXPECT_EQ(HostMaterialName("debris.TGA"), "debris.TGA");
    EXPECT_EQ(HostMaterialName("a.b"), "a.b");
    const std::string fits = "interior_panel_twenty.one.dds_x";  // 31 characters
    ASSERT_EQ(fits.size(), 31u);
    EXPECT_EQ(HostMaterialName(fits), fits);
    EXPECT_EQ(HostMaterialName(fits + "y"), "interior_panel_twenty");
    // Without a dot, or with the first dot too far in: what the host holds.
    EXPECT_EQ(HostMaterialName(std::string(40, 'm')), std::string(31, 'm'));
    EXPECT_EQ(HostMaterialName(std::string(35, 'm') + ".x"), std::string(31, 'm'));
}

TEST(MaterialLibrary, MaterialWithoutColoursGetsTheDefaults) {
    Dialog d({"plain"});
    d.Import(MaterialFile({Plain("plain")}));
    EXPECT_EQ(d.Get(msMaterial_GetAmbient, 0), (Rgba{0.2f, 0.2f, 0.2f, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetDiffuse, 0), (Rgba{0.6f, 0.6f, 0.6f, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetSpecular, 0), (Rgba{0.1f, 0.1f, 0.1f, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetEmissive, 0), (Rgba{0.1f, 0.1f, 0.1f, 0.1f}));
    EXPECT_EQ(msMaterial_GetShininess(d.Host(0)), 0.1f);
    EXPECT_EQ(msMaterial_GetTransparency(d.Host(0)), 1.0f);
    EXPECT_EQ(d.DiffuseTexture(0), "");
    EXPECT_EQ(d.AlphaTexture(0), "");
}

TEST(MaterialLibrary, ColourLeavesActInNodeOrder) {
    Dialog d({"black", "glow", "dim"});
    d.Import(MaterialFile({
        Folder("black", {Leaf("Dc", Colour(0, 0, 0, 0)), Leaf("Ac", Colour(1, 0, 0, 1)),
                         Leaf("Sc", Colour(0, 1, 0, 1))}),
        Folder("glow", {Leaf("Ec", Colour(0, 0, 1, 1)), Leaf("Et_name", Str("glow.tga")),
                        Leaf("Dc", Colour(0, 0, 0, 0.5f))}),
        Folder("dim", {Leaf("Et_name", {}), Leaf("Ec", Colour(0.5f, 0.5f, 0.5f, 1))}),
    }));
    ASSERT_EQ(d.HostCount(), 3);
    // All four diffuse values zero: the default instead.
    EXPECT_EQ(d.Get(msMaterial_GetDiffuse, 0), (Rgba{0.6f, 0.6f, 0.6f, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetAmbient, 0), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetSpecular, 0), (Rgba{0, 1, 0, 1}));
    // Only exactly zero counts.
    EXPECT_EQ(d.Get(msMaterial_GetDiffuse, 1), (Rgba{0, 0, 0, 0.5f}));
    EXPECT_EQ(d.Get(msMaterial_GetEmissive, 1), (Rgba{1, 1, 1, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetEmissive, 2), (Rgba{0.5f, 0.5f, 0.5f, 1}));
}

TEST(MaterialLibrary, ShortColourLeavesKeepTheDefaultsTheyLack) {
    Dialog d({"short"});
    d.Import(MaterialFile(
        {Folder("short", {Leaf("Dc", Floats({0.9f, 0.8f})), Leaf("Ac", {}), Leaf("Sc", {1, 2, 3}),
                          Leaf("Ec", Floats({0.3f, 0.3f, 0.3f})), Leaf("Oc", {0, 0})})}));
    EXPECT_EQ(d.Get(msMaterial_GetDiffuse, 0), (Rgba{0.9f, 0.8f, 0.6f, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetAmbient, 0), (Rgba{0.2f, 0.2f, 0.2f, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetSpecular, 0), (Rgba{0.1f, 0.1f, 0.1f, 1}));
    EXPECT_EQ(d.Get(msMaterial_GetEmissive, 0), (Rgba{0.3f, 0.3f, 0.3f, 0.1f}));
    EXPECT_EQ(msMaterial_GetTransparency(d.Host(0)), 1.0f);
}

TEST(MaterialLibrary, TranslucentMaterialUsesItsTextureAsAlpha) {
    Dialog d({"glass.mat"});
    d.Import(MaterialFile(
        {Folder("glass.mat", {Leaf("Oc", Floats({0.5f})), Leaf("Dt_name", Str("Glass.tga"))})},
        {Folder("Glass.tga", {Leaf("MIPS", Dds("g"))})}));
    const std::string path = JoinPath(d.textures.path(), "glass.dds");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(msMaterial_GetTransparency(d.Host(0)), 0.5f);
    EXPECT_EQ(d.DiffuseTexture(0), path);
    EXPECT_EQ(d.AlphaTexture(0), path);
    // The list shows the name the library stores.
    EXPECT_EQ(d.arrays.materials[0].texture, "Glass.tga");
}

TEST(MaterialLibrary, TextureNamesThatCannotBeExtractedStayAsStored) {
    Dialog d({"a", "b"});
    d.Import(MaterialFile(
        {Folder("a", {Leaf("Dt_name", Str("missing.tga")), Leaf("Bt_name", Str("../up.tga"))}),
         Folder("b", {Leaf("Bt_name", {})})}));
    EXPECT_EQ(d.DiffuseTexture(0), "missing.tga");
    EXPECT_EQ(d.AlphaTexture(0), "../up.tga");
    EXPECT_EQ(d.arrays.materials[0].texture, "missing.tga");
    EXPECT_EQ(d.AlphaTexture(1), "");
    EXPECT_TRUE(std::filesystem::is_empty(d.textures.path()));
}

// Tools that append a date to texture node names, or run a second name on,
// leave stored names such as these; the files must still open.
TEST(MaterialLibrary, SuffixedTextureNamesGiveFilesThatOpen) {
    Dialog d({"2P_S 07", "2P_S 21", "panel"});
    d.Import(MaterialFile(
        {Folder("2P_S 07", {Leaf("Dt_name", Str("2P_S 07.tga021210203157"))}),
         Folder("2P_S 21", {Leaf("Dt_name", Str("2P_S 21.tga0212102031572P_S 21o.tga"))}),
         Folder("panel",
                {Leaf("Oc", Floats({0.5f})), Leaf("Dt_name", Str("Panel.dds021210203157"))})},
        {Folder("2P_S 07.tga021210203157", {Leaf("MIPS", Dds("07")), Leaf("MIP1", Dds("x"))}),
         Folder("2P_S 21.tga0212102031572P_S 21o.tga", {Leaf("MIPS", Dds("21"))}),
         Folder("Panel.dds021210203157", {Leaf("MIP0", Tga(1, 2))})}));
    ASSERT_EQ(d.HostCount(), 3);
    const std::string written[] = {"2p_s 07.dds", "2p_s 21.dds", "Panel.tga"};
    std::vector<std::string> listing;
    for (const auto& entry : std::filesystem::directory_iterator(d.textures.path())) {
        listing.push_back(entry.path().filename().string());
    }
    std::sort(listing.begin(), listing.end());
    EXPECT_EQ(listing, std::vector<std::string>(std::begin(written), std::end(written)));
    for (int i = 0; i < 3; ++i) {
        const std::string path = JoinPath(d.textures.path(), written[i]);
        EXPECT_EQ(d.DiffuseTexture(i), path);
        EXPECT_TRUE(std::filesystem::is_regular_file(d.DiffuseTexture(i)));
    }
    EXPECT_EQ(d.AlphaTexture(2), d.DiffuseTexture(2));
    // The list keeps showing the names as stored.
    EXPECT_EQ(d.arrays.materials[1].texture, "2P_S 21.tga0212102031572P_S 21o.tga");
}

TEST(MaterialLibrary, FirstLibraryWins) {
    Dialog d({"hull", "wing"});
    EXPECT_FALSE(d.Import(MaterialFile({Folder("hull", {Leaf("Dc", Colour(1, 0, 0, 1))})})));
    EXPECT_FALSE(d.finished);
    EXPECT_FALSE(d.stop);
    EXPECT_TRUE(d.extract);
    // Defines hull again, then the missing wing: only wing is added.
    EXPECT_TRUE(d.Import(MaterialFile({Folder("hull", {Leaf("Dc", Colour(0, 1, 0, 1))}),
                                       Folder("wing", {Leaf("Dc", Colour(0, 0, 1, 1))})})));
    ASSERT_EQ(d.HostCount(), 2);
    EXPECT_EQ(d.Get(msMaterial_GetDiffuse, 0), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(d.Name(1), "wing");
    EXPECT_EQ(d.arrays.materials[1].hostMaterial, 1);
    EXPECT_EQ(d.found, 2);
    EXPECT_EQ(d.statuses, (std::vector<std::string>{"Textures: 1/2", "Textures: 2/2"}));
    EXPECT_TRUE(d.finished);
    EXPECT_FALSE(d.extract);
}

TEST(MaterialLibrary, StopEndsTheImportAndAFileWithoutLibraryChangesNothing) {
    Dialog d({"hull"});
    EXPECT_FALSE(d.Import(Folder("\\", {Folder("Textures", {Plain("hull")})})));
    EXPECT_TRUE(d.statuses.empty());
    d.stop = true;
    EXPECT_FALSE(d.Import(MaterialFile({Plain("hull")})));
    EXPECT_EQ(d.HostCount(), 0);
    EXPECT_FALSE(d.arrays.materials[0].matched);
    // Leaves of the library and unused materials are passed over.
    d.stop = false;
    EXPECT_TRUE(d.Import(MaterialFile({Leaf("hull", Str("x")), Plain("unused"), Plain("hull")})));
    EXPECT_EQ(d.HostCount(), 1);
}

TEST(MaterialLibrary, TextureFolderIsCreated) {
    Dialog d({"hull"});
    d.job.textureFolder = JoinPath(JoinPath(d.textures.path(), "new"), "tex");
    d.Import(MaterialFile({Folder("hull", {Leaf("Dt_name", Str("h.tga"))})},
                          {Folder("h.tga", {Leaf("MIP0", Tga(1, 1))})}));
    EXPECT_EQ(d.DiffuseTexture(0), JoinPath(d.job.textureFolder, "h.tga"));
    EXPECT_TRUE(std::filesystem::is_regular_file(d.DiffuseTexture(0)));
}

TEST(MaterialLibrary, ImportedMeshesUseTheirHostMaterial) {
    // A model carrying its own library; its meshes use material "hull.mat".
    const HandNode root = Folder(
        "\\",
        {Folder("VMeshLibrary",
                {Folder("m.lod0.vms", {Leaf("VMeshData", Block({1}, NameHash("hull.mat")))})}),
         PartNode("m.3db", Ref("m.lod0.vms", 0, 0, 0, 1)),
         Folder("Material library", {Plain("other"), Plain("hull.mat")})});
    CMPModel file;
    ASSERT_TRUE(file.Open(FileOf(root)).Ok());
    ASSERT_TRUE(file.LoadLevel(0).Ok());
    msModel* model = kxModel_Create();
    msModel_AddMaterial(model);  // one the person had already
    std::atomic<bool> stop = false, finished = false, extract = true;
    std::atomic<int> found = 0;
    MaterialImport job{model, &file.Arrays(), "", &stop, &finished, &extract, &found, {}};
    EXPECT_TRUE(ImportMaterialLibrary(file.Index(), job));
    auto plan = file.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ImportTotals totals;
    ASSERT_TRUE(ImportModel(model, plan.Value(), file.Arrays(), false, totals).Ok());
    ASSERT_EQ(msModel_GetMeshCount(model), 1);
    EXPECT_EQ(msMesh_GetMaterialIndex(msModel_GetMeshAt(model, 0)), 1);
    kxModel_Free(model);
}

}  // namespace
}  // namespace kx::test
