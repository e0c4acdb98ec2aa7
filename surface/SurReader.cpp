#include "surface/SurReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>

#include "container/ByteReader.h"
#include "surface/HullClosure.h"

namespace kx {

namespace {

constexpr uint32_t kSurfaceHeaderSize = 48;
constexpr uint32_t kHullHeaderSize = 16;
constexpr uint32_t kTriangleSize = 16;
constexpr uint32_t kVertexSize = 16;
constexpr uint32_t kNodeSize = 28;

std::string Hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

uint64_t EdgeKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t{a} << 32) | b : (uint64_t{b} << 32) | a;
}

// A 15-bit two's complement link.
int32_t SignedLink(uint16_t edge) {
    const int32_t link = edge & 0x7FFF;
    return link >= 0x4000 ? link - 0x8000 : link;
}

class Parser {
  public:
    explicit Parser(std::span<const uint8_t> bytes) : r_(bytes) {}

    Result<SurFile> Run() {
        SurFile file;
        std::span<const uint8_t> tag;
        if (!r_.Bytes(4, tag) || std::memcmp(tag.data(), "vers", 4) != 0) {
            return Status::Failure(Fault::WrongKind, "not a surface file: no \"vers\" tag");
        }
        if (!r_.F32(file.version)) {
            return Status::Failure(Fault::WrongKind, "not a surface file: ends inside its version");
        }
        if (file.version != 2.0f) {
            return Status::Failure(
                Fault::WrongKind,
                "surface file version " + std::to_string(file.version) + " is not 2");
        }
        while (r_.Remaining() > 0) {
            SurPart& part = file.parts.emplace_back();
            if (!Part(part)) {
                return Status::Failure(Fault::Damaged, where_ + ": " + reason_);
            }
        }
        return file;
    }

  private:
    bool Fail(std::string reason) {
        reason_ = std::move(reason);
        return false;
    }
    bool Whole(const char* what) {
        return r_.Ok() || Fail(std::string("file ends inside the ") + what);
    }
    bool Tag(const char*& name) {
        std::span<const uint8_t> tag;
        if (!r_.Bytes(4, tag)) {
            return Fail("file ends inside a chunk tag");
        }
        for (const char* known : {"!fxd", "exts", "surf", "hpid"}) {
            if (std::memcmp(tag.data(), known, 4) == 0) {
                name = known;
                return true;
            }
        }
        return Fail("unknown chunk tag at byte " + std::to_string(r_.Pos() - 4) +
                    " (the part's chunk count may be wrong)");
    }
    void ReadVec(Vec3& v) {
        r_.F32(v[0]);
        r_.F32(v[1]);
        r_.F32(v[2]);
    }

    bool Part(SurPart& part) {
        part.fileOffset = r_.Pos();
        where_ =
            "part " + std::to_string(partIndex_++) + " at byte " + std::to_string(part.fileOffset);
        r_.U32(part.id);
        r_.U32(part.chunkCount);
        if (!Whole("part header")) {
            return false;
        }
        where_ += " (id " + Hex(part.id) + ")";
        // Every chunk takes at least its tag.
        if (part.chunkCount > r_.Remaining() / 4) {
            return Fail(std::to_string(part.chunkCount) + " chunks run past the end of the file");
        }
        bool haveBox = false;
        bool haveSurface = false;
        for (uint32_t c = 0; c < part.chunkCount; ++c) {
            const char* tag = nullptr;
            if (!Tag(tag)) {
                return false;
            }
            bool& seen = tag[0] == '!'   ? part.fixed
                         : tag[0] == 'e' ? haveBox
                         : tag[0] == 's' ? haveSurface
                                         : part.hasHardpointList;
            if (seen) {
                return Fail(std::string("a second \"") + tag + "\" chunk");
            }
            seen = true;
            if (tag[0] == 'e') {
                ReadVec(part.boxMin);
                ReadVec(part.boxMax);
                if (!Whole("\"exts\" chunk")) {
                    return false;
                }
            } else if (tag[0] == 's') {
                if (!Surface(part)) {
                    return false;
                }
            } else if (tag[0] == 'h') {
                if (!Hardpoints(part)) {
                    return false;
                }
            }
        }
        if (!haveBox || !haveSurface) {
            return Fail(std::string("no \"") + (haveBox ? "surf" : "exts") + "\" chunk");
        }
        return AllFinite(part);
    }

