// Loading a model: the level list, the blocks of a level, the parts and
// their placement, hardpoints, and what makes a file damaged.

#include <gtest/gtest.h>

#include "base/Text.h"
#include "importer/CMPModel.h"
#include "importer/tests/ImportFiles.h"

namespace kx::test {
namespace {

struct Opened {
    explicit Opened(const HandNode& root) { status = model.Open(FileOf(root)); }
    CMPModel model;
    Status status;
};

TEST(Levels, ListedInTurnAndSortedAsTheComboBoxSorts) {
    auto levels = [](std::vector<std::string> names) {
        std::vector<HandNode> folders;
        for (const std::string& n : names) {
            folders.push_back(Lod(n, Block({1})));
        }
        Opened o(Folder("\\", {Library(std::move(folders))}));
        EXPECT_TRUE(o.status.Ok());
        return o.model.Levels();
    };
    using L = std::vector<std::string>;
    // .lod1 is looked for only after the folder that held .lod0.
    EXPECT_EQ(levels({"x.lod1.vms", "x.lod0.vms"}), L({"x.lod0.vms"}));
    EXPECT_EQ(levels({"x.lod1.vms", "x.lod2.vms"}), L());
    // Letters without case first, then bytes.
    EXPECT_EQ(levels({"a.lod0.vms", "B.lod1.vms"}), L({"a.lod0.vms", "B.lod1.vms"}));
    EXPECT_EQ(levels({"ab.lod0.lod1", "AB.lod0.lod1"}), L({"AB.lod0.lod1", "ab.lod0.lod1"}));
}

TEST(MeshData, EveryBlockOfTheLevelIsReadWithItsStarts) {
    Opened o(
        Folder("\\", {Library({Lod("a.lod0.vms", Block({1, 2}, 7)), Lod("a.lod1.vms", Block({5})),
                               Lod("b.lod0.vms", Block({3}, 7))}),
                      Folder("Cmpnd", {Entry("Root", "b.3db", "Root")}),
                      PartNode("b.3db", Ref("b.lod0.vms", 0, 0, 0, 1))}));
    ASSERT_TRUE(o.status.Ok());
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    const MeshArrays& a = o.model.Arrays();
    ASSERT_EQ(a.blocks.size(), 2u);
    EXPECT_EQ(a.blocks[1].id, NameHash("b.lod0.vms"));
    EXPECT_EQ(a.blocks[1].baseMesh, 2u);
    EXPECT_EQ(a.blocks[1].baseTriangle, 3u);
    EXPECT_EQ(a.blocks[1].baseVertex, 9u);
    EXPECT_EQ(a.meshes.size(), 3u);
    EXPECT_EQ(a.vertices.size(), 18u);
    // One material entry for the id all three meshes share.
    ASSERT_EQ(a.materials.size(), 1u);
    EXPECT_EQ(a.meshes[2].material, 0);

    // A reference into the second block has its starts raised.
    auto plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 1u);
    const CMPPart& part = plan->parts.parts[0];
    EXPECT_EQ(part.startMesh, 2u);
    EXPECT_EQ(part.startIndex, 9u);
    EXPECT_EQ(part.startVertex, 9u);
    EXPECT_EQ(part.name, "b.3db");
}

TEST(MeshData, AFolderWithoutABlockEndsTheLevelAsAnEmptyBlock) {
    Opened o(Folder(
        "\\", {Library({Folder("a.lod0.vms", {Leaf("other", {})}), Lod("b.lod0.vms", Block({1}))}),
               PartNode("b.3db", Ref("b.lod0.vms", 0, 0, 0, 1))}));
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    ASSERT_EQ(o.model.Arrays().blocks.size(), 1u);
    EXPECT_EQ(o.model.Arrays().blocks[0].id, NameHash("a.lod0.vms"));
    EXPECT_TRUE(o.model.Arrays().meshes.empty());
}

TEST(MeshData, NoUsableDataIsRefusedAndBrokenDataIsDamaged) {
    const auto ref = Ref("a.lod0.vms", 0, 0, 0, 1);
    struct Case {
        const char* what;
        HandNode root;
        Fault fault;
    };
    std::vector<uint8_t> unknownFormat = Block({1});
    unknownFormat[12] = 0x04;  // a vertex format bit this reader does not know
    std::vector<uint8_t> noPosition = Block({1});
    noPosition[12] = 0x10;  // a normal only
    std::vector<uint8_t> shortBlock = Block({2});
    shortBlock.resize(shortBlock.size() - 1);
    const Case cases[] = {
        // Read, for the hardpoints of a model without meshes.
        {"no reference", Folder("\\", {Folder("Hardpoints", {Leaf("x", {})})}), Fault::None},
        {"reference without library",
         Folder("\\",
                {Library({Lod("a.lod0.vms", Block({1}))}), PartNode("p", Ref("", 0, 0, 0, 1))}),
         Fault::Refused},
        {"reference as a folder", Folder("\\", {Folder("VMeshRef", {Leaf("x", ref)}), Library({})}),
         Fault::Damaged},
        {"short reference",
         Folder("\\", {PartNode("p", std::vector<uint8_t>(ref.begin(), ref.begin() + 19))}),
         Fault::Damaged},
        {"block as a folder",
         Folder("\\", {Library({Folder("a.lod0.vms", {Folder("VMeshData", {Leaf("x", {})})})}),
                       PartNode("p", ref)}),
         Fault::Damaged},
        {"unknown vertex format",
         Folder("\\", {Library({Lod("a.lod0.vms", unknownFormat)}), PartNode("p", ref)}),
         Fault::Damaged},
        {"vertices without a position",
         Folder("\\", {Library({Lod("a.lod0.vms", noPosition)}), PartNode("p", ref)}),
         Fault::Damaged},
        {"counts beyond the block",
         Folder("\\", {Library({Lod("a.lod0.vms", shortBlock)}), PartNode("p", ref)}),
         Fault::Damaged},
    };
    for (const Case& c : cases) {
        Opened o(c.root);
        ASSERT_TRUE(o.status.Ok()) << c.what;
        Status s = o.model.LoadLevel(0);
        EXPECT_EQ(s.GetFault(), c.fault) << c.what;
        EXPECT_TRUE(o.model.Arrays().meshes.empty()) << c.what;
    }
}

TEST(Parts, ASingleModelIsOnePartNamedRoot) {
    Opened o(Folder(
        "\\", {Library({Lod("m.lod0.vms", Block({1, 1}))}),
               PartNode("m.3db", Ref("m.lod0.vms", 0, 0, 0, 2),
                        {Folder("Hardpoints",
                                {Folder("Fixed", {HardpointNode("HpMount", {1, 2, 3})})})})}));
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    auto plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 1u);
    EXPECT_EQ(plan->parts.parts[0].name, "Root");
    EXPECT_EQ(plan->parts.parts[0].id, 0u);
    EXPECT_EQ(PartTransform(plan->parts, 0), Identity4());
    ASSERT_EQ(plan->hardpoints.size(), 1u);
    EXPECT_EQ(plan->hardpoints[0].partId, 0u);
    EXPECT_EQ(plan->hardpointsOfPart[0], std::vector<size_t>{0});
}

