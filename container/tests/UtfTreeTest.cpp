#include "container/UtfTree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "container/ByteWriter.h"
#include "host/FileIo.h"
#include "testsupport/LittleEndian.h"
#include "testsupport/TreeFiles.h"

namespace kx {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> b) {
    return std::vector<uint8_t>(b);
}

using test::U32At;

// Field offsets of a node record: record i starts at 56 + 44 i.
uint32_t RecordField(const std::vector<uint8_t>& f, size_t index, size_t field) {
    return U32At(f, 56 + 44 * index + field);
}

TEST(UtfTreeSave, RootOnlyFileIs103Bytes) {
    UtfTree tree;
    tree.AddChild(nullptr, "\\");
    ByteWriter expected;
    for (uint32_t v :
         {0x20465455u, 0x101u, 56u, 44u, 0u, 44u, 100u, 3u, 3u, 103u, 0u, 0u, 0u, 0u}) {
        expected.U32(v);
    }
    // The record: no sibling, name at 1, leaf, data offset 0, lengths 0.
    for (uint32_t v : {0u, 1u, 0x80u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u}) {
        expected.U32(v);
    }
    expected.Bytes("\0\\\0", 3);
    EXPECT_EQ(tree.Serialize(), expected.Data());
    EXPECT_EQ(tree.Serialize().size(), 103u);
}

TEST(UtfTreeSave, EqualNamesShareOneStringEntryCaseSensitively) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    UtfNode* a = tree.AddChild(root, "A");
    UtfNode* b = tree.AddChild(root, "B");
    tree.AddChild(a, "Fixed");
    tree.AddChild(b, "Fixed");
    tree.AddChild(b, "fixed");
    auto f = tree.Serialize();
    // Strings: "\0" "\\\0" "A\0" "B\0" "Fixed\0" "fixed\0" = 1+2+2+2+6+6.
    const uint32_t stringSize = 19;
    EXPECT_EQ(U32At(f, 28), stringSize);
    EXPECT_EQ(U32At(f, 32), stringSize);
    // Pre-order: \ A Fixed B Fixed fixed.
    EXPECT_EQ(RecordField(f, 2, 4), 7u);
    EXPECT_EQ(RecordField(f, 4, 4), 7u);
    EXPECT_EQ(RecordField(f, 5, 4), 13u);
    // Folder and sibling links.
    EXPECT_EQ(RecordField(f, 0, 8), 0x10u);
    EXPECT_EQ(RecordField(f, 0, 16), 44u);
    EXPECT_EQ(RecordField(f, 1, 0), 3u * 44);
    EXPECT_EQ(RecordField(f, 3, 16), 4u * 44);
    EXPECT_EQ(RecordField(f, 4, 0), 5u * 44);
    EXPECT_EQ(RecordField(f, 5, 0), 0u);
}

TEST(UtfTreeSave, ZeroLengthLeafTakesTheNextLeafsOffset) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    tree.SetData(tree.AddChild(root, "a"), Bytes({1, 2, 3}));
    tree.AddChild(root, "empty");
    tree.SetData(tree.AddChild(root, "b"), Bytes({4, 5}));
    auto f = tree.Serialize();
    EXPECT_EQ(RecordField(f, 1, 16), 0u);
    EXPECT_EQ(RecordField(f, 1, 20), 3u);
    EXPECT_EQ(RecordField(f, 2, 8), 0x80u);
    EXPECT_EQ(RecordField(f, 2, 16), 3u);
    EXPECT_EQ(RecordField(f, 2, 20), 0u);
    EXPECT_EQ(RecordField(f, 3, 16), 3u);
    const uint32_t dataOffset = U32At(f, 36);
    ASSERT_EQ(f.size(), dataOffset + 5u);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + dataOffset, f.end()), Bytes({1, 2, 3, 4, 5}));
}

TEST(UtfTreeSave, StringOrderFollowsCreationNotPreOrder) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    UtfNode* first = tree.AddChild(root, "first");
    tree.AddChild(root, "second");
    tree.AddChild(first, "late");
    auto f = tree.Serialize();
    const uint32_t strings = U32At(f, 24);
    // "late" was created last, so its name comes after "second" although its
    // record comes before.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[strings + 16])), "late");
    EXPECT_EQ(RecordField(f, 2, 4), 16u);
}

