#include "container/UtfTree.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "container/ByteReader.h"
#include "container/ByteWriter.h"
#include "container/FileIo.h"

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

bool UtfTree::Save(const std::string& path) const {
    return WriteWholeFile(path, Serialize());
}

UtfLoadResult UtfTree::Load(const std::string& path) {
    Clear();
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path, file)) {
        return {UtfLoadError::Unreadable, "cannot be read", {}};
    }
    return LoadFromBytes(file);
}

namespace {

struct Record {
    uint32_t sibling = 0, name = 0, flags = 0, childOrData = 0, stored = 0, length = 0,
             unpacked = 0;
};

UtfLoadResult Damaged(std::string message) {
    return {UtfLoadError::Damaged, std::move(message), {}};
}

}  // namespace

UtfLoadResult UtfTree::LoadFromBytes(std::span<const uint8_t> file) {
    Clear();
    ByteReader header(file);
    uint32_t magic = 0, version = 0;
    header.U32(magic);
    header.U32(version);
    if (!header.Ok() || magic != kUtfMagic || version != kUtfVersion) {
        return {UtfLoadError::NotContainer, "not a container file (wrong magic or version)", {}};
    }
    uint32_t nodeOffset = 0, nodeSize = 0, stringOffset = 0, stringSize = 0, dataOffset = 0;
    header.U32(nodeOffset);
    header.U32(nodeSize);
    header.Skip(8);
    header.U32(stringOffset);
    header.U32(stringSize);
    header.Skip(4);
    header.U32(dataOffset);
    if (!header.Ok() || file.size() < kUtfHeaderSize) {
        return Damaged("truncated header");
    }
    const uint64_t fileSize = file.size();
    if (uint64_t{nodeOffset} + nodeSize > fileSize) {
        return Damaged("node block runs past the end of the file");
    }
    if (nodeSize < kUtfRecordSize) {
        return Damaged("node block holds no root record");
    }
    if (uint64_t{stringOffset} + stringSize > fileSize) {
        return Damaged("string block runs past the end of the file");
    }
    if (dataOffset > fileSize) {
        return Damaged("data block starts past the end of the file");
    }
    const auto nodes = file.subspan(nodeOffset, nodeSize);
    const auto strings = file.subspan(stringOffset, stringSize);
    const auto data = file.subspan(dataOffset);

    std::vector<bool> visited(nodeSize / kUtfRecordSize, false);
    UtfLoadResult result;
    std::string error;

    auto readRecord = [&](uint32_t offset, Record& r) {
        if (uint64_t{offset} + kUtfRecordSize > nodeSize) {
            error = "node offset " + std::to_string(offset) + " is outside the node block";
            return false;
        }
        if (visited[offset / kUtfRecordSize]) {
            error = "node chain loops back to offset " + std::to_string(offset);
            return false;
        }
        visited[offset / kUtfRecordSize] = true;
        ByteReader rr(nodes.subspan(offset, kUtfRecordSize));
        rr.U32(r.sibling);
        rr.U32(r.name);
        rr.U32(r.flags);
        rr.Skip(4);
        rr.U32(r.childOrData);
        rr.U32(r.stored);
        rr.U32(r.length);
        rr.U32(r.unpacked);
        return true;
    };
    auto readName = [&](uint32_t offset, std::string& name) {
        if (offset >= strings.size()) {
            error = "name offset " + std::to_string(offset) + " is outside the string block";
            return false;
        }
        auto rest = strings.subspan(offset);
        auto end = std::find(rest.begin(), rest.end(), uint8_t{0});
        if (end == rest.end()) {
            error = "name at offset " + std::to_string(offset) + " runs past the string block";
            return false;
        }
        name.assign(rest.begin(), end);
        return true;
    };

    Record rootRecord;
    std::string name;
    if (!readRecord(0, rootRecord) || !readName(rootRecord.name, name)) {
        Clear();
        return Damaged(error);
    }
    UtfNode* root = AddChild(nullptr, name);
    root->readAsLeaf_ = (rootRecord.flags & kNodeLeaf) != 0;

    // Explicit stack instead of recursion: a file of deeply nested folders
    // must not exhaust the call stack.
    struct Frame {
        UtfNode* parent;
        uint32_t next;
    };
    std::vector<Frame> stack{{root, rootRecord.childOrData}};
    while (!stack.empty()) {
        const uint32_t offset = stack.back().next / kUtfRecordSize * kUtfRecordSize;
        if (offset == 0) {
            stack.pop_back();
            continue;
        }
        Record r;
        if (!readRecord(offset, r) || !readName(r.name, name)) {
            Clear();
            return Damaged(error);
        }
        UtfNode* parent = stack.back().parent;
        stack.back().next = r.sibling;
        UtfNode* node = AddChild(parent, name);
        if (r.flags & kNodeLeaf) {
            node->readAsLeaf_ = true;
            if (r.stored >= 1) {
                if (uint64_t{r.childOrData} + r.stored > data.size()) {
                    Clear();
                    return Damaged("data of node '" + name + "' runs past the end of the file");
                }
                if (r.length != r.unpacked) {
                    result.possiblyCompressed.push_back(name);
                }
                auto bytes = data.subspan(r.childOrData, r.stored);
                node->data_ = std::vector<uint8_t>(bytes.begin(), bytes.end());
            }
        } else {
            stack.push_back({node, r.childOrData});
        }
    }
    return result;
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