TEST(Parts, NamesComeFromTheFileName) {
    EXPECT_EQ(PartName("Part_gun_lod1123456789012.3db"), "Part_gun");
    EXPECT_EQ(PartName("Part_engine_a123456789012.3db"), "Part_engine_a");
    EXPECT_EQ(PartName("hull.3db"), "hull.3db");
    EXPECT_EQ(PartName("hull_lod1.3db"), "hull");
    EXPECT_EQ(PartName("_lod1.3db"), "Root");
    EXPECT_EQ(PartName("abcdefghijkl.3db"), "abcdefghijkl.3db");  // ".3db" at 12
    EXPECT_EQ(PartName("abcdefghijklm.3db"), "a");
    EXPECT_EQ(PartName(std::string(80, 'n')), std::string(63, 'n'));
}

// hull (Root) and a wing joined by a record whose child name differs in case.
HandNode TwoParts(std::vector<uint8_t> joints, const std::string& joint = "Fix",
                  std::vector<HandNode> extraEntries = {}) {
    std::vector<HandNode> entries = {Folder("Cons", {Leaf(joint, std::move(joints))}),
                                     Entry("Root", "hull_lod1.3db", "Root"),
                                     Entry("Part_wing_lod1", "wing_lod1.3db", "wing_lod1")};
    for (HandNode& e : extraEntries) {
        entries.push_back(std::move(e));
    }
    return Folder(
        "\\", {Library({Lod("hull.lod0.vms", Block({1, 1}))}), Folder("Cmpnd", std::move(entries)),
               PartNode("hull_lod1.3db", Ref("hull.lod0.vms", 0, 0, 0, 1)),
               PartNode("wing_lod1.3db", Ref("hull.lod0.vms", 0, 3, 1, 1))});
}