    // An infinite or undefined number is damage: no exporter writes one and
    // the game cannot place, sort or collide with it.
    bool AllFinite(const SurPart& part) {
        const char* what = !IsFinite(part.boxMin) || !IsFinite(part.boxMax) ? "box"
                           : !IsFinite(part.centre)                         ? "centre"
                           : !IsFinite(part.inertia)                        ? "inertia"
                           : !std::isfinite(part.radius)                    ? "radius"
                                                                            : nullptr;
        if (what) {
            return Fail(std::string("the part's ") + what + " is not a finite number");
        }
        for (size_t i = 0; i < part.vertices.size(); ++i) {
            if (!IsFinite(part.vertices[i].position)) {
                return Fail("vertex " + std::to_string(i) + " is not a finite number");
            }
        }
        for (size_t i = 0; i < part.nodes.size(); ++i) {
            if (!IsFinite(part.nodes[i].centre) || !std::isfinite(part.nodes[i].radius)) {
                return Fail("node " + std::to_string(i) + " is not a finite number");
            }
        }
        return true;
    }

    bool Hardpoints(SurPart& part) {
        uint32_t count = 0;
        if (!r_.U32(count)) {
            return Whole("\"hpid\" chunk");
        }
        if (count > r_.Remaining() / 4) {
            return Fail(std::to_string(count) + " hardpoint ids run past the end of the file");
        }
        part.hardpointIds.resize(count);
        for (uint32_t& id : part.hardpointIds) {
            r_.U32(id);
        }
        return true;
    }

    bool Surface(SurPart& part) {
        if (!r_.U32(part.surfaceSize)) {
            return Whole("\"surf\" chunk");
        }
        const size_t start = r_.Pos();
        std::span<const uint8_t> block;
        if (!r_.Bytes(part.surfaceSize, block)) {
            return Fail("surface of " + std::to_string(part.surfaceSize) +
                        " bytes runs past the end of the file");
        }
        where_ += ", surface at byte " + std::to_string(start);
        return SurfaceBlock(part, block);
    }

