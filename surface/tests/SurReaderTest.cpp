#include <gtest/gtest.h>

#include <cstring>

#include "ReaderWalk.h"
#include "SurfaceTestModels.h"
#include "container/NameHash.h"
#include "surface/HullClosure.h"
#include "surface/SurReader.h"
#include "surface/SurfaceExport.h"
#include "testsupport/LittleEndian.h"

namespace kx::test {
namespace {

// The single-group shrink-wrapped tetrahedron: its layout is known byte for
// byte (hulls at 104 and 184, vertices at 264, nodes at 328 and 356).
std::vector<uint8_t> TetraFile() {
    TestModel model;
    model.Mesh("hull", {{2, 2, 1}, {-2, -2, 1}, {2, -2, -1}, {-2, 2, -1}},
               {{1, 2, 0}, {2, 1, 3}, {1, 0, 3}, {0, 2, 3}});
    SurfaceOptions options = PlainOptions();
    options.collisionKind = CollisionKind::ShrinkWrapped;
    SurfaceMessages warnings;
    Result<std::vector<uint8_t>> bytes =
        ExportSurface(model.get(), options, TestDevice(), warnings);
    EXPECT_TRUE(bytes.Ok()) << bytes.Reason();
    return bytes ? std::move(*bytes) : std::vector<uint8_t>{};
}

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

TEST(ReadSurFile, ReadsWhatTheExporterWrites) {
    const auto bytes = TetraFile();
    ASSERT_EQ(bytes.size(), 384u);
    const auto file = ReadSurFile(bytes);
    ASSERT_TRUE(file.Ok()) << file.Reason();
    ASSERT_EQ(file->parts.size(), 1u);
    const SurPart& p = file->parts[0];
    EXPECT_EQ(p.id, NameHash("Root"));
    EXPECT_TRUE(p.fixed);
    EXPECT_EQ(p.chunkCount, 3u);
    EXPECT_EQ(p.boxMin, (Vec3{-2, -2, -1}));
    EXPECT_EQ(p.radius, 3.0f);
    ASSERT_EQ(p.hulls.size(), 2u);
    EXPECT_EQ(p.hulls[1].type, 5);
    EXPECT_EQ(p.hulls[1].triangles.size(), 4u);
    EXPECT_EQ(p.vertices.size(), 4u);
    EXPECT_EQ(p.nodes.size(), 2u);
    EXPECT_FALSE(p.hasHardpointList);
}

TEST(ReadSurFile, NamesTheFirstFaultOfADamagedFile) {
    const auto good = TetraFile();
    struct Damage {
        const char* what;
        size_t at;
        int size;  // 2 or 4 bytes
        uint32_t value;
        const char* reason;
    };
    const Damage cases[] = {
        {"tag", 0, 4, 0x73726576 ^ 1, "no \"vers\" tag"},
        {"chunk count", 12, 4, 4, "file ends inside a chunk tag"},
        {"24-bit size", 56 + 29, 2, 0x0149, "header holds surface size"},
        {"node list offset", 56 + 32, 4, 273, "node list offset 273"},
        {"hull's vertex list", 184, 4, 64, "does not reach the vertex list"},
        {"vertex index", 124, 2, 9, "vertex 9 of 4"},
        {"link to the wrong edge", 126, 2, 8, "does not hold that edge there"},
        {"link not returned", 142, 2, 0, "triangle 1 does not link back"},
        {"wrap hull owner", 188, 4, 140, "root node offset 140"},
        {"node hull offset", 360, 4, static_cast<uint32_t>(-248), "does not point at a hull"},
        {"node skip", 328, 4, 3 * 28, "skip 84"},
    };
    for (const Damage& d : cases) {
        std::vector<uint8_t> bad = good;
        if (d.size == 2) {
            Put16(bad, d.at, static_cast<uint16_t>(d.value));
        } else {
            PutU32(bad, d.at, d.value);
        }
        const auto read = ReadSurFile(bad);
        ASSERT_FALSE(read.Ok()) << d.what;
        EXPECT_NE(read.Reason().find(d.reason), std::string::npos)
            << d.what << ": " << read.Reason();
        EXPECT_EQ(read.Reason().find('\n'), std::string::npos);
    }
}

// No exporter writes an infinite or undefined number, and the game cannot
// place or collide with one: each is damage, named with where it lies.
TEST(ReadSurFile, NumbersThatAreNotFiniteAreDamage) {
    const auto good = TetraFile();
    const struct {
        size_t at;
        uint32_t bits;
        const char* reason;
    } cases[] = {
        {28, 0xFF800000u, "the part's box is not a finite number"},
        {60, 0x7FC00000u, "the part's centre is not a finite number"},
        {76, 0x7F800000u, "the part's inertia is not a finite number"},
        {80, 0x7F800000u, "the part's radius is not a finite number"},
        {264 + 16 + 8, 0x7FC00000u, "vertex 1 is not a finite number"},
        {356 + 20, 0x7F800000u, "node 1 is not a finite number"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = good;
        PutU32(bad, c.at, c.bits);
        const auto read = ReadSurFile(bad);
        ASSERT_FALSE(read.Ok()) << c.reason;
        EXPECT_EQ(read.GetFault(), Fault::Damaged);
        EXPECT_NE(read.Reason().find(c.reason), std::string::npos) << read.Reason();
        EXPECT_EQ(read.Reason().rfind("part 0 at byte 8", 0), 0u) << read.Reason();
    }
}

TEST(ReadSurFile, EveryCutShortFileIsRefusedUnlessItEndsBetweenParts) {
    TestModel model;
    model.Octahedron("hull", {0, 0, 0}, 2);
    model.Octahedron("wing", {5, 0, 0}, 1);
    model.Marker("HpWeapon01", {5, 1, 0});
    SurfaceOptions options = PlainOptions();
    options.groupCount = 2;
    options.quantities = {1, 2};
    SurfaceMessages warnings;
    const auto exported = ExportSurface(model.get(), options, TestDevice(), warnings);
    ASSERT_TRUE(exported.Ok()) << exported.Reason();
    const std::vector<uint8_t>& bytes = *exported;
    const auto whole = ReadSurFile(bytes);
    ASSERT_TRUE(whole.Ok()) << whole.Reason();
    const size_t between = whole->parts[1].fileOffset;
    for (size_t size = 0; size < bytes.size(); ++size) {
        const auto read = ReadSurFile(std::span(bytes).first(size));
        EXPECT_EQ(read.Ok(), size == 8 || size == between) << size;
    }
}

TEST(CheckSurPartForReaders, NamesACountFieldOrTreeWalkTheGamesReadersRefuse) {
    const auto good = TetraFile();
    auto check = [](const std::vector<uint8_t>& bytes) {
        const auto file = ReadSurFile(bytes);
        EXPECT_TRUE(file.Ok()) << file.Reason();
        return file.Ok() ? CheckSurPartForReaders(file->parts[0]) : Status::Success();
    };
    EXPECT_TRUE(check(good).Ok());
    struct Damage {
        size_t at;
        uint32_t value;
        const char* reason;
    };
    const Damage cases[] = {
        {113, 8, "hull 0 at byte 48: count field 8, its triangles give 9"},
        // The root's right subtree is its left one again.
        {328, 28, "node 1 is reached 2 times by a walk of the node tree"},
        // The leaf leads on: a reader following it leaves the list.
        {356, 28, "node 1: a hull's leaf node with skip 28"},
    };
    for (const Damage& d : cases) {
        std::vector<uint8_t> bad = good;
        if (d.at == 113) {
            Put16(bad, d.at, static_cast<uint16_t>(d.value));
        } else {
            PutU32(bad, d.at, d.value);
        }
        const Status checked = check(bad);
        EXPECT_EQ(checked.Reason(), d.reason);
    }
    // A node on the leaf hull in place of the wrap: the wrap is never reached.
    std::vector<uint8_t> unreached = good;
    PutU32(unreached, 332, static_cast<uint32_t>(104 - 328));
    EXPECT_EQ(check(unreached).Reason(), "node 1 is reached 0 times by a walk of the node tree");
}

TEST(IsClosedHull, WantsOnePieceWithEveryEdgeRunOnceEachWay) {
    using T = std::vector<std::array<uint32_t, 3>>;
    const T tetra = {{1, 2, 0}, {2, 1, 3}, {1, 0, 3}, {0, 2, 3}};
    EXPECT_TRUE(IsClosedHull(tetra));
    T flipped = tetra;
    std::swap(flipped[0][0], flipped[0][1]);
    EXPECT_FALSE(IsClosedHull(flipped));                  // wound against the rest
    EXPECT_FALSE(IsClosedHull(T{{0, 1, 2}, {2, 1, 3}}));  // a flat wing: open
    EXPECT_TRUE(IsClosedHull(T{{0, 1, 2}, {0, 2, 1}}));   // both sides of a flat set
    T two = tetra;
    for (auto t : tetra) {
        two.push_back({t[0] + 4, t[1] + 4, t[2] + 4});
    }
    EXPECT_FALSE(IsClosedHull(two));  // two pieces: the count would be 5 + 1.5 x triangles
    EXPECT_FALSE(IsClosedHull(T{}));
}

// Every combination of group count, hardpoints and collision kind makes a
// file whose every offset and link holds, and which a reader walking its
// node trees reads whole, every hull reached once.
TEST(ReadSurFile, PassesEveryFileOfGeneratedModels) {
    for (int groups = 1; groups <= 18; ++groups) {
        for (bool hardpoints : {false, true}) {
            for (CollisionKind kind : {CollisionKind::ShieldBubble, CollisionKind::ShrinkWrapped}) {
                TestModel model;
                const int meshes = groups == 1 ? 3 : groups;
                for (int m = 0; m < meshes; ++m) {
                    const Vec3 at{static_cast<float>(m) * 4.0f, static_cast<float>(m % 3), 0};
                    if (m % 2 == 0) {
                        model.Sphere("part" + std::to_string(m), at, 1.5f);
                    } else {
                        model.Octahedron("part" + std::to_string(m), at, 1.0f);
                    }
                }
                if (hardpoints) {
                    model.Marker("Hp0_HpShield01", {0, 3, 0});
                    const char* kinds[] = {"HpWeapon", "HpTorpedo", "HpTurret_0", "HpCM", "HpMine"};
                    for (int m = 0; m < meshes; m += 2) {
                        model.Marker(kinds[m % 5] + std::to_string(m % 5),
                                     {m * 4.0f, m % 3 + 0.5f, 0});
                    }
                    // Two more on the last part: a group of three hull nodes.
                    for (int k = 0; k < 2; ++k) {
                        model.Marker("HpThruster0" + std::to_string(k),
                                     {(meshes - 1) * 4.0f, (meshes - 1) % 3 - 0.5f, 0.2f * k});
                    }
                }
                SurfaceOptions options;
                options.collisionKind = kind;
                options.groupCount = groups;
                for (int g = 0; g < groups; ++g) {
                    options.quantities[g] = 1;
                }
                options.floatScale = 2.0f;
                SurfaceMessages warnings;
                const Result<std::vector<uint8_t>> result =
                    ExportSurface(model.get(), options, TestDevice(), warnings);
                const std::string run =
                    std::to_string(groups) + " groups" + (hardpoints ? ", hardpoints" : "") +
                    (kind == CollisionKind::ShieldBubble ? ", shield" : ", wrap");
                ASSERT_TRUE(result.Ok()) << run;
                const auto file = ReadSurFile(*result);
                ASSERT_TRUE(file.Ok()) << run << ": " << file.Reason();
                ASSERT_EQ(file->parts.size(), static_cast<size_t>(groups)) << run;
                EXPECT_EQ(ReaderFaults(*result, false), std::vector<std::string>{}) << run;
                for (const SurPart& part : file->parts) {
                    const Status checked = CheckSurPartForReaders(part);
                    EXPECT_TRUE(checked.Ok()) << run << ": " << checked.Reason();
                }
                const SurPart& root = file->parts[0];
                EXPECT_EQ(root.chunkCount, hardpoints ? 4u : 3u) << run;
                for (const SurPart& part : std::span(file->parts).subspan(1)) {
                    EXPECT_EQ(part.chunkCount, part.hasHardpointList ? 3u : 2u) << run;
                    EXPECT_EQ(part.hulls.size(),
                              part.hasHardpointList ? part.hardpointIds.size() + 2 : 1u)
                        << run;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kx::test