TEST(Parts, ACompoundIsPlacedByItsConstraints) {
    Opened o(TwoParts(Joint("Root", "WING_lod1", {1, 2, 3}, kQuarterZ)));
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    auto plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    const PartList& list = plan->parts;
    ASSERT_EQ(list.parts.size(), 2u);
    EXPECT_EQ(list.parts[0].name, "hull");
    EXPECT_EQ(list.parts[1].name, "wing");
    EXPECT_EQ(list.root, 0u);
    EXPECT_EQ(PartTransform(list, 0), Identity4());
    const Mat4 wing = PartTransform(list, 1);
    EXPECT_EQ(TransformPoint(wing, {1, 0, 0}), (Vec3{1, 3, 3}));
    EXPECT_EQ(list.parts[1].parent, -1);
}

TEST(Parts, EachRecordKindHasItsLayoutAndUnknownKindsKeepTheSizeBefore) {
    for (const char* kind : {"Rev", "Pris"}) {
        Opened o(TwoParts(Joint("Root", "wing_lod1", {1, 2, 3}, kQuarterZ, 208), kind));
        ASSERT_TRUE(o.model.LoadLevel(0).Ok());
        auto plan = o.model.Plan({});
        ASSERT_TRUE(plan.Ok());
        EXPECT_EQ(TransformPoint(PartTransform(plan->parts, 1), {1, 0, 0}), (Vec3{1, 3, 3}))
            << kind;
    }
    Opened sphere(TwoParts(Joint("Root", "wing_lod1", {1, 2, 3}, kQuarterZ, 212), "Sphere"));
    ASSERT_TRUE(sphere.model.LoadLevel(0).Ok());
    auto plan = sphere.model.Plan({});
    ASSERT_TRUE(plan.Ok());
    EXPECT_EQ(TransformPoint(PartTransform(plan->parts, 1), {1, 0, 0}), (Vec3{1, 3, 3}));
    // "Loose" holds two 176-byte records, the size of the first record kind.
    auto records = Joint("Root", "nobody", {}, kIdentity);
    auto second = Joint("Root", "wing_lod1", {5, 0, 0}, kIdentity);
    records.insert(records.end(), second.begin(), second.end());
    Opened loose(TwoParts(records, "Loose"));
    ASSERT_TRUE(loose.model.LoadLevel(0).Ok());
    plan = loose.model.Plan({});
    ASSERT_TRUE(plan.Ok());
    EXPECT_EQ(TransformPoint(PartTransform(plan->parts, 1), {0, 0, 0}), (Vec3{5, 0, 0}));
}

TEST(Parts, AChildGoesThroughItsOwnMatrixThenEachAncestors) {
    // tip is placed on wing, which is turned a quarter about z and moved.
    auto records = Joint("Root", "wing_lod1", {10, 0, 0}, kQuarterZ);
    auto tip = Joint("wing_lod1", "tip", {1, 0, 0}, kIdentity);
    records.insert(records.end(), tip.begin(), tip.end());
    auto root = TwoParts(records, "Fix", {Entry("Part_tip", "tip.3db", "tip")});
    root.children.push_back(PartNode("tip.3db", Ref("hull.lod0.vms", 0, 0, 0, 1)));
    Opened o(root);
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    auto plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 3u);
    EXPECT_EQ(plan->parts.parts[2].parent, 1);
    // (0,0,0) -> tip (1,0,0) -> wing's turn (0,1,0) -> wing's origin (10,1,0).
    EXPECT_EQ(TransformPoint(PartTransform(plan->parts, 2), {0, 0, 0}), (Vec3{10, 1, 0}));
}