    // Positions below are counted from the start of the surface header.
    bool SurfaceBlock(SurPart& part, std::span<const uint8_t> block) {
        const auto size = static_cast<uint32_t>(block.size());
        ByteReader r(block);
        if (size < kSurfaceHeaderSize) {
            return Fail("surface of " + std::to_string(size) + " bytes has no room for its header");
        }
        auto vec = [&](Vec3& v) {
            r.F32(v[0]);
            r.F32(v[1]);
            r.F32(v[2]);
        };
        vec(part.centre);
        vec(part.inertia);
        r.F32(part.radius);
        r.U8(part.partCode);
        uint8_t s0 = 0, s1 = 0, s2 = 0;
        r.U8(s0);
        r.U8(s1);
        r.U8(s2);
        r.U32(part.nodeListOffset);
        r.Skip(12);
        const uint32_t size24 = s0 | (s1 << 8) | (s2 << 16);
        if (size24 != (size & 0xFFFFFF)) {
            return Fail("header holds surface size " + std::to_string(size24) + ", the chunk " +
                        std::to_string(size));
        }
        const uint32_t nodes = part.nodeListOffset;
        if (nodes < kSurfaceHeaderSize || nodes > size || (size - nodes) % kNodeSize != 0) {
            return Fail("node list offset " + std::to_string(nodes) +
                        " does not fit a surface of " + std::to_string(size) + " bytes");
        }

        // Hulls run from the header to the vertex list, which the first hull's
        // offset locates; all hulls must agree on it.
        uint32_t vertexStart = nodes;
        std::optional<uint32_t> listStart;
        uint32_t pos = kSurfaceHeaderSize;
        while (pos < (listStart ? *listStart : nodes)) {
            SurHull& hull = part.hulls.emplace_back();
            hull.position = pos;
            const std::string at =
                "hull " + std::to_string(part.hulls.size() - 1) + " at byte " + std::to_string(pos);
            const uint32_t limit = listStart ? *listStart : nodes;
            if (limit - pos < kHullHeaderSize) {
                return Fail(at + ": no room for its header");
            }
            uint32_t triangles = 0;
            uint8_t pad = 0;
            r.U32(hull.vertexListOffset);
            r.U32(hull.owner);
            r.U8(hull.type);
            r.U16(hull.countField);
            r.U8(pad);
            r.U32(triangles);
            const uint64_t target = uint64_t{pos} + hull.vertexListOffset;
            if (!listStart) {
                if (target > nodes || target < pos + kHullHeaderSize ||
                    (nodes - target) % kVertexSize != 0) {
                    return Fail(at + ": vertex list offset " +
                                std::to_string(hull.vertexListOffset) +
                                " points outside the surface");
                }
                listStart = static_cast<uint32_t>(target);
            } else if (target != *listStart) {
                return Fail(at + ": vertex list offset " + std::to_string(hull.vertexListOffset) +
                            " does not reach the vertex list at byte " +
                            std::to_string(*listStart));
            }
            if (triangles > (*listStart - pos - kHullHeaderSize) / kTriangleSize) {
                return Fail(at + ": " + std::to_string(triangles) +
                            " triangles run past the vertex list");
            }
            hull.triangles.resize(triangles);
            for (SurTriangle& t : hull.triangles) {
                r.U32(t.flags);
                for (int k = 0; k < 3; ++k) {
                    r.U16(t.vertices[k]);
                    r.U16(t.edges[k]);
                }
            }
            pos += kHullHeaderSize + kTriangleSize * triangles;
        }
        if (listStart) {
            vertexStart = *listStart;
        }

        part.vertices.resize((nodes - vertexStart) / kVertexSize);
        for (SurVertex& v : part.vertices) {
            vec(v.position);
            r.U32(v.owner);
        }
        part.nodes.resize((size - nodes) / kNodeSize);
        for (SurNode& n : part.nodes) {
            r.U32(n.skip);
            r.I32(n.hullOffset);
            vec(n.centre);
            r.F32(n.radius);
            r.U32(n.tag);
        }
        if (!r.Ok()) {
            return Fail("surface ends inside a record");
        }
        for (size_t h = 0; h < part.hulls.size(); ++h) {
            if (!CheckHull(part, h)) {
                return false;
            }
        }
        return CheckNodes(part);
    }

