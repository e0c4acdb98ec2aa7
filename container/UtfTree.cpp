#include "container/UtfTree.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "container/ByteWriter.h"

namespace kx {

UtfNode* UtfTree::FindChild(const UtfNode* parent, std::string_view name) const {
    // Children keep creation order, so the first match among them is the
    // first match in the node list.
    const std::vector<UtfNode*>& candidates = parent ? parent->children_ : topLevel_;
    if (parent) {
        for (UtfNode* child : candidates) {
            if (child->name_ == name) {
                return child;
            }
        }
        return nullptr;
    }
    for (const auto& node : nodes_) {
        if (node->name_ == name) {
            return node.get();
        }
    }
    return nullptr;
}

UtfNode* UtfTree::AddChild(UtfNode* parent, std::string_view name) {
    auto node = std::make_unique<UtfNode>();
    node->name_ = std::string(name);
    node->parent_ = parent;
    UtfNode* raw = node.get();
    (parent ? parent->children_ : topLevel_).push_back(raw);
    nodes_.push_back(std::move(node));
    return raw;
}

UtfNode* UtfTree::FindOrAddChild(UtfNode* parent, std::string_view name) {
    UtfNode* found = FindChild(parent, name);
    return found ? found : AddChild(parent, name);
}

const std::vector<uint8_t>* UtfTree::GetData(const UtfNode* node) const {
    return node && node->data_ ? &*node->data_ : nullptr;
}

void UtfTree::SetData(UtfNode* node, std::vector<uint8_t> bytes) {
    node->data_ = std::move(bytes);
}

std::vector<UtfNode*>& UtfTree::SiblingsOf(UtfNode* node) {
    return node->parent_ ? node->parent_->children_ : topLevel_;
}

void UtfTree::DeleteSubtree(UtfNode* node) {
    std::unordered_set<const UtfNode*> doomed;
    std::vector<const UtfNode*> pending{node};
    while (!pending.empty()) {
        const UtfNode* n = pending.back();
        pending.pop_back();
        doomed.insert(n);
        pending.insert(pending.end(), n->children_.begin(), n->children_.end());
    }
    std::erase(SiblingsOf(node), node);
    std::erase_if(nodes_, [&](const std::unique_ptr<UtfNode>& n) { return doomed.count(n.get()); });
}

bool UtfTree::DeleteChildNamed(UtfNode* parent, std::string_view name) {
    UtfNode* node = FindChild(parent, name);
    if (!node) {
        return false;
    }
    DeleteSubtree(node);
    return true;
}

void UtfTree::Clear() {
    topLevel_.clear();
    nodes_.clear();
}

namespace {

// Names in the string block, entered in node creation order; equal names
// (byte for byte) share one entry.
class StringTable {
  public:
    uint32_t Add(const std::string& name) {
        auto [it, inserted] = offsets_.try_emplace(name, size_);
        if (inserted) {
            order_.push_back(&it->first);
            size_ += static_cast<uint32_t>(name.size()) + 1;
        }
        return it->second;
    }
    uint32_t Find(const std::string& name) const { return offsets_.at(name); }
    uint32_t Size() const { return size_; }
    void Write(ByteWriter& w) const {
        w.U8(0);
        for (const std::string* name : order_) {
            w.Bytes(name->data(), name->size());
            w.U8(0);
        }
    }

