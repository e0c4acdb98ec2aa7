#include "surface/SurReader.h"

#include <cstring>
#include <optional>
#include <string>

#include "base/Text.h"
#include "container/CheckedReader.h"
#include "surface/SurCheck.h"
#include "surface/SurLayout.h"

namespace kx {

namespace {

class Parser : CheckedReader {
  public:
    explicit Parser(std::span<const uint8_t> bytes) : CheckedReader(bytes) {}

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
                return Failure();
            }
        }
        return file;
    }

  private:
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
        Where() =
            "part " + std::to_string(partIndex_++) + " at byte " + std::to_string(part.fileOffset);
        r_.U32(part.id);
        r_.U32(part.chunkCount);
        if (!Whole("part header")) {
            return false;
        }
        Where() += " (id " + Hex(part.id, 1, HexCase::Upper) + ")";
        // Every chunk takes at least its tag.
        if (!Fits(part.chunkCount, 4)) {
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
        return Checked(CheckSurPartFinite(part));
    }

    bool Hardpoints(SurPart& part) {
        uint32_t count = 0;
        if (!r_.U32(count)) {
            return Whole("\"hpid\" chunk");
        }
        if (!Fits(count, 4)) {
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
        Where() += ", surface at byte " + std::to_string(start);
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
            if (!Checked(CheckSurHullLinks(part, h))) {
                return false;
            }
        }
        return Checked(CheckSurNodeList(part));
    }

    bool Checked(const Status& check) { return check.Ok() || Fail(check.Reason()); }

    ByteReader& r_ = In();
    size_t partIndex_ = 0;
};

}  // namespace

Result<SurFile> ReadSurFile(std::span<const uint8_t> bytes) {
    return Parser(bytes).Run();
}

}  // namespace kx
