#include "importer/NodeIndex.h"

#include <string>

#include "container/NameHash.h"
#include "container/UtfRecords.h"

namespace kx {

Result<NodeIndex> NodeIndex::Build(std::span<const uint8_t> image) {
    Result<UtfRecords> records = UtfRecords::Open(image);
    if (!records) {
        return records.GetStatus();
    }
    NodeIndex index;
    index.nodes_.resize(records->Count());
    // The walk follows every link of every node it reaches and refuses the
    // file on the first that leads outside or back: the searches can then
    // trust the links they follow.
    Status walked = records->Walk([&index](const UtfVisit& visit) {
        IndexNode& n = index.nodes_[visit.record.Index()];
        const bool root = visit.depth == 0;
        n.name = visit.name;
        n.data = visit.data;
        n.parent = static_cast<uint32_t>(visit.parent);
        // The root is always a folder and has no siblings; a leaf's child
        // field holds its data offset, not a link.
        n.leaf = !root && visit.record.IsLeaf();
        n.next = root ? 0 : static_cast<uint32_t>(visit.record.Next().value_or(0));
        n.child = n.leaf ? 0 : static_cast<uint32_t>(visit.record.FirstChild().value_or(0));
    });
    if (!walked) {
        return walked;
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
    // Trying whole-name nodes one after another below one another could
    // take exponential time on a path and a tree made for it; past a few
    // walks through the tree the substring search alone decides.
    return FindPreferringWholeNames(path, start, visits_ + 4 * nodes_.size() + 1024);
}

int NodeIndex::FindPreferringWholeNames(std::string_view path, int start, uint64_t limit) const {
    // A name that merely contains the segment may come before the node
    // named by it ("Root_a.3db" before "a.3db"): at each step a node whose
    // whole name is the segment wins, in the order the search meets them,
    // when the rest of the path is found below it.
    const size_t lf = path.find('\n');
    const std::string_view segment = path.substr(0, lf);
    int found = -1;
    ScanLevel(start, [&](uint32_t node) {
        if (visits_ > limit) {
            return true;
        }
        if (!SameName(nodes_[node].name, segment)) {
            return false;
        }
        found = lf == std::string_view::npos
                    ? static_cast<int>(node)
                    : FindPreferringWholeNames(path.substr(lf + 1),
                                               FirstChild(static_cast<int>(node)), limit);
        return found >= 0;
    });
    return found >= 0 ? found : FindBySubstring(path, start);
}

template <typename Visit>
void NodeIndex::ScanLevel(int start, Visit visit) const {
    if (!Has(start)) {
        return;
    }
    // The order and the bounds of the substring search below, for one
    // segment: the start, its following siblings, every folder descended.
    struct Level {
        uint32_t parent;
        uint32_t node;
    };
    std::vector<Level> levels{
        {nodes_[static_cast<size_t>(start)].parent, static_cast<uint32_t>(start)}};
    bool descend = true;
    while (!levels.empty()) {
        Level& level = levels.back();
        const IndexNode& n = nodes_[level.node];
        if (descend) {
            ++visits_;
            if (n.parent != level.parent) {
                levels.pop_back();
                descend = false;
                continue;
            }
            if (visit(level.node)) {
                return;
            }
            if (!n.leaf) {
                if (n.child == 0) {
                    levels.pop_back();
                    descend = false;
                    continue;
                }
                levels.push_back({nodes_[n.child].parent, n.child});
                continue;
            }
        }
        descend = true;
        if (n.next == 0 || n.next == level.parent) {
            levels.pop_back();
            descend = false;
            continue;
        }
        level.node = n.next;
    }
}

int NodeIndex::FindBySubstring(std::string_view path, int start) const {
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
            ++visits_;
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
