#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/Cli.h"
#include "cli/CliUi.h"
#include "cli/tests/CliRun.h"
#include "container/UtfTree.h"
#include "host/FileIo.h"
#include "host/headless/HeadlessModel.h"
#include "ms3d/Ms3dIo.h"
#include "testsupport/TreeFiles.h"

namespace kx {
namespace {

TEST(Cli, HashPrintsOneLinePerName) {
    auto r = Kaltrix({"hash", "abc", "Root", ""});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "0xebb055c2  abc\n0x12688f2d  Root\n0x00000000  \n");
}

TEST(Cli, UsageErrorsExitTwo) {
    EXPECT_EQ(Kaltrix({}).rc, 2);
    EXPECT_EQ(Kaltrix({"frobnicate"}).rc, 2);
    EXPECT_EQ(Kaltrix({"hash"}).rc, 2);
    EXPECT_EQ(Kaltrix({"tree", "--bogus", "x"}).rc, 2);
    EXPECT_EQ(Kaltrix({"cat", "only-file"}).rc, 2);
    auto r = Kaltrix({"tree"});
    EXPECT_EQ(r.err, "kaltrix: missing FILE (see 'kaltrix tree --help')\n");
    EXPECT_EQ(Kaltrix({"hash", "-x"}).rc, 2);
    r = Kaltrix({"hash", "--", "-x"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out.substr(10), "  -x\n");
}

TEST(Cli, HelpListsCommandsAndOptions) {
    auto r = Kaltrix({"--help"});
    EXPECT_EQ(r.rc, 0);
    for (const char* c : {"hash", "tree", "cat", "plugins", "info"}) {
        EXPECT_NE(r.out.find(std::string("  ") + c), std::string::npos) << c;
    }
    r = Kaltrix({"cat", "--help"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.out.find("usage: kaltrix cat FILE PATH"), std::string::npos);
}

TEST(Cli, TreeAndCatShowAContainer) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    UtfNode* lib = tree.AddChild(root, "VMeshLibrary");
    tree.SetData(tree.AddChild(lib, "VMeshData"), {0, 'A', 0xFF});
    tree.AddChild(root, "Hardpoints");
    TempFile file("tree.cmp");
    ASSERT_TRUE(test::SaveTree(tree, file.path()));

    auto r = Kaltrix({"tree", file.path()});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "\\\n  VMeshLibrary\n    VMeshData [3]\n  Hardpoints [0]\n");

    r = Kaltrix({"cat", file.path(), "VMeshLibrary/VMeshData"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, std::string("\0A\xFF", 3));

    r = Kaltrix({"cat", file.path(), "VMeshLibrary"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(Kaltrix({"cat", file.path(), "vmeshlibrary/VMeshData"}).rc, 1);
}

TEST(Cli, TreeOfARootOnlyFile) {
    UtfTree tree;
    tree.AddChild(nullptr, "\\");
    TempFile file("root.cmp");
    ASSERT_TRUE(test::SaveTree(tree, file.path()));
    EXPECT_EQ(Kaltrix({"tree", file.path()}).out, "\\ [0]\n");
}

TEST(Cli, TreeRefusesWhatIsNotAContainer) {
    TempFile file("junk.cmp");
    const std::vector<uint8_t> junk{'n', 'o', 't', ' ', 'a', ' ', 'f', 'i', 'l', 'e'};
    ASSERT_TRUE(WriteWholeFile(file.path(), junk));
    auto r = Kaltrix({"tree", file.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    EXPECT_NE(r.err.find(file.path()), std::string::npos);
    EXPECT_EQ(Kaltrix({"tree", "/nonexistent/x.cmp"}).rc, 1);
}

// Names from a file cannot move the cursor or forge lines: bytes below 0x20
// and 0x7F are printed as \xHH, everything else (the root's backslash, bytes
// of other scripts) as it is.
TEST(Cli, TreeAndInfoEscapeControlCharacters) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    tree.AddChild(root, "a\x1b[2Jb");
    tree.AddChild(root, "line\nforged \x7f\xc3\xa9");
    TempFile file("escape.cmp");
    ASSERT_TRUE(test::SaveTree(tree, file.path()));
    auto r = Kaltrix({"tree", file.path()});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "\\\n  a\\x1b[2Jb [0]\n  line\\x0aforged \\x7f\xc3\xa9 [0]\n");

    msModel* model = kxModel_Create();
    msMaterial* material = msModel_GetMaterialAt(model, msModel_AddMaterial(model));
    msMaterial_SetName(material, "m\r");
    msMaterial_SetDiffuseTexture(material, "t\x1b.tga");
    msMaterial_SetAlphaTexture(material, "a\t.tga");
    msMesh_SetName(msModel_GetMeshAt(model, msModel_AddMesh(model)), "g\nroup");
    TempFile ms3d("escape.ms3d");
    const Status written = WriteMs3dModel(ms3d.path(), model);
    ASSERT_TRUE(written.Ok()) << written.Reason();
    kxModel_Free(model);
    r = Kaltrix({"info", ms3d.path()});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "group\tg\\x0aroup\ttriangles=0\tvertices=0\tmaterial=-1\n"
              "material\tm\\x0d\ttexture=t\\x1b.tga\talpha=a\\x09.tga\n"
              "joints\t0\n");
}

TEST(Cli, MessagesOnStandardErrorAreOneLine) {
    UtfTree tree;
    tree.AddChild(nullptr, "\\");
    TempFile file("one_line.cmp");
    ASSERT_TRUE(test::SaveTree(tree, file.path()));
    auto r = Kaltrix({"cat", file.path(), "a\nb"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "kaltrix: " + file.path() + ": no node 'a b'\n");
}

// A reader's reason and a plug-in's message quote names from the file: on
// the terminal their control bytes are escaped as names are on stdout.
TEST(Cli, NamesInMessagesPrintEscaped) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    tree.SetData(tree.AddChild(root, "x\x1b]0;owned\x07\rkaltrix: fine"), {1, 2, 3, 4});
    TempFile file("escaped_reason.cmp");
    ASSERT_TRUE(test::SaveTree(tree, file.path()));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(file.path(), bytes));
    bytes.pop_back();  // the leaf's data now runs past the end
    ASSERT_TRUE(WriteWholeFile(file.path(), bytes));
    auto r = Kaltrix({"tree", file.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "kaltrix: " + file.path() +
                         ": data of node 'x\\x1b]0;owned\\x07\\x0dkaltrix: fine' runs past the end "
                         "of the file\n");

    // The plug-ins' own line breaks stay spaces; their text is otherwise kept.
    std::ostringstream err;
    CliUi ui(err);
    ui.Message("ship.cmp\nis damaged\n\nnode '\x1b[2J\t'", "Malformed File\x1b", MessageIcon::Error,
               MessageButtons::Ok);
    EXPECT_EQ(err.str(), "Malformed File\\x1b: ship.cmp is damaged  node '\\x1b[2J\\x09'\n");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "ship.cmp\nis damaged\n\nnode '\x1b[2J\t'");
}

// A stream that takes bytes and fails when they are written out, as a full
// disk does, or at once.
class FailingOutput : public std::streambuf {
  public:
    explicit FailingOutput(bool atOnce) : atOnce_(atOnce) {}

  protected:
    int_type overflow(int_type c) override { return atOnce_ ? traits_type::eof() : c; }
    int sync() override { return -1; }

  private:
    bool atOnce_;
};

TEST(Cli, WriteErrorsOnStandardOutputExitOne) {
    for (bool atOnce : {false, true}) {
        for (std::vector<std::string> args :
             {std::vector<std::string>{"hash", "abc"}, std::vector<std::string>{"--help"}}) {
            FailingOutput buffer(atOnce);
            std::ostream out(&buffer);
            std::ostringstream err;
            CliContext ctx{out, err, KALTRIX_BIN_DIR};
            EXPECT_EQ(RunKaltrix(args, ctx), 1) << args[0];
            EXPECT_EQ(err.str(), "kaltrix: standard output could not be written\n");
        }
    }
    // A command that already failed keeps its exit code.
    FailingOutput buffer(true);
    std::ostream out(&buffer);
    std::ostringstream err;
    CliContext ctx{out, err, KALTRIX_BIN_DIR};
    EXPECT_EQ(RunKaltrix({"tree"}, ctx), 2);
}

TEST(Cli, PluginsListsTheThreeLibraries) {
    auto r = Kaltrix({"plugins"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "Tarrow.so\t2\tKaltrix CMP V0.3\n"
              "Ommel.so\t1\tKaltrix CMP Importer V2.7\n"
              "Brasket.so\t2\tKaltrix SUR Export V1.1\n");
}

TEST(Cli, PluginsNamesAMissingLibrary) {
    std::ostringstream out, err;
    CliContext ctx{out, err, "/nonexistent"};
    EXPECT_EQ(RunKaltrix({"plugins"}, ctx), 1);
    EXPECT_NE(err.str().find("Tarrow.so"), std::string::npos);
}

TEST(Cli, InfoDescribesAModelFile) {
    msModel* model = kxModel_Create();
    msMaterial* material = msModel_GetMaterialAt(model, msModel_AddMaterial(model));
    msMaterial_SetName(material, "Hull");
    msMaterial_SetDiffuseTexture(material, "hull.tga");
    msMesh* hull = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(hull, "hull");
    msMesh_SetMaterialIndex(hull, 0);
    for (int i = 0; i < 3; ++i) {
        msMesh_AddVertex(hull);
    }
    msMesh_AddVertexNormal(hull);
    word corners[3] = {0, 1, 2};
    msTriangle_SetVertexIndices(msMesh_GetTriangleAt(hull, msMesh_AddTriangle(hull)), corners);
    msMesh_SetName(msModel_GetMeshAt(model, msModel_AddMesh(model)), "Hp_Fixed_HpEngine01");
    TempFile file("info.ms3d");
    const Status written = WriteMs3dModel(file.path(), model);
    ASSERT_TRUE(written.Ok()) << written.Reason();
    kxModel_Free(model);

    auto r = Kaltrix({"info", file.path()});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "group\thull\ttriangles=1\tvertices=3\tmaterial=0\n"
              "group\tHp_Fixed_HpEngine01\ttriangles=0\tvertices=0\tmaterial=-1\n"
              "material\tHull\ttexture=hull.tga\talpha=\n"
              "joints\t0\n");
}

// The build writes the sample ship beside bin/.
TEST(Cli, InfoDescribesTheSampleShip) {
    auto r = Kaltrix({"info", KALTRIX_BIN_DIR "/../sample_ship.ms3d"});
    ASSERT_EQ(r.rc, 0) << r.err;
    for (const char* line : {"group\thull\t", "group\twing_left\t", "group\twing_right\t",
                             "group\tengine\t", "group\tHp_Fixed_HpEngine01\t",
                             "group\tHp_Revolute_HpTurret01\t", "group\tHp_Fixed_HpWeapon01\t",
                             "material\tShipHull\t", "material\tShipEngine\t", "joints\t0\n"}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    }
}

TEST(Cli, InfoRefusesDamagedAndUnknownFiles) {
    TempFile file("junk.ms3d");
    ASSERT_TRUE(WriteWholeFile(file.path(), std::vector<uint8_t>{'M', 'S', '3', 'D'}));
    auto r = Kaltrix({"info", file.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err, "kaltrix: " + file.path() + ": not a model file (no MS3D000000 header)\n");
    r = Kaltrix({"info", "model.lod"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "kaltrix: model.lod: not a file info reads (.ms3d, .cmp, .3db, .sur)\n");
    EXPECT_EQ(Kaltrix({"info"}).rc, 2);
}

// Game models as the exporter writes them: every level with its parts and
// material ids, the hardpoints once, each under the part that carries it.
TEST(Cli, InfoDescribesGameModels) {
    const std::string ship = KALTRIX_BIN_DIR "/../sample_ship.ms3d";
    TempFile cmp("info.cmp");
    ASSERT_EQ(Kaltrix({"export", ship, "-o", cmp.path(), "--groups", "1,2,1"}).rc, 0);
    ASSERT_EQ(
        Kaltrix({"export", ship, "-o", cmp.path(), "--update", "--lod", "1", "--groups", "1,2,1"})
            .rc,
        0);
    auto r = Kaltrix({"info", cmp.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string level =
        "\tmeshes=4\ttriangles=28\tvertices=84\tparts=3\n"
        "  part\thull\t0x12688F2D\tparent=-\tmeshes=1\n"
        "  part\twing_left\t0x14441416\tparent=-\tmeshes=2\n"
        "  part\tengine\t0x1DD2CE19\tparent=-\tmeshes=1\n"
        "  materials=2\t0x040CAC4B\t0xF8A2ECB2\n";
    EXPECT_EQ(r.out,
              "model\tlevels=2\n"
              "level\thull.lod0.vms" +
                  level + "level\thull.lod1.vms" + level +
                  "hardpoints=4\n"
                  "  hardpoint\thull\tRevolute\tHpTurret01\n"
                  "  hardpoint\twing_left\tFixed\tHpWeapon01\n"
                  "  hardpoint\twing_left\tFixed\tHpWeapon02\n"
                  "  hardpoint\tengine\tFixed\tHpEngine01\n");

    TempFile single("info.3db");
    ASSERT_EQ(Kaltrix({"export", ship, "-o", single.path()}).rc, 0);
    r = Kaltrix({"info", single.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("\tparts=1\n  part\thull.3db\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nhardpoints=4\n"), std::string::npos) << r.out;

    // A damaged file is refused with the reader's reason and prints nothing.
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadFileBytes(cmp.path(), bytes), FileOutcome::Done);
    bytes.resize(300);
    ASSERT_TRUE(WriteWholeFile(cmp.path(), bytes));
    r = Kaltrix({"info", cmp.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err, "kaltrix: " + cmp.path() + ": node block runs past the end of the file\n");
}

}  // namespace
}  // namespace kx
