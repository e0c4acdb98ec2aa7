#include "ReaderWalk.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "testsupport/LittleEndian.h"

namespace kx::test {
namespace {

struct Hull {
    uint8_t type = 0;
    uint32_t triangles = 0;
    uint16_t count = 0;
    bool closed = false;
    int reached = 0;
};

// Each directed edge once with its reverse present, and V - E + F = 2.
bool Closed(const std::vector<uint8_t>& b, size_t first, uint32_t triangles) {
    std::set<std::pair<uint16_t, uint16_t>> edges;
    std::set<uint16_t> vertices;
    for (uint32_t t = 0; t < triangles; ++t) {
        uint16_t v[3];
        for (int k = 0; k < 3; ++k) {
            v[k] = U16At(b, first + 16 * t + 4 + 4 * k);
            vertices.insert(v[k]);
        }
        for (int k = 0; k < 3; ++k) {
            if (!edges.insert({v[k], v[(k + 1) % 3]}).second) {
                return false;
            }
        }
    }
    for (const auto& [a, c] : edges) {
        if (!edges.count({c, a})) {
            return false;
        }
    }
    return triangles > 0 && vertices.size() + triangles == 2 + edges.size() / 2;
}

void Surface(const std::vector<uint8_t>& b, size_t header, uint32_t size, bool closedOnly,
             const std::string& part, std::vector<std::string>& faults) {
    const uint32_t nodeOffset = U32At(b, header + 32);
    const size_t nodes = header + nodeOffset;
    const size_t nodeCount = (size - nodeOffset) / 28;
    std::map<size_t, Hull> hulls;
    size_t pos = header + 48;
    const size_t vertices = pos + U32At(b, pos);
    while (pos < vertices) {
        Hull& h = hulls[pos];
        h.type = b[pos + 8];
        h.count = U16At(b, pos + 9);
        h.triangles = U32At(b, pos + 12);
        h.closed = Closed(b, pos + 16, h.triangles);
        pos += 16 + 16 * size_t{h.triangles};
    }
    std::vector<int> reached(nodeCount, 0);
    // Recursive, as such readers are: the node, its left, its right subtree.
    auto walk = [&](auto& self, size_t n) -> void {
        if (n >= nodeCount) {
            faults.push_back(part + ": the walk leaves the node list at node " + std::to_string(n));
            return;
        }
        if (reached[n]++ > 0) {
            faults.push_back(part + ": node " + std::to_string(n) + " reached twice");
            return;
        }
        const size_t at = nodes + 28 * n;
        const uint32_t skip = U32At(b, at);
        const auto hullOffset = static_cast<int32_t>(U32At(b, at + 4));
        if (hullOffset != 0) {
            auto hull = hulls.find(at + hullOffset);
            if (hull == hulls.end()) {
                faults.push_back(part + ": node " + std::to_string(n) + " points at no hull");
                return;
            }
            ++hull->second.reached;
            if (hull->second.type != 5) {
                return;
            }
        }
        self(self, n + 1);
        if (skip != 0) {
            self(self, n + skip / 28);
        }
    };
    walk(walk, 0);
    for (size_t n = 0; n < nodeCount; ++n) {
        if (reached[n] == 0) {
            faults.push_back(part + ": node " + std::to_string(n) + " never reached");
        }
    }
    for (const auto& [at, h] : hulls) {
        const std::string hull = part + ": hull at byte " + std::to_string(at - header);
        if (h.reached != 1) {
            faults.push_back(hull + " reached " + std::to_string(h.reached) + " times");
        }
        if (h.closed && h.count != 3 + 3 * h.triangles / 2) {
            faults.push_back(hull + " has count " + std::to_string(h.count));
        }
        if (closedOnly && !h.closed) {
            faults.push_back(hull + " is not closed");
        }
    }
}

}  // namespace

std::vector<std::string> ReaderFaults(const std::vector<uint8_t>& b, bool closedOnly) {
    std::vector<std::string> faults;
    size_t pos = 8;
    while (pos + 8 <= b.size()) {
        const std::string part = "part at byte " + std::to_string(pos);
        const uint32_t chunks = U32At(b, pos + 4);
        pos += 8;
        for (uint32_t c = 0; c < chunks; ++c) {
            if (pos + 4 > b.size()) {
                faults.push_back(part + ": the file ends inside chunk " + std::to_string(c));
                return faults;
            }
            const std::string tag(b.begin() + static_cast<ptrdiff_t>(pos),
                                  b.begin() + static_cast<ptrdiff_t>(pos + 4));
            pos += 4;
            if (tag == "exts") {
                pos += 24;
            } else if (tag == "surf") {
                const uint32_t size = U32At(b, pos);
                Surface(b, pos + 4, size, closedOnly, part, faults);
                pos += 4 + size_t{size};
            } else if (tag == "hpid") {
                pos += 4 + 4 * size_t{U32At(b, pos)};
            } else if (tag != "!fxd") {
                faults.push_back(part + ": unknown chunk at byte " + std::to_string(pos - 4));
                return faults;
            }
        }
    }
    if (pos != b.size()) {
        faults.push_back("the last part ends at byte " + std::to_string(pos) + " of " +
                         std::to_string(b.size()));
    }
    return faults;
}

}  // namespace kx::test