TEST(Parts, DamageInPartsRefusesTheWholePlan) {
    // Parent links that loop.
    auto loop = Joint("tip", "wing_lod1", {}, kIdentity);
    auto back = Joint("wing_lod1", "tip", {}, kIdentity);
    loop.insert(loop.end(), back.begin(), back.end());
    auto looped = TwoParts(loop, "Fix", {Entry("Part_tip", "tip.3db", "tip")});
    looped.children.push_back(PartNode("tip.3db", Ref("hull.lod0.vms", 0, 0, 0, 1)));
    // References beyond the arrays: meshes, triangles, vertices.
    auto beyond = [](std::vector<uint8_t> ref) {
        return Folder("\\", {Library({Lod("m.lod0.vms", Block({1, 1}))}), PartNode("m.3db", ref)});
    };
    const HandNode cases[] = {looped, beyond(Ref("m.lod0.vms", 0, 0, 1, 2)),
                              beyond(Ref("m.lod0.vms", 0, 3, 0, 2)),
                              beyond(Ref("m.lod0.vms", 4, 0, 0, 1))};
    for (const HandNode& root : cases) {
        Opened o(root);
        ASSERT_TRUE(o.model.LoadLevel(0).Ok());
        auto plan = o.model.Plan({});
        EXPECT_EQ(plan.GetFault(), Fault::Damaged);
        EXPECT_FALSE(plan.Reason().empty());
    }
}

TEST(Parts, EntriesThatFindNoPartOrNoBlockAreLeftOut) {
    auto root = TwoParts(Joint("Root", "wing_lod1", {}, kIdentity), "Fix",
                         {Entry("Part_a", "", "a"), Entry("Part_b", "hull_lod1.3db\nnothing", "b"),
                          Entry("Part_c", "c.3db", "c")});
    // c's reference names a library that was not read.
    root.children.push_back(PartNode("c.3db", Ref("other.lod0.vms", 0, 0, 0, 1)));
    Opened o(root);
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    auto plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok());
    EXPECT_EQ(plan->parts.parts.size(), 2u);
}

TEST(Parts, AtAHigherLevelAPartWithoutThatLevelTakesItsFirstReference) {
    // The part has only Level0, whose reference names the level-0 block: at
    // level 1 it matches nothing read and is left out with its hardpoints.
    Opened o(Folder("\\", {Library({Lod("m.lod0.vms", Block({1})), Lod("m.lod1.vms", Block({1}))}),
                           PartNode("m.3db", Ref("m.lod0.vms", 0, 0, 0, 1))}));
    ASSERT_EQ(o.model.Levels().size(), 2u);
    ASSERT_TRUE(o.model.LoadLevel(1).Ok());
    auto plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok());
    EXPECT_TRUE(plan->parts.parts.empty());
}

