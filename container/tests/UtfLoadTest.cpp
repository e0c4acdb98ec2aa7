// Reading container files, sound and damaged ones. Damaged files are built
// by hand so each names exactly one fault.

#include <gtest/gtest.h>

#include "container/ByteWriter.h"
#include "container/UtfRecords.h"
#include "container/UtfTree.h"
#include "testsupport/TreeFiles.h"

namespace kx {
namespace {

struct RawRecord {
    uint32_t sibling, name, flags, childOrData, stored, length, unpacked;
};

// A container image from records, a string block and a data block, with a
// header that describes them truthfully unless a test edits it afterwards.
std::vector<uint8_t> Raw(const std::vector<RawRecord>& records, std::string_view strings,
                         std::string_view data) {
    const auto nodeSize = static_cast<uint32_t>(records.size() * 44);
    const auto stringSize = static_cast<uint32_t>(strings.size());
    ByteWriter w;
    for (uint32_t v : {kUtfMagic, kUtfVersion, 56u, nodeSize, 0u, 44u, 56 + nodeSize, stringSize,
                       stringSize, 56 + nodeSize + stringSize, 0u, 0u, 0u, 0u}) {
        w.U32(v);
    }
    for (const RawRecord& r : records) {
        for (uint32_t v : {r.sibling, r.name, r.flags, 0u, r.childOrData, r.stored, r.length,
                           r.unpacked, 0u, 0u, 0u}) {
            w.U32(v);
        }
    }
    w.Bytes(strings.data(), strings.size());
    w.Bytes(data.data(), data.size());
    return w.Take();
}

constexpr std::string_view kNames("\0\\\0a\0b\0", 7);  // "\" at 1, "a" at 3, "b" at 5

// Root with leaves a (3 bytes) and b (2 bytes).
std::vector<uint8_t> TwoLeaves() {
    return Raw({{0, 1, 0x10, 44, 0, 0, 0}, {88, 3, 0x80, 0, 3, 3, 3}, {0, 5, 0x80, 3, 2, 2, 2}},
               kNames, "xyzuv");
}

void SetU32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        f[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

Result<UtfLoadNotes> LoadBytes(const std::vector<uint8_t>& f, UtfTree& tree) {
    return tree.LoadFromBytes(f);
}

TEST(UtfLoad, ReadsNodesDataAndLeafFlags) {
    UtfTree tree;
    ASSERT_TRUE(LoadBytes(TwoLeaves(), tree).Ok());
    ASSERT_EQ(tree.NodeCount(), 3u);
    const UtfNode* root = tree.TopLevel().front();
    EXPECT_FALSE(root->ReadAsLeaf());
    ASSERT_EQ(root->Children().size(), 2u);
    EXPECT_EQ(*tree.GetData(root->Children()[1]), std::vector<uint8_t>({'u', 'v'}));
}

TEST(UtfLoad, RootSiblingIsNotReadAndOffsetsRoundDown) {
    // The root names record 1 as its sibling and its child offset is 45,
    // which rounds down to record 1.
    auto f = Raw({{44, 1, 0x10, 45, 0, 0, 0}, {0, 3, 0x80, 0, 1, 1, 1}}, kNames, "q");
    UtfTree tree;
    ASSERT_TRUE(LoadBytes(f, tree).Ok());
    EXPECT_EQ(tree.TopLevel().size(), 1u);
    EXPECT_EQ(tree.NodeCount(), 2u);
}

TEST(UtfLoad, PossiblyCompressedLeafKeepsItsStoredBytes) {
    auto f = Raw({{0, 1, 0x10, 44, 0, 0, 0}, {0, 3, 0x80, 0, 2, 2, 9}}, kNames, "zz");
    UtfTree tree;
    auto result = LoadBytes(f, tree);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result->possiblyCompressed, std::vector<std::string>{"a"});
    EXPECT_EQ(tree.GetData(tree.FindChild(nullptr, "a"))->size(), 2u);
}

TEST(UtfLoad, NotAContainer) {
    UtfTree tree;
    auto f = TwoLeaves();
    f[0] = 'X';
    EXPECT_EQ(LoadBytes(f, tree).GetFault(), Fault::WrongKind);
    f = TwoLeaves();
    SetU32(f, 4, 0x102);
    EXPECT_EQ(LoadBytes(f, tree).GetFault(), Fault::WrongKind);
    EXPECT_EQ(LoadBytes({'U', 'T'}, tree).GetFault(), Fault::WrongKind);
    EXPECT_EQ(test::LoadTree(tree, "/nonexistent/file.cmp").GetFault(), Fault::Unreadable);
}

struct DamageCase {
    const char* what;
    void (*damage)(std::vector<uint8_t>&);
};

TEST(UtfLoad, DamagedFilesAreRefusedAndLeaveTheTreeEmpty) {
    const DamageCase cases[] = {
        {"truncated header", [](std::vector<uint8_t>& f) { f.resize(40); }},
        {"truncated node block", [](std::vector<uint8_t>& f) { f.resize(56 + 60); }},
        {"node block size beyond the file",
         [](std::vector<uint8_t>& f) { SetU32(f, 12, 0xFFFFFFF0u); }},
        {"node block offset beyond the file",
         [](std::vector<uint8_t>& f) { SetU32(f, 8, 0x7FFFFFFFu); }},
        {"no root record", [](std::vector<uint8_t>& f) { SetU32(f, 12, 20); }},
        {"string block beyond the file",
         [](std::vector<uint8_t>& f) { SetU32(f, 28, 0xFFFFFF00u); }},
        {"data block beyond the file", [](std::vector<uint8_t>& f) { SetU32(f, 36, 5000); }},
        {"sibling loops back", [](std::vector<uint8_t>& f) { SetU32(f, 56 + 88, 44); }},
        {"sibling points at itself", [](std::vector<uint8_t>& f) { SetU32(f, 56 + 88, 88); }},
        {"child loops to its folder",
         [](std::vector<uint8_t>& f) {
             SetU32(f, 56 + 44 + 8, 0x10);
             SetU32(f, 56 + 44 + 16, 44);
         }},
        {"child outside the node block",
         [](std::vector<uint8_t>& f) { SetU32(f, 56 + 16, 44 * 7); }},
        {"name past the string block", [](std::vector<uint8_t>& f) { SetU32(f, 56 + 44 + 4, 7); }},
        {"name without its zero byte",
         [](std::vector<uint8_t>& f) {
             SetU32(f, 28, 6);  // the block now ends inside "b"
             SetU32(f, 56 + 88 + 4, 5);
         }},
        {"data past the end", [](std::vector<uint8_t>& f) { SetU32(f, 56 + 88 + 20, 3); }},
        {"data offset huge", [](std::vector<uint8_t>& f) { SetU32(f, 56 + 88 + 16, 0xFFFFFFFFu); }},
    };
    for (const DamageCase& c : cases) {
        auto f = TwoLeaves();
        c.damage(f);
        UtfTree tree;
        auto result = LoadBytes(f, tree);
        EXPECT_EQ(result.GetFault(), Fault::Damaged) << c.what;
        EXPECT_FALSE(result.Reason().empty()) << c.what;
        EXPECT_TRUE(tree.Empty()) << c.what;
    }
}

TEST(UtfLoad, EveryPrefixOfAFileIsRefused) {
    const auto whole = TwoLeaves();
    for (size_t n = 0; n < whole.size(); ++n) {
        std::vector<uint8_t> prefix(whole.begin(), whole.begin() + static_cast<long>(n));
        UtfTree tree;
        EXPECT_FALSE(LoadBytes(prefix, tree).Ok()) << n;
        EXPECT_TRUE(tree.Empty()) << n;
    }
}

// A chain of folders `depth` levels below the root, ending in a leaf.
std::vector<uint8_t> Nested(uint32_t depth) {
    std::vector<RawRecord> records;
    for (uint32_t i = 0; i <= depth; ++i) {
        const bool last = i == depth;
        records.push_back({0, 3, last ? 0x80u : 0x10u, last ? 0 : (i + 1) * 44, 0, 0, 0});
    }
    return Raw(records, kNames, "");
}

TEST(UtfLoad, NestingBeyondTheLimitIsRefusedAsTooDeep) {
    UtfTree tree;
    ASSERT_TRUE(LoadBytes(Nested(kUtfMaxDepth), tree).Ok());
    EXPECT_EQ(tree.NodeCount(), kUtfMaxDepth + 1);
    // Far deeper than that once made the tree command print gigabytes.
    for (uint32_t depth : {uint32_t{kUtfMaxDepth + 1}, 100000u}) {
        auto result = LoadBytes(Nested(depth), tree);
        EXPECT_EQ(result.GetFault(), Fault::Damaged) << depth;
        EXPECT_EQ(result.Reason(), "nodes nest deeper than 64 levels (node 'a' at offset 2860)");
        EXPECT_TRUE(tree.Empty());
    }
}

// The root and `leaves` leaves that all take the same `shared` data bytes.
std::vector<uint8_t> SharedData(uint32_t leaves, size_t shared, uint32_t stored) {
    std::vector<RawRecord> records{{0, 1, 0x10, 44, 0, 0, 0}};
    for (uint32_t i = 1; i <= leaves; ++i) {
        records.push_back({i == leaves ? 0 : (i + 1) * 44, 3, 0x80, 0, stored, stored, stored});
    }
    return Raw(records, kNames, std::string(shared, 'd'));
}

TEST(UtfLoad, LeavesSharingDataLoadUntilTheirCopiesDwarfTheFile) {
    UtfTree tree;
    // Sharing is not damage in itself; nor are many empty leaves at one offset.
    ASSERT_TRUE(LoadBytes(SharedData(2, 1000, 1000), tree).Ok());
    EXPECT_EQ(*tree.GetData(tree.TopLevel()[0]->Children()[1]), std::vector<uint8_t>(1000, 'd'));
    ASSERT_TRUE(LoadBytes(SharedData(5000, 0, 0), tree).Ok());

    // 40 copies of 2000 bytes from a file of 3867: a small file asking for
    // far more memory than it holds.
    const auto hostile = SharedData(40, 2000, 2000);
    ASSERT_EQ(hostile.size(), 3867u);
    auto result = LoadBytes(hostile, tree);
    EXPECT_EQ(result.GetFault(), Fault::Damaged);
    EXPECT_EQ(result.Reason(),
              "leaves share data until it adds up to more than 16 times the file's 3867 bytes");
    EXPECT_TRUE(tree.Empty());
}

TEST(UtfRecords, RecordsNamesAndDataAreReadInPlace) {
    const auto f = TwoLeaves();
    auto records = UtfRecords::Open(f);
    ASSERT_TRUE(records.Ok()) << records.Reason();
    EXPECT_EQ(records->Count(), 3u);

    auto a = records->Record(1);
    ASSERT_TRUE(a.Ok());
    EXPECT_EQ(a->offset, 44u);
    EXPECT_TRUE(a->IsLeaf());
    EXPECT_EQ(a->Next(), std::optional<size_t>(2));
    EXPECT_EQ(records->Name(*a).Value(), "a");
    auto data = records->Data(*a);
    ASSERT_TRUE(data.Ok());
    EXPECT_EQ(std::string(data->begin(), data->end()), "xyz");
    EXPECT_EQ(data->data(), f.data() + f.size() - 5);  // not a copy

    // Offsets inside a record round down to it.
    EXPECT_EQ(records->RecordAt(88 + 43)->Index(), 2u);
    auto outside = records->Record(3);
    EXPECT_EQ(outside.GetFault(), Fault::Damaged);
    EXPECT_EQ(outside.Reason(), "node offset 132 is outside the node block");
    EXPECT_FALSE(records->RecordAt(0xFFFFFFFFu).Ok());
}

TEST(UtfRecords, LinksBelowOneRecordMeanNoneAndEmptyLeavesAreNotPlaced) {
    EXPECT_EQ(UtfRecord::Link(0), std::nullopt);
    EXPECT_EQ(UtfRecord::Link(43), std::nullopt);
    EXPECT_EQ(UtfRecord::Link(44), std::optional<size_t>(1));
    EXPECT_EQ(UtfRecord::Link(89), std::optional<size_t>(2));

    // An empty leaf's data offset may point anywhere, even past the file.
    auto f = Raw({{0, 1, 0x10, 44, 0, 0, 0}, {0, 3, 0x80, 0xFFFFFFF0u, 0, 0, 0}}, kNames, "");
    auto records = UtfRecords::Open(f);
    ASSERT_TRUE(records.Ok());
    auto data = records->Data(records->Record(1).Value());
    ASSERT_TRUE(data.Ok());
    EXPECT_TRUE(data->empty());
}

TEST(UtfRecords, WalkFollowsLinksNotBlockOrder) {
    // Block order root, y, f, x; the links make root { f { x }, y }.
    constexpr std::string_view names("\0\\\0f\0x\0y\0", 9);  // \ 1, f 3, x 5, y 7
    auto f = Raw({{0, 1, 0x10, 88, 0, 0, 0},
                  {0, 7, 0x80, 0, 1, 1, 1},
                  {44, 3, 0x10, 132, 0, 0, 0},
                  {0, 5, 0x80, 1, 1, 1, 1}},
                 names, "YX");
    auto records = UtfRecords::Open(f);
    ASSERT_TRUE(records.Ok());
    std::vector<std::string> seen;
    Status walked = records->Walk([&](const UtfVisit& v) {
        seen.push_back(std::string(v.name) + " " + std::to_string(v.record.Index()) + "<" +
                       std::to_string(v.parent) + " d" + std::to_string(v.depth) + " " +
                       std::string(v.data.begin(), v.data.end()));
    });
    ASSERT_TRUE(walked.Ok()) << walked.Reason();
    EXPECT_EQ(seen,
              (std::vector<std::string>{"\\ 0<0 d0 ", "f 2<0 d1 ", "x 3<2 d2 X", "y 1<0 d1 Y"}));
}

}  // namespace
}  // namespace kx
