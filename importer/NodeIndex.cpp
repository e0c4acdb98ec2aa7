#include "importer/NodeIndex.h"

#include <string>

#include "container/ByteReader.h"

namespace kx {

namespace {

constexpr uint32_t kRecordSize = 44;
constexpr uint32_t kLeafFlag = 0x80;
// Far deeper than any model nests; a file past it is built to exhaust.
constexpr size_t kMaxDepth = 1024;

struct Blocks {
    std::span<const uint8_t> nodes, strings, data;
};

Status Damaged(std::string reason) {
    return Status::Failure(Fault::Damaged, std::move(reason));
}

Result<Blocks> ReadHeader(std::span<const uint8_t> image) {
    ByteReader r(image);
    uint32_t magic = 0, nodeOffset = 0, nodeSize = 0, stringOffset = 0, stringSize = 0,
             dataOffset = 0;
    r.U32(magic);
    r.Skip(4);
    r.U32(nodeOffset);
    r.U32(nodeSize);
    r.Skip(8);
    r.U32(stringOffset);
    r.U32(stringSize);
    r.Skip(4);
    r.U32(dataOffset);
    if (!r.Ok() || magic != 0x20465455) {
        return Status::Failure(Fault::WrongKind, "not a container file");
    }
    const uint64_t size = image.size();
    if (uint64_t{nodeOffset} + nodeSize > size || nodeSize < kRecordSize) {
        return Damaged("the node block does not fit in the file");
    }
    if (uint64_t{stringOffset} + stringSize > size) {
        return Damaged("the string block does not fit in the file");
    }
    if (dataOffset > size) {
        return Damaged("the data block starts past the end of the file");
    }
    return Blocks{image.subspan(nodeOffset, nodeSize / kRecordSize * kRecordSize),
                  image.subspan(stringOffset, stringSize), image.subspan(dataOffset)};
}

struct Record {
    uint32_t next = 0, name = 0, flags = 0, childOrData = 0, stored = 0;
};

Record ReadRecord(const Blocks& blocks, uint32_t index) {
    ByteReader r(blocks.nodes.subspan(size_t{index} * kRecordSize, kRecordSize));
    Record rec;
    r.U32(rec.next);
    r.U32(rec.name);
    r.U32(rec.flags);
    r.Skip(4);
    r.U32(rec.childOrData);
    r.U32(rec.stored);
    return rec;
}

}  // namespace

Result<NodeIndex> NodeIndex::Build(std::span<const uint8_t> image) {
    Result<Blocks> header = ReadHeader(image);
    if (!header) {
        return header.GetStatus();
    }
    const Blocks& blocks = header.Value();
    const auto count = static_cast<uint32_t>(blocks.nodes.size() / kRecordSize);

    NodeIndex index;
    index.nodes_.resize(count);
    std::vector<bool> reached(count, false);

    // A link is a byte offset into the node block, taken down to a record;
    // below one record it means none (the root is no one's child or sibling).
    auto link = [&](uint32_t offset, uint32_t from, uint32_t& out) -> Status {
        out = offset / kRecordSize;
        if (out >= count) {
            return Damaged("node " + std::to_string(from) + " links to offset " +
                           std::to_string(offset) + ", beyond the node block");
        }
        return Status::Success();
    };

    struct Pending {
        uint32_t node, parent;
        size_t depth;
    };
    std::vector<Pending> pending;
    auto visit = [&](const Pending& p) -> Status {
        if (reached[p.node]) {
            return Damaged("node " + std::to_string(p.node) + " is reached twice");
        }
        if (p.depth > kMaxDepth) {
            return Damaged("the nodes nest deeper than " + std::to_string(kMaxDepth) + " levels");
        }
        reached[p.node] = true;
        const Record rec = ReadRecord(blocks, p.node);
        IndexNode& n = index.nodes_[p.node];
        n.parent = p.parent;
        n.leaf = (rec.flags & kLeafFlag) != 0;
        if (rec.name >= blocks.strings.size()) {
            return Damaged("the name of node " + std::to_string(p.node) +
                           " lies outside the string block");
        }
        const auto rest = blocks.strings.subspan(rec.name);
        size_t length = 0;
        while (length < rest.size() && rest[length] != 0) {
            ++length;
        }
        if (length == rest.size()) {
            return Damaged("the name of node " + std::to_string(p.node) +
                           " runs past the string block");
        }
        n.name = {reinterpret_cast<const char*>(rest.data()), length};
        if (Status s = link(rec.next, p.node, n.next); !s) {
            return s;
        }
        if (n.leaf) {
            if (rec.stored > 0) {
                if (uint64_t{rec.childOrData} + rec.stored > blocks.data.size()) {
                    return Damaged("the data of node '" + std::string(n.name) +
                                   "' runs past the end of the file");
                }
                n.data = blocks.data.subspan(rec.childOrData, rec.stored);
            }
        } else if (Status s = link(rec.childOrData, p.node, n.child); !s) {
            return s;
        }
        // The root's own sibling chain is not part of the tree. The order
        // of visits does not matter, only that each node is reached once.
        if (p.node == 0) {
            n.next = 0;
        }
        if (n.next != 0) {
            pending.push_back({n.next, p.parent, p.depth});
        }
        if (n.child != 0) {
            pending.push_back({n.child, p.node, p.depth + 1});
        }
        return Status::Success();
    };

    // A search "from node 1" starts there even when the root's first child
    // is another record, so node 1's chain is checked as well.
    for (uint32_t root : {0u, 1u}) {
        if (root >= count || reached[root]) {
            continue;
        }
        pending.push_back({root, 0, 0});
        while (!pending.empty()) {
            const Pending p = pending.back();
            pending.pop_back();
            if (Status s = visit(p); !s) {
                return s;
            }
        }
    }
    return index;
}

int NodeIndex::FirstChild(int node) const {
    if (!Has(node)) {
        return -1;
    }
    const IndexNode& n = (*this)[node];
    return n.leaf || n.child == 0 ? -1 : static_cast<int>(n.child);
}

int NodeIndex::Next(int node) const {
    if (!Has(node)) {
        return -1;
    }
    const uint32_t next = (*this)[node].next;
    return next == 0 ? -1 : static_cast<int>(next);
}

int NodeIndex::FindPath(std::string_view path, int start) const {
    if (!Has(start)) {
        return -1;
    }
    // One level of the search per folder descended into. Each level keeps
    // its own remaining path: a match at this level shortens it for the
    // levels below and for the siblings still to come, while the segment
    // compared at this level stays the one it started with.
    struct Level {
        uint32_t parent;
        uint32_t node;
        std::string_view segment;
        std::string_view rest;
        bool descended;
    };
    auto firstSegment = [](std::string_view p) { return p.substr(0, p.find('\n')); };
    std::vector<Level> levels;
    auto enter = [&](uint32_t node, std::string_view rest) {
        levels.push_back({nodes_[node].parent, node, firstSegment(rest), rest, false});
    };
    enter(static_cast<uint32_t>(start), path);
    while (!levels.empty()) {
        Level& level = levels.back();
        if (!level.descended) {
            const IndexNode& n = nodes_[level.node];
            if (n.parent != level.parent) {
                levels.pop_back();
                continue;
            }
            if (n.name.find(level.segment) != std::string_view::npos) {
                const size_t lf = level.rest.find('\n');
                if (lf == std::string_view::npos) {
                    return static_cast<int>(level.node);
                }
                level.rest = level.rest.substr(lf + 1);
            }
            if (!n.leaf) {
                // A folder without children ends this level: its remaining
                // siblings are not looked at.
                if (n.child == 0) {
                    levels.pop_back();
                    continue;
                }
                level.descended = true;
                enter(n.child, level.rest);
                continue;
            }
        }
        level.descended = false;
        const uint32_t next = nodes_[level.node].next;
        if (next == 0 || next == level.parent) {
            levels.pop_back();
            continue;
        }
        level.node = next;
    }
    return -1;
}

std::string_view LeafText(const IndexNode& node) {
    const auto* text = reinterpret_cast<const char*>(node.data.data());
    size_t length = 0;
    while (length < node.data.size() && text[length] != '\0') {
        ++length;
    }
    return {text, length};
}

}  // namespace kx
