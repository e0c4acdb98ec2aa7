// The headless host as the command line runs a plug-in library: what the
// library writes through the host's file service is recorded, the texture
// files an import makes included.

#include "cli/HeadlessHost.h"

#include <gtest/gtest.h>

#include <sstream>

#include "container/NameHash.h"
#include "host/FileIo.h"
#include "importer/CCMPDialog.h"
#include "importer/ImportPaths.h"
#include "importer/ImporterOptions.h"
#include "importer/tests/ImportFiles.h"
#include "importer/tests/MaterialFiles.h"
#include "testsupport/TempFiles.h"

namespace kx::test {
namespace {

WindowAction Click(int id) {
    return {WindowAction::Kind::Click, id, {}, 0, ""};
}

// One part of two triangles of material Hull.mat, with its own material
// and texture libraries.
std::vector<uint8_t> ShipWithTexture() {
    return FileOf(Folder(
        "\\",
        {Folder("VMeshLibrary",
                {Folder("s.lod0.vms", {Leaf("VMeshData", Block({1, 2}, NameHash("Hull.mat")))})}),
         PartNode("s.3db", Ref("s.lod0.vms", 0, 0, 0, 2)),
         Folder("Material library", {Folder("Hull.mat", {Leaf("Dc", Colour(0.5f, 0.5f, 0.5f, 1)),
                                                         Leaf("Dt_name", Str("Hull.TGA"))})}),
         TextureLibrary({Folder("Hull.TGA", {Leaf("MIPS", Str("DDS hull"))})})}));
}

TEST(HeadlessHost, RecordsTheTextureAnImportMakes) {
    TempDir dir("headless-textures");
    const std::string model = dir.File("ship.cmp");
    ASSERT_TRUE(WriteWholeFile(model, ShipWithTexture()));
    const std::string textures = dir.File("tex");

    std::ostringstream err;
    HeadlessHost host(err);
    WriteOption(host.settings, kAutoLoadKey, false);
    WriteOption(host.settings, kAutoOpenKey, false);
    WriteOption(host.settings, kAutoSearchKey, false);
    WriteOption(host.settings, kTexturePathKey, textures);
    host.ui.QueueFile(model);
    host.ui.QueueAction(Click(CCMPDialog::kModel));
    host.ui.QueueAction(Click(kIdOk));
    host.ui.QueueAction({WindowAction::Kind::Wait, 0, {}, 0, ""});
    host.ui.QueueAction(Click(CCMPDialog::kImport));

    ModelHandle handle;
    const Result<int> ran = RunPlugInLibrary(KALTRIX_BIN_DIR, "Ommel", host, handle.model);
    ASSERT_TRUE(ran) << ran.Reason();
    EXPECT_EQ(*ran, 0) << err.str();
    ASSERT_EQ(msModel_GetMeshCount(handle.model), 2);
    const std::string texture = JoinPath(textures, "hull.dds");
    EXPECT_TRUE(host.files.WasWritten(texture));
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadFileBytes(texture, bytes), FileOutcome::Done);
    EXPECT_EQ(bytes, Str("DDS hull"));
}

}  // namespace
}  // namespace kx::test
