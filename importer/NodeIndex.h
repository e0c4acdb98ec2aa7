#pragma once
// The importer's view of a container file: one entry per node record, in
// node-block order, pointing into the file image it was built from, and the
// search by path that every step of loading uses.
//
// The index is built by the container's record walk from the root, so every
// link, name and leaf range is checked once up front, with the container's
// limits: a link beyond the node block, a node reached twice (a loop or two
// links to one node), absurd nesting or leaves sharing far more bytes than
// the file holds refuse the file. The searches can then follow links without
// checks of their own.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace kx {

struct IndexNode {
    std::string_view name;          // into the image
    std::span<const uint8_t> data;  // a leaf's stored bytes, into the image
    uint32_t parent = 0;            // the root's parent is 0
    uint32_t child = 0;             // first child, 0 for none; always 0 for a leaf
    uint32_t next = 0;              // next sibling, 0 for none
    bool leaf = false;
};

class NodeIndex {
  public:
    // The image must outlive the index. Records the walk from the root does
    // not reach stay empty entries without links.
    static Result<NodeIndex> Build(std::span<const uint8_t> image);

    size_t Size() const { return nodes_.size(); }
    bool Has(int node) const { return node >= 0 && static_cast<size_t>(node) < nodes_.size(); }
    const IndexNode& operator[](int node) const { return nodes_[static_cast<size_t>(node)]; }

    // A node, by a path of name segments joined by '\n', each matching a name
    // that contains it (case counts). Looks at `start` and its following
    // siblings and descends into every folder on the way, depth first;
    // after a match the deeper levels use the remaining segments. At each
    // step a node whose name is the segment itself (ASCII case aside) is
    // preferred, when the rest of the path is found below it. -1 when
    // nothing is found.
    int FindPath(std::string_view path, int start) const;

    // The first child, or -1 (a leaf never has one).
    int FirstChild(int node) const;
    // The next sibling, or -1.
    int Next(int node) const;

    // Nodes looked at by all searches so far. A search may run through the
    // whole tree, and a hostile file can ask for one per node; callers that
    // search per entry bound the total by this.
    uint64_t Visits() const { return visits_; }

  private:
    int FindPreferringWholeNames(std::string_view path, int start, uint64_t limit) const;
    int FindBySubstring(std::string_view path, int start) const;
    // Calls `visit` with each node the search of one segment from `start`
    // looks at, in its order, until `visit` returns true.
    template <typename Visit>
    void ScanLevel(int start, Visit visit) const;

    std::vector<IndexNode> nodes_;
    mutable uint64_t visits_ = 0;
};

// A bound on the searching one step of loading may do: far more than any
// real file needs (hundreds of searches through the whole tree), yet linear
// in the tree's size, so a small file cannot keep the importer searching.
class SearchBudget {
  public:
    explicit SearchBudget(const NodeIndex& index)
        : index_(index), start_(index.Visits()), limit_(kPerNode * index.Size() + kFloor) {}
    bool Spent() const { return index_.Visits() - start_ > limit_; }

  private:
    static constexpr uint64_t kPerNode = 256;
    static constexpr uint64_t kFloor = uint64_t{1} << 24;
    const NodeIndex& index_;
    uint64_t start_;
    uint64_t limit_;
};

// The text of a leaf up to its first zero byte or its end.
std::string_view LeafText(const IndexNode& node);

}  // namespace kx