    bool CheckHull(const SurPart& part, size_t h) {
        const SurHull& hull = part.hulls[h];
        const std::string at =
            "hull " + std::to_string(h) + " at byte " + std::to_string(hull.position);
        const auto count = static_cast<uint32_t>(hull.triangles.size());
        if (hull.type == 5 && uint64_t{hull.position} + hull.owner != part.nodeListOffset) {
            return Fail(at + ": wrap hull's root node offset " + std::to_string(hull.owner) +
                        " does not reach the node list");
        }
        // How many triangles hold each edge: a link must lead back where
        // exactly two do.
        std::unordered_map<uint64_t, uint32_t> holders;
        for (const SurTriangle& t : hull.triangles) {
            uint64_t keys[3];
            for (int k = 0; k < 3; ++k) {
                keys[k] = EdgeKey(t.vertices[k], t.vertices[(k + 1) % 3]);
                if (std::find(keys, keys + k, keys[k]) == keys + k) {
                    ++holders[keys[k]];
                }
            }
        }
        for (uint32_t i = 0; i < count; ++i) {
            const SurTriangle& t = hull.triangles[i];
            const std::string tri = at + ", triangle " + std::to_string(i);
            for (uint16_t v : t.vertices) {
                if (v >= part.vertices.size()) {
                    return Fail(tri + ": vertex " + std::to_string(v) + " of " +
                                std::to_string(part.vertices.size()));
                }
            }
            if ((t.flags & 0xFFF) != (i & 0xFFF) ||
                ((t.flags >> 12) & 0xFFF) >= std::max(count, 1u)) {
                return Fail(tri + ": flags " + Hex(t.flags) + " do not fit the hull");
            }
            for (int k = 0; k < 3; ++k) {
                const int32_t link = SignedLink(t.edges[k]);
                if (link == 0) {
                    continue;
                }
                // Entry k of triangle i lies 4 bytes (one unit) into its record
                // plus one unit per entry.
                const int64_t unit = int64_t{4} * i + 1 + k + link;
                const std::string edge = tri + ", edge " + std::to_string(k);
                if (unit < 0 || unit >= int64_t{4} * count || unit % 4 == 0) {
                    return Fail(edge + ": link " + std::to_string(link) +
                                " leads outside the hull's triangle entries");
                }
                const auto j = static_cast<uint32_t>(unit / 4);
                const auto e = static_cast<int>(unit % 4) - 1;
                const SurTriangle& u = hull.triangles[j];
                const uint64_t key = EdgeKey(t.vertices[k], t.vertices[(k + 1) % 3]);
                if (EdgeKey(u.vertices[e], u.vertices[(e + 1) % 3]) != key) {
                    return Fail(edge + ": link leads to triangle " + std::to_string(j) +
                                ", which does not hold that edge there");
                }
                if (holders[key] == 2 &&
                    int64_t{4} * j + 1 + e + SignedLink(u.edges[e]) != int64_t{4} * i + 1 + k) {
                    return Fail(edge + ": triangle " + std::to_string(j) + " does not link back");
                }
            }
        }
        return true;
    }

    bool CheckNodes(const SurPart& part) {
        const auto count = static_cast<uint32_t>(part.nodes.size());
        for (uint32_t n = 0; n < count; ++n) {
            const SurNode& node = part.nodes[n];
            const uint64_t position = uint64_t{part.nodeListOffset} + uint64_t{kNodeSize} * n;
            const std::string at =
                "node " + std::to_string(n) + " at byte " + std::to_string(position);
            if (node.skip % kNodeSize != 0 || node.skip / kNodeSize > count - n) {
                return Fail(at + ": skip " + std::to_string(node.skip) +
                            " leads outside the node list");
            }
            if (node.hullOffset == 0) {
                continue;
            }
            const int64_t target = static_cast<int64_t>(position) + node.hullOffset;
            // Hulls lie in ascending positions.
            const auto hull = std::lower_bound(
                part.hulls.begin(), part.hulls.end(), target,
                [](const SurHull& h, int64_t p) { return int64_t{h.position} < p; });
            const bool atHull = hull != part.hulls.end() && hull->position == target;
            if (!atHull) {
                return Fail(at + ": hull offset " + std::to_string(node.hullOffset) +
                            " does not point at a hull");
            }
        }
        return true;
    }

    ByteReader r_;
    size_t partIndex_ = 0;
    std::string where_;
    std::string reason_;
};

}  // namespace

Result<SurFile> ReadSurFile(std::span<const uint8_t> bytes) {
    return Parser(bytes).Run();
}

namespace {

std::vector<std::array<uint32_t, 3>> Corners(const SurHull& hull) {
    std::vector<std::array<uint32_t, 3>> corners;
    corners.reserve(hull.triangles.size());
    for (const SurTriangle& t : hull.triangles) {
        corners.push_back({t.vertices[0], t.vertices[1], t.vertices[2]});
    }
    return corners;
}

// The hull a node points at, if its offset lands on a hull's start.
std::optional<size_t> NodeHull(const SurPart& part, size_t n) {
    const SurNode& node = part.nodes[n];
    if (node.hullOffset == 0) {
        return std::nullopt;
    }
    const int64_t target = int64_t{part.nodeListOffset} +
                           int64_t{kNodeSize} * static_cast<int64_t>(n) + node.hullOffset;
    // Hulls lie in ascending positions.
    const auto hull =
        std::lower_bound(part.hulls.begin(), part.hulls.end(), target,
                         [](const SurHull& h, int64_t p) { return int64_t{h.position} < p; });
    if (hull == part.hulls.end() || int64_t{hull->position} != target) {
        return std::nullopt;
    }
    return static_cast<size_t>(hull - part.hulls.begin());
}

}  // namespace