TEST(Hardpoints, TheFilterIsACaseSensitiveSubstringAndBrokenOnesAreSkipped) {
    Le shortPosition;
    shortPosition.f32s({1, 2});
    auto groups = Folder(
        "Hardpoints",
        {Folder("Fixed", {HardpointNode("HpMount01", {1, 2, 3}), HardpointNode("DpConnect", {}),
                          Folder("HpShort",
                                 {Leaf("Orientation", Le().f32s({1, 0, 0, 0, 1, 0, 0, 0, 1}).bytes),
                                  Leaf("Position", shortPosition.bytes)}),
                          Folder("HpNoPosition", {Leaf("Orientation", {})})}),
         Folder("Revolute", {HardpointNode("HpTurret", {0, 0, 1}, kQuarterZ)}), Leaf("Loose", {}),
         Folder("Late", {HardpointNode("HpLate", {})})});
    Opened o(Folder("\\", {Library({Lod("m.lod0.vms", Block({1}))}),
                           PartNode("m.3db", Ref("m.lod0.vms", 0, 0, 0, 1), {groups})}));
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    auto names = [&](const std::string& filter) {
        auto plan = o.model.Plan({true, filter});
        EXPECT_TRUE(plan.Ok());
        std::vector<std::string> out;
        for (const HARDPOINT& hp : plan->hardpoints) {
            out.push_back(hp.group + "|" + hp.name);
        }
        return out;
    };
    using N = std::vector<std::string>;
    // The group folders end at the first leaf among them.
    EXPECT_EQ(names("Hp"), N({"Fixed|HpMount01", "Revolute|HpTurret"}));
    EXPECT_EQ(names("hp"), N());
    EXPECT_EQ(names(""), N({"Fixed|HpMount01", "Fixed|DpConnect", "Revolute|HpTurret"}));
    auto none = o.model.Plan({false, ""});
    ASSERT_TRUE(none.Ok());
    EXPECT_TRUE(none->hardpoints.empty());
}

TEST(Parts, ACompoundCannotKeepTheSearchGoingWithoutEnd) {
    // Every entry names a file found nowhere, so each search runs through
    // the whole tree: quadratic work from a file of 300 kB.
    std::vector<HandNode> entries;
    for (int i = 0; i < 4000; ++i) {
        entries.push_back(Folder("E", {Leaf("File name", Str("nowhere"))}));
    }
    Opened o(Folder("\\", {Library({Lod("m.lod0.vms", Block({1}))}),
                           PartNode("m.3db", Ref("m.lod0.vms", 0, 0, 0, 1)),
                           Folder("Cmpnd", std::move(entries))}));
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    EXPECT_EQ(o.model.Plan({}).GetFault(), Fault::Damaged);
}

// The game's own layouts that lost parts or refused whole models.
TEST(Parts, AFileNameFindsItsOwnPartBeforeOneWhoseNameHoldsIt) {
    // A station: "cell.3db" is contained in "Root_cell.3db", which comes first.
    Opened o(Folder("\\", {Library({Lod("s.lod0.vms", Block({1, 2, 3}))}),
                           Folder("Cmpnd", {Entry("Root", "Root_cell.3db", "Root"),
                                            Entry("Part_cell", "cell.3db", "cell")}),
                           PartNode("Root_cell.3db", Ref("s.lod0.vms", 0, 0, 0, 1)),
                           PartNode("cell.3db", Ref("s.lod0.vms", 0, 3, 1, 2))}));
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    auto plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 2u);
    EXPECT_EQ(plan->parts.parts[1].name, "cell.3db");
    EXPECT_EQ(plan->parts.parts[1].startMesh, 1u);
    EXPECT_EQ(plan->parts.parts[1].meshCount, 2u);
}

TEST(Parts, AnEmptyLevelFolderBeforeTheRealOneKeepsThePart) {
    CMPModel model;
    ASSERT_TRUE(model.Open(StrayLevelModel(true)).Ok());
    ASSERT_EQ(model.Index()[11].name, "Level0");
    ASSERT_FALSE(model.Index()[11].leaf);
    ASSERT_TRUE(model.LoadLevel(0).Ok());
    auto plan = model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 1u);
    EXPECT_EQ(plan->parts.parts[0].meshCount, 2u);
    EXPECT_TRUE(plan->parts.notes.empty());

    // When no level folder holds a reference the part stays, without
    // meshes but with its hardpoints, and is named.
    ASSERT_TRUE(model.Open(StrayLevelModel(false)).Ok());
    ASSERT_TRUE(model.LoadLevel(0).Ok());
    plan = model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 1u);
    EXPECT_EQ(plan->parts.parts[0].meshCount, 0u);
    EXPECT_EQ(plan->hardpoints.size(), 1u);
    EXPECT_EQ(plan->parts.notes,
              std::vector<std::string>({"part d.3db has no mesh reference for Level0"}));
}

