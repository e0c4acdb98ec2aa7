#include "ms3d/Ms3dRead.h"

#include <cstring>
#include <string>

#include "container/CheckedReader.h"

namespace kx {

namespace {

constexpr size_t kGroupMinSize = 1 + kMs3dNameWidth + 2 + 1;
constexpr size_t kCommentMinSize = 8;

class Parser : CheckedReader {
  public:
    explicit Parser(std::span<const uint8_t> bytes) : CheckedReader(bytes) {}

    Result<Ms3dFile> Run() {
        if (Header() && Vertices() && Triangles() && Groups() && Materials() && Animation() &&
            Joints() && Trailer()) {
            return std::move(f_);
        }
        return Failure();
    }

  private:
    // After a run of fields of the section being read.
    bool Whole() { return CheckedReader::Whole(section_); }
    bool Fits(size_t count, size_t size, const std::string& what) {
        return CheckedReader::Fits(count, size) ||
               Fail(std::to_string(count) + " " + what + " run past the end of the file (" +
                    std::to_string(r_.Remaining()) + " bytes left)");
    }
    uint16_t Count(const char* section) {
        section_ = section;
        uint16_t n = 0;
        r_.U16(n);
        return n;
    }
    void Floats(float* v, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            r_.F32(v[i]);
        }
    }
    int8_t Signed8() {
        uint8_t b = 0;
        r_.U8(b);
        return static_cast<int8_t>(b);
    }

    bool Header() {
        section_ = "header";
        std::span<const uint8_t> magic;
        int32_t version = 0;
        if (!r_.Bytes(10, magic) || std::memcmp(magic.data(), kMs3dMagic, 10) != 0) {
            return Fail("not a model file (no MS3D000000 header)", Fault::WrongKind);
        }
        r_.I32(version);
        if (!Whole()) {
            return false;
        }
        if (version != kMs3dVersion) {
            return Fail("unsupported version " + std::to_string(version) + " (only 4 is read)",
                        Fault::WrongKind);
        }
        return true;
    }

    bool Vertices() {
        uint16_t n = Count("vertices");
        if (!Whole() || !Fits(n, kMs3dVertexSize, "vertices")) {
            return false;
        }
        f_.vertices.resize(n);
        for (Ms3dVertex& v : f_.vertices) {
            r_.U8(v.flags);
            Floats(v.position.data(), 3);
            v.boneId = Signed8();
            r_.U8(v.referenceCount);
        }
        return Whole();
    }

    bool Triangles() {
        uint16_t n = Count("triangles");
        if (!Whole() || !Fits(n, kMs3dTriangleSize, "triangles")) {
            return false;
        }
        f_.triangles.resize(n);
        for (Ms3dTriangle& t : f_.triangles) {
            r_.U16(t.flags);
            for (uint16_t& v : t.vertices) {
                r_.U16(v);
            }
            for (auto& normal : t.normals) {
                Floats(normal.data(), 3);
            }
            Floats(t.s.data(), 3);
            Floats(t.t.data(), 3);
            r_.U8(t.smoothingGroup);
            r_.U8(t.groupIndex);
        }
        if (!Whole()) {
            return false;
        }
        for (size_t i = 0; i < n; ++i) {
            for (uint16_t v : f_.triangles[i].vertices) {
                if (v >= f_.vertices.size()) {
                    return Fail("triangle " + std::to_string(i) + " uses vertex " +
                                std::to_string(v) + ", the file has " +
                                std::to_string(f_.vertices.size()) + " vertices");
                }
            }
        }
        return true;
    }

    bool Groups() {
        uint16_t n = Count("groups");
        if (!Whole() || !Fits(n, kGroupMinSize, "groups")) {
            return false;
        }
        f_.groups.resize(n);
        for (size_t i = 0; i < n; ++i) {
            Ms3dGroup& g = f_.groups[i];
            r_.U8(g.flags);
            r_.FixedText(kMs3dNameWidth, g.name);
            uint16_t count = 0;
            r_.U16(count);
            if (!Whole() || !Fits(count, 2, "triangle indices of group " + Describe(i))) {
                return false;
            }
            g.triangles.resize(count);
            for (uint16_t& t : g.triangles) {
                r_.U16(t);
                if (t >= f_.triangles.size()) {
                    return Fail("group " + Describe(i) + " lists triangle " + std::to_string(t) +
                                ", the file has " + std::to_string(f_.triangles.size()) +
                                " triangles");
                }
            }
            g.material = Signed8();
        }
        return Whole();
    }

    bool Materials() {
        uint16_t n = Count("materials");
        if (!Whole() || !Fits(n, kMs3dMaterialSize, "materials")) {
            return false;
        }
        f_.materials.resize(n);
        for (Ms3dMaterial& m : f_.materials) {
            r_.FixedText(kMs3dNameWidth, m.name);
            Floats(m.ambient.data(), 4);
            Floats(m.diffuse.data(), 4);
            Floats(m.specular.data(), 4);
            Floats(m.emissive.data(), 4);
            r_.F32(m.shininess);
            r_.F32(m.transparency);
            r_.U8(m.mode);
            r_.FixedText(kMs3dPathWidth, m.texture);
            r_.FixedText(kMs3dPathWidth, m.alphaMap);
        }
        if (!Whole()) {
            return false;
        }
        for (size_t i = 0; i < f_.groups.size(); ++i) {
            int material = f_.groups[i].material;
            if (material < -1 || material >= static_cast<int>(n)) {
                return Fail("group " + Describe(i) + " uses material " + std::to_string(material) +
                            ", the file has " + std::to_string(n) + " materials");
            }
        }
        return true;
    }