SurTreeWalk WalkSurNodeTree(const SurPart& part) {
    SurTreeWalk walk;
    walk.hullsReached.assign(part.hulls.size(), 0);
    walk.nodesReached.assign(part.nodes.size(), 0);
    // Skips only lead forward, but a node reached twice is not followed again
    // so a damaged list cannot make the walk go round.
    std::vector<uint64_t> pending;
    if (!part.nodes.empty()) {
        pending.push_back(0);
    }
    while (!pending.empty()) {
        const uint64_t n = pending.back();
        pending.pop_back();
        if (n >= part.nodes.size() || walk.nodesReached[n]++ > 0) {
            continue;
        }
        const std::optional<size_t> hull = NodeHull(part, n);
        if (hull) {
            ++walk.hullsReached[*hull];
            if (part.hulls[*hull].type != 5) {
                continue;
            }
        }
        // The right subtree after the left one, as a recursive reader goes.
        if (part.nodes[n].skip != 0) {
            pending.push_back(n + part.nodes[n].skip / kNodeSize);
        }
        pending.push_back(n + 1);
    }
    return walk;
}

bool IsClosedSurHull(const SurHull& hull) {
    return IsClosedHull(Corners(hull));
}

Status CheckSurPartForReaders(const SurPart& part) {
    for (size_t h = 0; h < part.hulls.size(); ++h) {
        const SurHull& hull = part.hulls[h];
        std::vector<uint16_t> used;
        for (const SurTriangle& t : hull.triangles) {
            used.insert(used.end(), t.vertices.begin(), t.vertices.end());
        }
        std::sort(used.begin(), used.end());
        const size_t distinct =
            static_cast<size_t>(std::unique(used.begin(), used.end()) - used.begin());
        const size_t want = distinct + hull.triangles.size() + 1;
        if (hull.countField != want) {
            return Status::Failure(Fault::Damaged,
                                   "hull " + std::to_string(h) + " at byte " +
                                       std::to_string(hull.position) + ": count field " +
                                       std::to_string(hull.countField) + ", its triangles give " +
                                       std::to_string(want));
        }
    }
    const SurTreeWalk walk = WalkSurNodeTree(part);
    for (size_t n = 0; n < part.nodes.size(); ++n) {
        const SurNode& node = part.nodes[n];
        const std::string at = "node " + std::to_string(n);
        const std::optional<size_t> hull = NodeHull(part, n);
        const bool leaf = hull && part.hulls[*hull].type != 5;
        if (walk.nodesReached[n] != 1) {
            return Status::Failure(Fault::Damaged, at + " is reached " +
                                                       std::to_string(walk.nodesReached[n]) +
                                                       " times by a walk of the node tree");
        }
        if (leaf && node.skip != 0) {
            return Status::Failure(
                Fault::Damaged, at + ": a hull's leaf node with skip " + std::to_string(node.skip));
        }
        if (!leaf && (n + 1 >= part.nodes.size() ||
                      uint64_t{n} + node.skip / kNodeSize >= part.nodes.size())) {
            return Status::Failure(Fault::Damaged,
                                   at + ": an inner node whose subtrees lie past the node list");
        }
    }
    for (size_t h = 0; h < part.hulls.size(); ++h) {
        if (walk.hullsReached[h] != 1) {
            return Status::Failure(Fault::Damaged, "hull " + std::to_string(h) + " at byte " +
                                                       std::to_string(part.hulls[h].position) +
                                                       " is reached " +
                                                       std::to_string(walk.hullsReached[h]) +
                                                       " times by a walk of the node tree");
        }
    }
    return Status::Success();
}

}  // namespace kx
