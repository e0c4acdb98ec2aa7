#include "ms3d/Ms3dWrite.h"

#include "container/ByteWriter.h"

namespace kx {

namespace {

void Floats(ByteWriter& w, const float* v, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        w.F32(v[i]);
    }
}

void Count(ByteWriter& w, size_t n) {
    w.U16(static_cast<uint16_t>(n));
}

}  // namespace

std::vector<uint8_t> SerializeMs3d(const Ms3dFile& file) {
    ByteWriter w;
    w.Bytes(kMs3dMagic, 10);
    w.I32(kMs3dVersion);

    Count(w, file.vertices.size());
    for (const Ms3dVertex& v : file.vertices) {
        w.U8(v.flags);
        Floats(w, v.position.data(), 3);
        w.U8(static_cast<uint8_t>(v.boneId));
        w.U8(v.referenceCount);
    }

    Count(w, file.triangles.size());
    for (const Ms3dTriangle& t : file.triangles) {
        w.U16(t.flags);
        for (uint16_t v : t.vertices) {
            w.U16(v);
        }
        for (const auto& normal : t.normals) {
            Floats(w, normal.data(), 3);
        }
        Floats(w, t.s.data(), 3);
        Floats(w, t.t.data(), 3);
        w.U8(t.smoothingGroup);
        w.U8(t.groupIndex);
    }

    Count(w, file.groups.size());
    for (const Ms3dGroup& g : file.groups) {
        w.U8(g.flags);
        w.FixedText(g.name, kMs3dNameWidth);
        Count(w, g.triangles.size());
        for (uint16_t t : g.triangles) {
            w.U16(t);
        }
        w.U8(static_cast<uint8_t>(g.material));
    }

    Count(w, file.materials.size());
    for (const Ms3dMaterial& m : file.materials) {
        w.FixedText(m.name, kMs3dNameWidth);
        Floats(w, m.ambient.data(), 4);
        Floats(w, m.diffuse.data(), 4);
        Floats(w, m.specular.data(), 4);
        Floats(w, m.emissive.data(), 4);
        w.F32(m.shininess);
        w.F32(m.transparency);
        w.U8(m.mode);
        w.FixedText(m.texture, kMs3dPathWidth);
        w.FixedText(m.alphaMap, kMs3dPathWidth);
    }

    w.F32(file.animationFps);
    w.F32(file.currentTime);
    w.I32(file.totalFrames);
    Count(w, 0);  // joints
    return w.Take();
}

}  // namespace kx