    bool Animation() {
        section_ = "animation fields";
        r_.F32(f_.animationFps);
        r_.F32(f_.currentTime);
        r_.I32(f_.totalFrames);
        return Whole();
    }

    bool Joints() {
        uint16_t n = Count("joints");
        if (!Whole() || !Fits(n, kMs3dJointSize, "joints")) {
            return false;
        }
        for (size_t i = 0; i < n; ++i) {
            // Flags, name, parent name, rotation and position are not kept.
            r_.Skip(1 + 2 * kMs3dNameWidth + 6 * 4);
            uint16_t rotations = 0, translations = 0;
            r_.U16(rotations);
            r_.U16(translations);
            if (!Whole() || !Fits(size_t{rotations} + translations, kMs3dKeyFrameSize,
                                  "key frames of joint " + std::to_string(i))) {
                return false;
            }
            r_.Skip((size_t{rotations} + translations) * kMs3dKeyFrameSize);
        }
        f_.skipped.joints = n;
        return true;
    }

    // The trailer is optional as a whole, and each of its four parts may be
    // missing from the end on; a part that is there must be whole.
    bool Trailer() {
        if (r_.Remaining() == 0) {
            return true;
        }
        f_.skipped.trailer = true;
        if (!SubVersion("comments", {1}) || !Comments(f_.groups.size(), "group") ||
            !Comments(f_.materials.size(), "material") || !Comments(f_.skipped.joints, "joint") ||
            !ModelComment()) {
            return false;
        }
        if (r_.Remaining() == 0) {
            return true;
        }
        // Three bone ids and three weights, then one 32-bit extra value for
        // sub-version 2 and two for sub-version 3.
        constexpr size_t kVertexExtraSize[] = {0, 6, 10, 14};
        int32_t vertexExtra = 0;
        if (!SubVersion("vertex extras", {1, 2, 3}, &vertexExtra) ||
            !SkipRecords(f_.vertices.size(), kVertexExtraSize[vertexExtra], "vertex extras")) {
            return false;
        }
        f_.skipped.vertexExtraSubVersion = vertexExtra;
        if (r_.Remaining() == 0) {
            return true;
        }
        if (!SubVersion("joint extras", {1}) ||
            !SkipRecords(f_.skipped.joints, 12, "joint extras")) {
            return false;
        }
        if (r_.Remaining() == 0) {
            return true;
        }
        // Joint size, transparency mode and alpha reference; bytes after them
        // belong to no part this reader knows and are left alone.
        return SubVersion("model extras", {1}) && SkipRecords(1, 12, "model extras");
    }

    bool SubVersion(const char* section, std::initializer_list<int32_t> known,
                    int32_t* out = nullptr) {
        section_ = section;
        int32_t v = 0;
        if (!r_.I32(v)) {
            return Whole();
        }
        for (int32_t k : known) {
            if (v == k) {
                if (out) {
                    *out = v;
                }
                return true;
            }
        }
        return Fail(std::string("unsupported ") + section + " sub-version " + std::to_string(v),
                    Fault::Refused);
    }

    bool SkipRecords(size_t count, size_t size, const char* what) {
        if (!Fits(count, size, what)) {
            return false;
        }
        r_.Skip(count * size);
        return Whole();
    }

    // A comment count, then per comment: the index of what it belongs to, a
    // length, and that many bytes.
    bool Comments(size_t items, const char* kind) {
        int32_t count = 0;
        r_.I32(count);
        if (!Whole()) {
            return false;
        }
        std::string what = std::string(kind) + " comments";
        if (count < 0) {
            return Fail("negative number of " + what);
        }
        if (!Fits(static_cast<size_t>(count), kCommentMinSize, what)) {
            return false;
        }
        for (int32_t i = 0; i < count; ++i) {
            int32_t index = 0;
            r_.I32(index);
            if (!Whole()) {
                return false;
            }
            if (index < 0 || static_cast<size_t>(index) >= items) {
                return Fail(std::string(kind) + " comment for " + kind + " " +
                            std::to_string(index) + ", the file has " + std::to_string(items) +
                            " " + kind + "s");
            }
            if (!CommentText(std::string(kind) + " comment")) {
                return false;
            }
        }
        return true;
    }

    // The model comment has no index: a count (0 or 1), then length and text.
    bool ModelComment() {
        int32_t count = 0;
        r_.I32(count);
        if (!Whole()) {
            return false;
        }
        if (count < 0 || count > 1) {
            return Fail("model comment count " + std::to_string(count) + " (0 or 1 expected)");
        }
        return count == 0 || CommentText("model comment");
    }

    bool CommentText(const std::string& what) {
        int32_t length = 0;
        r_.I32(length);
        if (!Whole()) {
            return false;
        }
        if (length < 0 || static_cast<size_t>(length) > r_.Remaining()) {
            return Fail("a " + what + " of " + std::to_string(length) +
                        " bytes does not fit in the file");
        }
        return r_.Skip(static_cast<size_t>(length));
    }

    std::string Describe(size_t group) const {
        return std::to_string(group) + " ('" + f_.groups[group].name + "')";
    }

    ByteReader& r_ = In();
    Ms3dFile f_;
    const char* section_ = "header";
};

}  // namespace

Result<Ms3dFile> ParseMs3d(std::span<const uint8_t> bytes) {
    return Parser(bytes).Run();
}

}  // namespace kx