TEST(Parts, AModelWithoutMeshesIsItsPartsAndHardpoints) {
    // A shield holder: a single model with hardpoints and nothing else.
    Opened single(Folder(
        "\\", {Folder("Hardpoints", {Folder("Fixed", {HardpointNode("HpShield01", {1, 2, 3})})})}));
    ASSERT_TRUE(single.status.Ok());
    EXPECT_TRUE(single.model.Levels().empty());
    ASSERT_TRUE(single.model.LoadLevel(-1).Ok());
    auto plan = single.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 1u);
    EXPECT_EQ(plan->parts.parts[0].name, "Root");
    EXPECT_EQ(plan->parts.parts[0].meshCount, 0u);
    ASSERT_EQ(plan->hardpoints.size(), 1u);
    EXPECT_TRUE(plan->parts.notes.empty());  // nothing is missing

    // A compound of mesh-less parts, placed by its constraints.
    Opened compound(Folder(
        "\\",
        {Folder("Cmpnd", {Entry("Root", "a.3db", "Root"), Entry("Part_b", "b.3db", "b"),
                          Folder("Cons", {Leaf("Fix", Joint("Root", "b", {0, 0, 5}, kIdentity))})}),
         Folder("a.3db", {Leaf("x", {})}),
         Folder("b.3db", {Folder("Hardpoints", {Folder("Fixed", {HardpointNode("HpB", {})})})})}));
    ASSERT_TRUE(compound.model.LoadLevel(-1).Ok());
    plan = compound.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 2u);
    ASSERT_EQ(plan->hardpointsOfPart[1].size(), 1u);
    EXPECT_EQ(TransformPoint(PartTransform(plan->parts, 1), {0, 0, 0}), (Vec3{0, 0, 5}));
}

TEST(MeshData, MeshesInASeparateMeshLibraryFile) {
    const HandNode model = Folder(
        "\\", {Folder("Cmpnd", {Entry("Root", "a.3db", "Root"), Entry("Part_b", "b.3db", "b")}),
               PartNode("a.3db", Ref("iface.lod0.vms", 0, 0, 0, 1)),
               PartNode("b.3db", Ref("iface2.lod0.vms", 0, 0, 0, 1))});
    Opened o(model);
    ASSERT_TRUE(o.model.LoadLevel(-1).Ok());
    auto plan = o.model.Plan({});
    EXPECT_EQ(plan.GetFault(), Fault::Refused);
    EXPECT_EQ(plan.Reason(), "its meshes are in another mesh library file: " +
                                 Hex(NameHash("iface.lod0.vms"), 8, HexCase::Upper) + ", " +
                                 Hex(NameHash("iface2.lod0.vms"), 8, HexCase::Upper));

    // Its blocks read as if they stood in the model's own library.
    const auto library = FileOf(Folder(
        "\\", {Library({Lod("iface.lod0.vms", Block({2})), Lod("iface2.lod0.vms", Block({1}))})}));
    ASSERT_TRUE(o.model.AttachMeshLibrary(library).Ok());
    EXPECT_EQ(o.model.Levels(), std::vector<std::string>({"iface.lod0.vms"}));
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    plan = o.model.Plan({});
    ASSERT_TRUE(plan.Ok()) << plan.Reason();
    ASSERT_EQ(plan->parts.parts.size(), 2u);
    EXPECT_EQ(plan->parts.parts[1].startMesh, 1u);
    EXPECT_EQ(plan->parts.parts[1].startIndex, 6u);

    // A file that is no mesh library is refused and changes nothing.
    EXPECT_EQ(o.model.AttachMeshLibrary(FileOf(Folder("\\", {Leaf("x", {})}))).GetFault(),
              Fault::WrongKind);
    EXPECT_EQ(o.model.AttachMeshLibrary({1, 2, 3}).GetFault(), Fault::WrongKind);
    EXPECT_EQ(o.model.Levels().size(), 1u);
    ASSERT_TRUE(o.model.LoadLevel(0).Ok());
    EXPECT_EQ(o.model.Arrays().meshes.size(), 2u);
}

}  // namespace
}  // namespace kx::test