  private:
    std::unordered_map<std::string, uint32_t> offsets_;
    std::vector<const std::string*> order_;
    uint32_t size_ = 1;  // the block starts with an empty name
};

}  // namespace

std::vector<uint8_t> UtfTree::Serialize() const {
    StringTable strings;
    for (const auto& node : nodes_) {
        strings.Add(node->name_);
    }

    // Pre-order from the first top-level node, siblings included.
    std::vector<const UtfNode*> order;
    std::unordered_map<const UtfNode*, uint32_t> index;
    std::vector<const UtfNode*> pending(topLevel_.rbegin(), topLevel_.rend());
    while (!pending.empty()) {
        const UtfNode* n = pending.back();
        pending.pop_back();
        index[n] = static_cast<uint32_t>(order.size());
        order.push_back(n);
        pending.insert(pending.end(), n->children_.rbegin(), n->children_.rend());
    }

    auto nextSibling = [&](const UtfNode* n) -> uint32_t {
        const std::vector<UtfNode*>& sibs = n->parent_ ? n->parent_->children_ : topLevel_;
        auto it = std::find(sibs.begin(), sibs.end(), n);
        return (it + 1 == sibs.end()) ? 0 : index.at(*(it + 1)) * kUtfRecordSize;
    };

    const auto nodeBlockSize = static_cast<uint32_t>(order.size()) * kUtfRecordSize;
    const uint32_t stringOffset = kUtfHeaderSize + nodeBlockSize;
    const uint32_t dataOffset = stringOffset + strings.Size();

    ByteWriter w;
    w.U32(kUtfMagic);
    w.U32(kUtfVersion);
    w.U32(kUtfHeaderSize);
    w.U32(nodeBlockSize);
    w.U32(0);
    w.U32(kUtfRecordSize);
    w.U32(stringOffset);
    w.U32(strings.Size());
    w.U32(strings.Size());
    w.U32(dataOffset);
    w.Zeros(16);

    uint32_t cursor = 0;
    for (const UtfNode* n : order) {
        w.U32(nextSibling(n));
        w.U32(strings.Find(n->name_));
        if (n->children_.empty()) {
            const auto length = n->data_ ? static_cast<uint32_t>(n->data_->size()) : 0u;
            w.U32(kNodeLeaf);
            w.U32(0);
            w.U32(cursor);
            w.U32(length);
            w.U32(length);
            w.U32(length);
            cursor += length;
        } else {
            w.U32(kNodeFolder);
            w.U32(0);
            w.U32(index.at(n->children_.front()) * kUtfRecordSize);
            w.Zeros(12);
        }
        w.Zeros(12);
    }
    strings.Write(w);
    for (const UtfNode* n : order) {
        if (n->children_.empty() && n->data_) {
            w.Bytes(n->data_->data(), n->data_->size());
        }
    }
    return w.Take();
}

Result<UtfLoadNotes> UtfTree::LoadFromBytes(std::span<const uint8_t> file) {
    Clear();
    auto records = UtfRecords::Open(file);
    if (!records) {
        return records.GetStatus();
    }
    UtfLoadNotes notes;
    // The walk is in pre-order, so a node's parent is the folder last seen
    // one level up.
    std::vector<UtfNode*> lastAtDepth;
    Status walked = records->Walk([&](const UtfVisit& v) {
        UtfNode* node = AddChild(v.depth == 0 ? nullptr : lastAtDepth[v.depth - 1], v.name);
        node->readAsLeaf_ = v.record.IsLeaf();
        lastAtDepth.resize(v.depth);
        lastAtDepth.push_back(node);
        if (!v.data.empty()) {
            if (v.record.PossiblyCompressed()) {
                notes.possiblyCompressed.emplace_back(v.name);
            }
            node->data_ = std::vector<uint8_t>(v.data.begin(), v.data.end());
        }
    });
    if (!walked) {
        Clear();
        return walked;
    }
    return notes;
}

void VisitPreOrder(const UtfTree& tree, const std::function<void(const UtfNode&, size_t)>& visit) {
    std::vector<std::pair<const UtfNode*, size_t>> pending;
    for (auto it = tree.TopLevel().rbegin(); it != tree.TopLevel().rend(); ++it) {
        pending.emplace_back(*it, 0);
    }
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        visit(*node, depth);
        for (auto it = node->Children().rbegin(); it != node->Children().rend(); ++it) {
            pending.emplace_back(*it, depth + 1);
        }
    }
}

const UtfNode* FindNodeByPath(const UtfTree& tree, std::string_view path) {
    if (tree.TopLevel().empty()) {
        return nullptr;
    }
    const UtfNode* node = tree.TopLevel().front();
    while (!path.empty()) {
        size_t slash = path.find('/');
        node = tree.FindChild(node, path.substr(0, slash));
        if (!node) {
            return nullptr;
        }
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    }
    return node;
}

}  // namespace kx