TEST(UtfTree, FindChildIsExactAndOrdered) {
    UtfTree tree;
    UtfNode* other = tree.AddChild(nullptr, "other");
    tree.AddChild(other, "\\");
    UtfNode* root = tree.AddChild(nullptr, "\\");
    UtfNode* x1 = tree.AddChild(root, "x");
    tree.AddChild(root, "x");
    EXPECT_EQ(tree.FindChild(root, "x"), x1);
    EXPECT_EQ(tree.FindChild(root, "X"), nullptr);
    // With no parent the first node of that name at any level is found.
    EXPECT_EQ(tree.FindChild(nullptr, "\\"), other->Children().front());
    EXPECT_EQ(tree.FindOrAddChild(root, "x"), x1);
    EXPECT_EQ(tree.FindOrAddChild(root, "y")->Parent(), root);
    EXPECT_EQ(root->Children().size(), 3u);
}

TEST(UtfTree, DeleteSubtreeAndReAddGoesLast) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    UtfNode* a = tree.AddChild(root, "a");
    tree.SetData(tree.AddChild(a, "leaf"), Bytes({9}));
    tree.AddChild(root, "b");
    EXPECT_TRUE(tree.DeleteChildNamed(root, "a"));
    EXPECT_FALSE(tree.DeleteChildNamed(root, "a"));
    EXPECT_EQ(tree.NodeCount(), 2u);
    tree.AddChild(root, "a");
    ASSERT_EQ(root->Children().size(), 2u);
    EXPECT_EQ(root->Children()[0]->Name(), "b");
    EXPECT_EQ(root->Children()[1]->Name(), "a");
    tree.Clear();
    EXPECT_TRUE(tree.Empty());
    EXPECT_TRUE(tree.TopLevel().empty());
}

TEST(UtfTree, SaveAndLoadGiveTheSameTree) {
    UtfTree tree;
    UtfNode* root = tree.AddChild(nullptr, "\\");
    UtfNode* lib = tree.AddChild(root, "VMeshLibrary");
    UtfNode* vms = tree.AddChild(lib, "hull.lod0.vms");
    tree.SetData(tree.AddChild(vms, "VMeshData"), Bytes({1, 0, 0, 0, 4, 0, 0, 0}));
    tree.AddChild(root, "Hardpoints");
    UtfNode* cmp = tree.AddChild(root, "Cmpnd");
    tree.SetData(tree.AddChild(cmp, "Index"), Bytes({0, 0, 0, 0, 0, 0, 0, 0}));

    auto path = UniqueTempPath("roundtrip.cmp");
    ASSERT_TRUE(test::SaveTree(tree, path));
    UtfTree back;
    ASSERT_TRUE(test::LoadTree(back, path).Ok());
    std::filesystem::remove(path);
    EXPECT_EQ(back.Serialize(), tree.Serialize());
    const UtfNode* data = FindNodeByPath(back, "VMeshLibrary/hull.lod0.vms/VMeshData");
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->ReadAsLeaf());
    EXPECT_EQ(*back.GetData(data), Bytes({1, 0, 0, 0, 4, 0, 0, 0}));
    // The empty folder-like node comes back as a leaf without data.
    const UtfNode* hp = FindNodeByPath(back, "Hardpoints");
    ASSERT_NE(hp, nullptr);
    EXPECT_TRUE(hp->ReadAsLeaf());
    EXPECT_EQ(back.GetData(hp), nullptr);
}

TEST(UtfTree, SaveToAnUnwritablePlaceFails) {
    UtfTree tree;
    tree.AddChild(nullptr, "\\");
    EXPECT_FALSE(test::SaveTree(tree, "/nonexistent-dir/x.cmp"));
    EXPECT_FALSE(test::SaveTree(tree, std::filesystem::temp_directory_path().string()));
}

}  // namespace
}  // namespace kx
