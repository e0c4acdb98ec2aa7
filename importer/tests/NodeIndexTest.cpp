// The node index and its search by path: substring matches, the sibling
// rules, leaves that have no children, and links that refuse the file.

#include <gtest/gtest.h>

#include "importer/NodeIndex.h"
#include "importer/tests/ImportFiles.h"

namespace kx::test {
namespace {

int Find(const NodeIndex& index, std::string_view path, int start = 1) {
    return index.FindPath(path, start);
}

TEST(NodeIndex, PathSearchMatchesSubstringsDepthFirst) {
    const auto file = FileOf(Folder(
        "\\", {Folder("a", {Folder("ba.3db", {Leaf("q", {})})}), Folder("a.3db", {Leaf("y", {})}),
               Folder("Cmpnd", {Folder("Cons", {Leaf("Fix", {})})})}));
    auto index = NodeIndex::Build(file);
    ASSERT_TRUE(index.Ok()) << index.Reason();
    // ba.3db comes first in pre-order, inside a folder whose own name fails
    // (a node named a.3db itself would win: see below).
    EXPECT_EQ(index->FindPath("a.3d", 0), 2);
    EXPECT_EQ(Find(index.Value(), "Cmpnd\nCons"), 7);
    EXPECT_EQ(Find(index.Value(), "Cmpnd\nCons\nFix"), 8);
    EXPECT_EQ(Find(index.Value(), "mpnD"), -1);  // case counts in a substring
    EXPECT_EQ(Find(index.Value(), "Cons\nCmpnd"), -1);
    // A search looks at its start and the start's following siblings only.
    EXPECT_EQ(Find(index.Value(), "q", 4), -1);
    EXPECT_EQ(Find(index.Value(), "y", 4), 5);
}

TEST(NodeIndex, ANodeNamedByTheSegmentWinsOverOnesThatContainIt) {
    const auto file = FileOf(Folder(
        "\\", {Folder("Root_a.3db", {Leaf("MIPS", {})}), Folder("dirty_snow", {Leaf("x", {})}),
               Folder("A.3DB", {Leaf("MIP0", {}), Leaf("MIPS", {})}),
               Folder("snow", {Leaf("y", {})}), Folder("b", {Folder("ab", {Leaf("c", {})})})}));
    auto index = NodeIndex::Build(file);
    ASSERT_TRUE(index.Ok());
    const NodeIndex& i = index.Value();
    EXPECT_EQ(Find(i, "a.3db"), 5);  // whole name, case aside
    EXPECT_EQ(Find(i, "snow"), 8);
    // Each step prefers the whole name, and falls back to substrings below
    // it: "a.3db\nMIP" takes A.3DB's MIP0, not Root_a.3db's MIPS.
    EXPECT_EQ(Find(i, "a.3db\nMIP"), 6);
    EXPECT_EQ(Find(i, "a.3db\nMIPS"), 7);
    // A whole-name node below which the rest is not found gives way to the
    // substring search.
    EXPECT_EQ(Find(i, "snow\nx"), 4);
    EXPECT_EQ(Find(i, "b\nc"), 12);
    EXPECT_EQ(Find(i, "3db\nMIPS"), 2);  // no whole name: the first substring match
}

TEST(NodeIndex, WholeNamesBelowWholeNamesCannotKeepTheSearchGoing) {
    // Every "a" below every "a" is a whole-name candidate for each step:
    // tried one after another, far more ways than could ever be walked.
    HandNode chain = Leaf("b", {});
    for (int i = 0; i < 60; ++i) {
        chain = Folder("a", {chain});
    }
    // The index keeps views into the file's bytes: they must outlive it.
    const auto file = FileOf(Folder("\\", {chain}));
    auto index = NodeIndex::Build(file);
    ASSERT_TRUE(index.Ok()) << index.Reason();
    std::string path;
    for (int i = 0; i < 30; ++i) {
        path += "a\n";
    }
    EXPECT_EQ(Find(index.Value(), path + "z"), -1);
    EXPECT_LT(index->Visits(), 100000u);
    EXPECT_EQ(Find(index.Value(), path + "b"), 61);
}

TEST(NodeIndex, ASiblingMatchingTheFirstSegmentEndsTheSearchOnceTheRestIsUsed) {
    // "A\nB": xA matches and its subtree is searched for B in vain; yA then
    // matches A with no segment left and is the result.
    const auto file =
        FileOf(Folder("\\", {Folder("xA", {Leaf("z", {})}), Leaf("yA", {}), Leaf("B", {})}));
    auto index = NodeIndex::Build(file);
    ASSERT_TRUE(index.Ok());
    EXPECT_EQ(Find(index.Value(), "A\nB"), 3);
}

TEST(NodeIndex, AFolderWithoutChildrenEndsItsLevel) {
    auto file = FileOf(Folder("\\", {Leaf("empty", {}), Leaf("target", {})}));
    {
        auto index = NodeIndex::Build(file);
        ASSERT_TRUE(index.Ok());
        EXPECT_EQ(Find(index.Value(), "target"), 2);
    }
    PutU32(file, RecordField(1, 8), 0x10);  // "empty" becomes a folder with no child
    auto index = NodeIndex::Build(file);
    ASSERT_TRUE(index.Ok());
    EXPECT_EQ(Find(index.Value(), "target"), -1);
}

TEST(NodeIndex, ALeafHasNoChildrenWhateverItsDataOffsetSays) {
    // The empty "Hardpoints" leaf's data offset points at the record of
    // "Fixed"; a search must not take it for a first child.
    auto file = FileOf(Folder("\\", {Folder("A", {Leaf("Fixed", {})}), Leaf("Hardpoints", {})}));
    PutU32(file, RecordField(3, 16), 2 * 44);
    auto index = NodeIndex::Build(file);
    ASSERT_TRUE(index.Ok());
    EXPECT_EQ(index->FirstChild(3), -1);
    EXPECT_EQ(Find(index.Value(), "Fixed", 3), -1);
}

TEST(NodeIndex, LinksBelowOneRecordMeanNone) {
    auto file = FileOf(Folder("\\", {Leaf("a", {}), Leaf("b", {})}));
    PutU32(file, RecordField(1, 0), 43);
    auto index = NodeIndex::Build(file);
    ASSERT_TRUE(index.Ok());
    EXPECT_EQ(index->Next(1), -1);
    EXPECT_EQ(Find(index.Value(), "b"), -1);
}

TEST(NodeIndex, RefusesWhatIsNotAContainer) {
    const std::vector<uint8_t> text = {'B', 'M', 0, 0, 1, 1, 0, 0};
    EXPECT_EQ(NodeIndex::Build(text).GetFault(), Fault::WrongKind);
    EXPECT_EQ(NodeIndex::Build({}).GetFault(), Fault::WrongKind);
}

TEST(NodeIndex, RefusesLinksNamesAndDataOutsideTheirBlocks) {
    const auto good = FileOf(Folder("\\", {Folder("f", {Leaf("x", Str("abc"))}), Leaf("y", {})}));
    ASSERT_TRUE(NodeIndex::Build(good).Ok());
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const uint32_t stringBlock = 56 + 4 * 44;
    const Case cases[] = {
        {"sibling beyond the node block", RecordField(1, 0), 5 * 44},
        {"child beyond the node block", RecordField(1, 16), 9 * 44},
        {"sibling chain looping", RecordField(3, 0), 1 * 44},
        {"two links to one node", RecordField(1, 16), 3 * 44},
        {"name beyond the string block", RecordField(2, 4), 999},
        {"data beyond the file", RecordField(2, 20), 5},
        {"string block cut before the last name's zero", 28, 0},
    };
    for (const Case& c : cases) {
        auto file = good;
        uint32_t value = c.value;
        if (c.at == 28) {  // the string block one byte short
            value = static_cast<uint32_t>(file.size()) - stringBlock - 4 - 1;
        }
        PutU32(file, c.at, value);
        auto index = NodeIndex::Build(file);
        EXPECT_EQ(index.GetFault(), Fault::Damaged) << c.what;
        EXPECT_FALSE(index.Reason().empty()) << c.what;
    }
}

TEST(NodeIndex, RefusesAbsurdNesting) {
    HandNode deep = Leaf("bottom", {});
    for (int i = 0; i < 70; ++i) {
        deep = Folder("n", {std::move(deep)});
    }
    const auto file = FileOf(Folder("\\", {std::move(deep)}));
    auto index = NodeIndex::Build(file);
    EXPECT_EQ(index.GetFault(), Fault::Damaged);
}

}  // namespace
}  // namespace kx::test
