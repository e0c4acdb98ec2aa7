// kaltrix vmesh: the exact listing of blocks and references, and damaged
// leaves named on stderr.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/Cli.h"
#include "container/UtfTree.h"
#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRef.h"
#include "testsupport/TreeFiles.h"

namespace kx {
namespace {

struct VMeshRun {
    int rc;
    std::string out, err;
};

// Saves `tree` and runs vmesh on it with `options`.
VMeshRun RunOn(const UtfTree& tree, std::vector<std::string> options = {}) {
    // Named after the test: ctest runs tests side by side.
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    const auto path = (std::filesystem::temp_directory_path() / ("kx_vmesh_" + name)).string();
    EXPECT_TRUE(test::SaveTree(tree, path));
    std::ostringstream out, err;
    CliContext ctx{out, err, KALTRIX_BIN_DIR};
    options.insert(options.begin(), {"vmesh", path});
    int rc = RunKaltrix(options, ctx);
    std::filesystem::remove(path);
    return {rc, out.str(), err.str()};
}

struct Model {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");

    void Block(const VMeshBlock& block, const char* library = "hull.lod0.vms") {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(EncodeVMeshData(block, bytes));
        Leaf({"VMeshLibrary", library, "VMeshData"}, bytes);
    }
    void Leaf(std::initializer_list<const char*> path, std::vector<uint8_t> bytes) {
        UtfNode* node = root;
        for (const char* name : path) {
            node = tree.FindOrAddChild(node, name);
        }
        tree.SetData(node, std::move(bytes));
    }
};

VMeshBlock TwoMeshes() {
    VMeshBlock b;
    b.meshes = {{0x1a2b3c4d, 0, 7, 18, 0xcc}, {0, 8, 15, 18, 0xcc}};
    b.triangles.resize(12);
    b.vertices.resize(16);
    return b;
}

TEST(VMeshCommand, ListsBlocksAndReferencesInNodeOrder) {
    Model m;
    m.Block(TwoMeshes());
    VMeshRef ref;
    ref.libraryId = 0x5e6f7a8b;
    ref.vertexCount = 16;
    ref.indexCount = 36;
    ref.meshCount = 2;
    ref.box = {1, -1, 1, -1, 1, -1};
    ref.radius = 1.7320508f;
    m.Leaf({"hull.3db", "MultiLevel", "Level0", "VMeshPart", "VMeshRef"}, EncodeVMeshRef(ref));

    auto r = RunOn(m.tree);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "block VMeshLibrary/hull.lod0.vms/VMeshData\n"
              "  meshes 2 indices 36 format 0x112 vertices 16\n"
              "  mesh 0 material 0x1a2b3c4d start 0 end 7 indices 18\n"
              "  mesh 1 material 0x00000000 start 8 end 15 indices 18\n"
              "ref hull.3db/MultiLevel/Level0/VMeshPart/VMeshRef\n"
              "  library 0x5e6f7a8b start_vertex 0 vertex_count 16 start_index 0 index_count 36 "
              "start_mesh 0 mesh_count 2\n"
              "  box 1 -1 1 -1 1 -1 centre 0 0 0 radius 1.73205078\n");
}

TEST(VMeshCommand, VerticesListsTheElementsPresent) {
    VMeshBlock b;
    b.format = 0x352;
    b.triangles = {{0, 1, 2}};
    VMeshVertex v;
    v.position = {1, 0.5f, -2};
    v.normal = {0, 1, 0};
    v.diffuse = 0x80ff2010;
    v.uv = {0.1f, 1};
    v.uv2 = {3, 4};
    b.vertices = {v};
    Model m;
    m.Block(b);
    auto r = RunOn(m.tree, {"--vertices"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "block VMeshLibrary/hull.lod0.vms/VMeshData\n"
              "  meshes 0 indices 3 format 0x352 vertices 1\n"
              "  triangle 0 0 1 2\n"
              "  vertex 0 position 1 0.5 -2 normal 0 1 0 diffuse 0x80ff2010 uv 0.100000001 1 "
              "uv2 3 4\n");

    b.format = 0x102;
    Model plain;
    plain.Block(b);
    EXPECT_NE(RunOn(plain.tree, {"--vertices"})
                  .out.find("  vertex 0 position 1 0.5 -2 uv 0.100000001 1\n"),
              std::string::npos);
}

TEST(VMeshCommand, DamagedLeavesAreNamedAndTheRestIsListed) {
    Model m;
    m.Leaf({"VMeshLibrary", "bad.lod0.vms", "VMeshData"}, {1, 0, 0, 0});
    m.Block(VMeshBlock{}, "good.lod0.vms");
    m.Leaf({"part.3db", "VMeshRef"}, std::vector<uint8_t>(19));
    auto r = RunOn(m.tree);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out,
              "block VMeshLibrary/good.lod0.vms/VMeshData\n"
              "  meshes 0 indices 0 format 0x112 vertices 0\n");
    EXPECT_NE(r.err.find(": VMeshLibrary/bad.lod0.vms/VMeshData: The mesh data block is too short"),
              std::string::npos);
    EXPECT_NE(r.err.find(": part.3db/VMeshRef: The mesh reference is too short"),
              std::string::npos);
}

// Node names are anyone's bytes: an escape sequence or a line feed in one
// must not reach the terminal as such, on either stream.
TEST(VMeshCommand, NamesFromTheFilePrintEscaped) {
    Model m;
    m.Block(VMeshBlock{}, "a\x1b[2J\nblock forged");
    m.Leaf({"b\rkaltrix: fine", "VMeshRef"}, {1});
    auto r = RunOn(m.tree);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out,
              "block VMeshLibrary/a\\x1b[2J\\x0ablock forged/VMeshData\n"
              "  meshes 0 indices 0 format 0x112 vertices 0\n");
    EXPECT_NE(r.err.find(": b\\x0dkaltrix: fine/VMeshRef: "), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST(VMeshCommand, Usage) {
    Model m;
    EXPECT_EQ(RunOn(m.tree, {"--bogus"}).rc, 2);
    EXPECT_EQ(RunOn(m.tree, {"extra"}).rc, 2);
    std::ostringstream out, err;
    CliContext ctx{out, err, KALTRIX_BIN_DIR};
    EXPECT_EQ(RunKaltrix({"vmesh"}, ctx), 2);
}

}  // namespace
}  // namespace kx
