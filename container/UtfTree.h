#pragma once
// The in-memory tree of named nodes that every container file (.cmp, .3db,
// .mat, .txm, .vms) holds, with its exact byte layout on save and a reader
// that refuses damaged files instead of reading outside them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "container/UtfRecords.h"

namespace kx {

class UtfNode {
  public:
    const std::string& Name() const { return name_; }
    UtfNode* Parent() const { return parent_; }
    const std::vector<UtfNode*>& Children() const { return children_; }
    // Whether the node's record was flagged as a leaf in the file it was
    // read from (false for nodes built in memory).
    bool ReadAsLeaf() const { return readAsLeaf_; }

  private:
    friend class UtfTree;
    std::string name_;
    UtfNode* parent_ = nullptr;
    std::vector<UtfNode*> children_;
    std::optional<std::vector<uint8_t>> data_;
    bool readAsLeaf_ = false;
};

// What a successful load has to tell besides the tree.
struct UtfLoadNotes {
    // Leaves whose packed and unpacked lengths differ, in file order; their
    // stored bytes are taken as they are.
    std::vector<std::string> possiblyCompressed;
};

class UtfTree {
  public:
    UtfTree() = default;
    UtfTree(const UtfTree&) = delete;
    UtfTree& operator=(const UtfTree&) = delete;

    // First node named exactly `name` under `parent`; with no parent, the
    // first node of that name anywhere, in creation order.
    UtfNode* FindChild(const UtfNode* parent, std::string_view name) const;
    UtfNode* AddChild(UtfNode* parent, std::string_view name);
    UtfNode* FindOrAddChild(UtfNode* parent, std::string_view name);

    const std::vector<uint8_t>* GetData(const UtfNode* node) const;
    void SetData(UtfNode* node, std::vector<uint8_t> bytes);

    void DeleteSubtree(UtfNode* node);
    bool DeleteChildNamed(UtfNode* parent, std::string_view name);
    void Clear();

    bool Empty() const { return nodes_.empty(); }
    size_t NodeCount() const { return nodes_.size(); }
    const std::vector<UtfNode*>& TopLevel() const { return topLevel_; }

    // The container file image, byte for byte.
    std::vector<uint8_t> Serialize() const;

    // Replaces the tree with the file image's nodes; on any failure the tree
    // is left empty and the result says why: WrongKind (wrong magic or
    // version) or Damaged. (Unreadable is for callers that read the file.)
    Result<UtfLoadNotes> LoadFromBytes(std::span<const uint8_t> file);

  private:
    std::vector<UtfNode*>& SiblingsOf(UtfNode* node);

    std::vector<std::unique_ptr<UtfNode>> nodes_;  // creation order
    std::vector<UtfNode*> topLevel_;
};

// Calls `visit(node, depth)` for every node in pre-order, top-level nodes at
// depth 0. Iterative: a damaged file may nest deeper than the call stack.
void VisitPreOrder(const UtfTree& tree, const std::function<void(const UtfNode&, size_t)>& visit);

// The node at `path` (names below the top-level node joined by '/'), or null.
const UtfNode* FindNodeByPath(const UtfTree& tree, std::string_view path);

}  // namespace kx
