#include "surface/SurfaceHulls.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "meshutil/VertexFormat.h"
#include "surface/GiftWrap.h"
#include "surface/HardpointShapes.h"
#include "surface/HullClosure.h"

namespace kx {

namespace {

constexpr float kEnlarge = 1.2f;
constexpr float kSingleRootEnlarge = 1.44f;

enum class HardpointTags { PerRecord, SingleModel };

float FiniteOrZero(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

Vec3 FiniteOrZero(const Vec3& v) {
    return {FiniteOrZero(v[0]), FiniteOrZero(v[1]), FiniteOrZero(v[2])};
}

float InertiaFactor(const SurfaceBox& box, float density) {
    const Vec3 e = box.Extents();
    return e[0] * e[1] * e[2] * density * 0.031080997f * 0.083333336f;
}

std::vector<std::array<uint32_t, 3>> MeshFaces(const meshutil::TriMesh& mesh) {
    std::vector<std::array<uint32_t, 3>> faces(mesh.GetFaceCount());
    for (uint32_t f = 0; f < faces.size(); ++f) {
        for (int c = 0; c < 3; ++c) {
            faces[f][c] = mesh.Index(size_t{3} * f + c);
        }
    }
    return faces;
}

std::vector<Vec3> MeshPositions(const meshutil::TriMesh& mesh) {
    std::vector<Vec3> positions(mesh.GetVertexCount());
    for (uint32_t v = 0; v < positions.size(); ++v) {
        positions[v] = mesh.Position(v);
    }
    return positions;
}

class PartBuilder {
  public:
    PartBuilder(SurfacePart& part, const SurfaceModel& model) : part_(part), model_(model) {}

    uint32_t AddMeshHull(const PartMeshRecord& record) {
        const uint32_t hull = part_.AddHull(kHullOrdinary, record.id);
        const meshutil::TriMesh& mesh = *record.mesh;
        const uint32_t base = part_.VertexCount();
        if (record.closedHullTooLarge) {
            part_.Hull(hull).overflowed = true;
            return hull;
        }
        if (!record.closedHull) {
            for (uint32_t v = 0; v < mesh.GetVertexCount(); ++v) {
                part_.AddVertex(mesh.Position(v), record.id);
            }
            AddFaces(hull, MeshFaces(mesh), base);
            return hull;
        }
        // Only the vertices on the hull, in mesh order.
        std::vector<bool> onHull(mesh.GetVertexCount(), false);
        for (const auto& face : *record.closedHull) {
            for (uint32_t v : face) {
                onHull[v] = true;
            }
        }
        std::vector<uint32_t> slot(mesh.GetVertexCount(), 0);
        for (uint32_t v = 0; v < mesh.GetVertexCount(); ++v) {
            if (onHull[v]) {
                slot[v] = part_.AddVertex(mesh.Position(v), record.id) - base;
            }
        }
        std::vector<std::array<uint32_t, 3>> faces = *record.closedHull;
        for (auto& face : faces) {
            for (uint32_t& v : face) {
                v = slot[v];
            }
        }
        AddFaces(hull, faces, base);
        return hull;
    }

    // Leaves the shield's vertex range for the squash.
    uint32_t AddShieldHull(const meshutil::TriMesh& sphere) {
        const uint32_t hull = part_.AddHull(kHullOrdinary, kShieldId);
        shieldFirst_ = part_.VertexCount();
        const uint32_t stride = meshutil::VertexFormatSize(sphere.GetVertexFormat());
        for (uint32_t v = 0; v < sphere.GetVertexCount(); ++v) {
            Vec3 p;
            std::memcpy(p.data(), sphere.VertexBytes() + size_t{v} * stride, sizeof p);
            part_.AddVertex(Add(p, model_.sphere.centre), kShieldId);
        }
        shieldEnd_ = part_.VertexCount();
        AddFaces(hull, MeshFaces(sphere), shieldFirst_);
        SurfaceHull& h = part_.Hull(hull);
        LinkTriangles(h.triangles);
        h.linked = true;

        BoundingNode group;
        group.centre = model_.sphere.centre;
        group.radius = kSingleRootEnlarge * model_.sphere.radius;
        group.tag = kShieldNodeTag >> 1;
        part_.AppendGroupNode(group);
        BoundingNode node;
        node.centre = model_.sphere.centre;
        node.radius = kEnlarge * model_.sphere.radius;
        node.tag = kShieldNodeTag;
        part_.AppendHullNode(node, hull);
        part_.hardpointIds.push_back(kShieldId);
        return hull;
    }

    void AddHardpointHulls(const PartMeshRecord& record, HardpointTags tags) {
        if (record.hardpoints.empty()) {
            return;
        }
        part_.hardpointListPresent = true;
        for (size_t k = 0; k < record.hardpoints.size(); ++k) {
            const HardpointRecord& h = record.hardpoints[k];
            const uint32_t tag = tags == HardpointTags::SingleModel
                                     ? h.id & 0xFFFFFFu
                                     : (h.id >> 2) + static_cast<uint32_t>(k);
            AddHardpointHull(h, tag);
        }
    }

    // The mesh hull's node: the record's (already enlarged) sphere.
    static BoundingNode MeshNode(const PartMeshRecord& record) {
        BoundingNode node;
        node.centre = record.sphere.centre;
        node.radius = record.sphere.radius;
        node.tag = record.id >> 2;
        return node;
    }

    // A group node over a further record's mesh hull, then the hull node.
    void AppendGroupAndMeshNodes(const PartMeshRecord& record, uint32_t hull) {
        const BoundingNode node = MeshNode(record);
        BoundingNode group;
        group.centre = node.centre;
        group.radius = kEnlarge * node.radius;
        group.tag = (record.id >> 2) >> 1;
        part_.AppendGroupNode(group);
        part_.AppendHullNode(node, hull);
    }

    // The shield's triangles again, as the outer hull, or the gift wrap of
    // every vertex of the part.
    uint32_t AddWrapHull(std::optional<uint32_t> shieldHull) {
        const uint32_t hull = part_.AddHull(kHullWrap, 0);
        SurfaceHull& wrap = part_.Hull(hull);
        if (shieldHull) {
            wrap.triangles = part_.Hull(*shieldHull).triangles;
            for (HullTriangle& t : wrap.triangles) {
                t.flags = (t.flags & 0x00FFFFFFu) | kFlagsWrap;
                for (uint16_t& e : t.edges) {
                    e |= kEdgeWrapBit;
                }
            }
            wrap.linked = true;
            return hull;
        }
        std::vector<Vec3> positions;
        positions.reserve(part_.VertexCount());
        for (const SurfaceVertex& v : part_.Vertices()) {
            positions.push_back(v.position);
        }
        const auto wrapped = WrapHullFaces(positions, kMaxHullTriangles);
        if (!wrapped) {
            wrap.overflowed = true;
            return hull;
        }
        const auto& faces = *wrapped;
        wrap.triangles.reserve(faces.size());
        for (size_t i = 0; i < faces.size(); ++i) {
            HullTriangle t;
            t.flags = kFlagsWrap | static_cast<uint32_t>(i);
            t.vertices = faces[i];
            t.edges = {kEdgeWrapBit, kEdgeWrapBit, kEdgeWrapBit};
            t.normal = TriangleNormal(positions[faces[i][0]], positions[faces[i][1]],
                                      positions[faces[i][2]]);
            wrap.triangles.push_back(t);
        }
        return hull;
    }

    void SquashShieldVertices(const SurfaceBox& modelBox) {
        auto& vertices = part_.Vertices();
        SquashShield(std::span(vertices).subspan(shieldFirst_, shieldEnd_ - shieldFirst_),
                     modelBox);
    }

  private:
    // Faces over vertices from `base` on.
    void AddFaces(uint32_t hull, std::span<const std::array<uint32_t, 3>> faces, uint32_t base) {
        auto& triangles = part_.Hull(hull).triangles;
        triangles.reserve(triangles.size() + faces.size());
        for (uint32_t f = 0; f < faces.size(); ++f) {
            HullTriangle t;
            t.flags = f;
            for (int c = 0; c < 3; ++c) {
                t.vertices[c] = faces[f][c] + base;
            }
            const auto& v = part_.Vertices();
            t.normal = TriangleNormal(v[t.vertices[0]].position, v[t.vertices[1]].position,
                                      v[t.vertices[2]].position);
            triangles.push_back(t);
        }
    }

    void AddHardpointHull(const HardpointRecord& h, uint32_t tag) {
        const HardpointShape& shape = GetHardpointShape(h.shapeType);
        const uint32_t hull = part_.AddHull(kHullOrdinary, h.id);
        const uint32_t base = part_.VertexCount();
        SurfaceHull& target = part_.Hull(hull);
        target.triangles = shape.triangles;
        for (HullTriangle& t : target.triangles) {
            for (uint32_t& v : t.vertices) {
                v += base;
            }
        }
        target.linked = true;
        SurfaceBox box;
        for (const Vec3& v : shape.vertices) {
            const Vec3 p = PlaceShapeVertex(h, v);
            part_.AddVertex(p, h.id);
            box.Extend(p);
        }
        BoundingNode node;
        node.centre = box.Midpoint();
        node.radius = kEnlarge * box.HalfDiagonal();
        node.tag = tag;
        part_.AppendHullNode(node, hull);
        part_.hardpointIds.push_back(h.id);
    }

    SurfacePart& part_;
    const SurfaceModel& model_;
    uint32_t shieldFirst_ = 0;
    uint32_t shieldEnd_ = 0;
};

// The root part of a model of several groups: every group's mesh, the
// shield and every group's hardpoints, wrapped as one.
SurfacePart BuildRootPart(std::span<const PartMeshRecord> records, const meshutil::TriMesh* shield,
                          const SurfaceOptions& options, const SurfaceModel& model,
                          float& density) {
    SurfacePart part;
    PartBuilder b(part, model);
    const PartMeshRecord& first = records[0];
    part.fixed = true;
    part.id = first.id;
    part.partCode = 0xCF;
    part.centre = model.sphere.centre;
    part.radius = model.sphere.radius;

    part.AppendHullNode(PartBuilder::MeshNode(first), b.AddMeshHull(first));
    density = BoxDensity(static_cast<float>(options.shipMass), first.box);
    Vec3 inertia = BoxInertia(first.box, density);
    std::optional<uint32_t> shieldHull;
    if (shield) {
        shieldHull = b.AddShieldHull(*shield);
    }
    b.AddHardpointHulls(first, HardpointTags::PerRecord);
    for (const PartMeshRecord& record : records.subspan(1)) {
        b.AppendGroupAndMeshNodes(record, b.AddMeshHull(record));
        inertia = Add(inertia, OffsetInertia(record.box, density,
                                             Sub(record.sphere.centre, first.sphere.centre)));
        b.AddHardpointHulls(record, HardpointTags::PerRecord);
    }

    BoundingNode root;
    root.centre = model.sphere.centre;
    root.radius = kEnlarge * model.sphere.radius;
    root.tag = kRootNodeTag;
    part.InsertRootNode(root, b.AddWrapHull(shieldHull));

    part.box = model.box;
    if (shield) {
        b.SquashShieldVertices(model.box);
    }
    part.inertia = FiniteOrZero(inertia);
    return part;
}

// A further group's own part: its mesh, and with hardpoints their hulls and
// its own wrap.
SurfacePart BuildOtherPart(const PartMeshRecord& record, float density, const SurfaceModel& model) {
    SurfacePart part;
    PartBuilder b(part, model);
    part.id = record.id;
    part.box = record.box;
    part.centre = record.sphere.centre;
    part.radius = record.sphere.radius;
    part.partCode = 0xF5;

    part.AppendHullNode(PartBuilder::MeshNode(record), b.AddMeshHull(record));
    if (!record.hardpoints.empty()) {
        b.AddHardpointHulls(record, HardpointTags::PerRecord);
        BoundingNode root = PartBuilder::MeshNode(record);
        part.InsertRootNode(root, b.AddWrapHull(std::nullopt));
    }
    part.inertia = FiniteOrZero(BoxInertia(record.box, density));
    return part;
}

// The one part of a single-group model: a mesh hull per included host mesh.
SurfacePart BuildSingleModelPart(std::span<const PartMeshRecord> records,
                                 const meshutil::TriMesh* shield, const SurfaceOptions& options,
                                 const SurfaceModel& model) {
    SurfacePart part;
    PartBuilder b(part, model);
    part.fixed = true;
    part.id = records[0].id;
    part.partCode = 0xCF;
    part.centre = model.sphere.centre;
    part.radius = model.sphere.radius;

    Vec3 inertia{};
    float density = 0.0f;
    std::optional<uint32_t> shieldHull;
    for (size_t i = 0; i < records.size(); ++i) {
        const PartMeshRecord& record = records[i];
        const uint32_t hull = b.AddMeshHull(record);
        if (i == 0) {
            part.AppendHullNode(PartBuilder::MeshNode(record), hull);
            density = BoxDensity(static_cast<float>(options.shipMass), model.box);
            inertia = BoxInertia(record.box, density);
            if (shield) {
                shieldHull = b.AddShieldHull(*shield);
            }
        } else {
            b.AppendGroupAndMeshNodes(record, hull);
            inertia = Add(inertia, OffsetInertia(record.box, density,
                                                 Sub(record.sphere.centre, model.sphere.centre)));
        }
        b.AddHardpointHulls(record, HardpointTags::SingleModel);
    }

    BoundingNode root;
    root.centre = model.sphere.centre;
    root.radius = kSingleRootEnlarge * model.sphere.radius;
    root.tag = kRootNodeTag;
    part.InsertRootNode(root, b.AddWrapHull(shieldHull));

    part.box = model.box;
    part.inertia = FiniteOrZero(inertia);
    if (shield) {
        b.SquashShieldVertices(model.box);
    }
    return part;
}

}  // namespace

float BoxDensity(float mass, const SurfaceBox& box) {
    const Vec3 e = box.Extents();
    const float volume = e[0] * e[1] * e[2];
    // A flat or empty box holds no mass: zero, not an infinite density.
    if (!(volume > 0.0f) || !std::isfinite(volume)) {
        return 0.0f;
    }
    return FiniteOrZero(mass / volume);
}

Vec3 BoxInertia(const SurfaceBox& box, float density) {
    const float k = InertiaFactor(box, density);
    const Vec3 e = box.Extents();
    return {(e[1] * e[1] + e[2] * e[2]) * k, (e[0] * e[0] + e[2] * e[2]) * k,
            (e[0] * e[0] + e[1] * e[1]) * k};
}

Vec3 OffsetInertia(const SurfaceBox& box, float density, const Vec3& r) {
    const float k = InertiaFactor(box, density);
    return {(r[1] * r[1] + r[2] * r[2]) * k, (r[0] * r[0] + r[2] * r[2]) * k,
            (r[0] * r[0] + r[1] * r[1]) * k};
}

void SquashShield(std::span<SurfaceVertex> shieldVertices, const SurfaceBox& modelBox) {
    const Vec3 m = modelBox.Midpoint();
    const Vec3 positive = Sub(modelBox.hi, m);
    const Vec3 negative = Sub(m, modelBox.lo);
    const float largestPositive = std::max(std::max(positive[0], positive[1]), positive[2]);
    const float largestNegative = std::max(std::max(negative[0], negative[1]), negative[2]);
    auto factors = [](const Vec3& half, float largest) {
        // A model box of no size leaves the sphere round.
        Vec3 f{1.0f, 1.0f, 1.0f};
        if (largest > 0.0f) {
            for (int axis = 0; axis < 3; ++axis) {
                f[axis] = half[axis] / largest;
                if (f[axis] < 0.8333333f) {
                    f[axis] *= 1.2f;
                }
            }
        }
        return f;
    };
    const Vec3 up = factors(positive, largestPositive);
    const Vec3 down = factors(negative, largestNegative);
    for (SurfaceVertex& v : shieldVertices) {
        for (int axis = 0; axis < 3; ++axis) {
            v.position[axis] *= v.position[axis] > m[axis] ? up[axis] : down[axis];
        }
    }
}

void BuildClosedHulls(std::span<PartMeshRecord> records) {
    for (PartMeshRecord& record : records) {
        auto faces = WrapHullFaces(MeshPositions(*record.mesh), kMaxHullTriangles);
        record.closedHullTooLarge = !faces;
        // Points on one line have no hull: the mesh's own triangles stay.
        if (faces && !faces->empty()) {
            record.closedHull = std::move(*faces);
        }
    }
}

std::vector<std::string> OpenHullGroups(std::span<const PartMeshRecord> records) {
    std::vector<std::string> groups;
    for (const PartMeshRecord& record : records) {
        const bool closed = record.closedHull ? IsClosedHull(*record.closedHull)
                                              : IsClosedHull(MeshFaces(*record.mesh));
        if (!closed && !record.closedHullTooLarge) {
            groups.insert(groups.end(), record.groups.begin(), record.groups.end());
        }
    }
    return groups;
}

std::vector<SurfacePart> BuildSurfaceParts(PreparedMeshes& meshes, const SurfaceOptions& options,
                                           const SurfaceModel& model) {
    std::vector<SurfacePart> parts;
    if (meshes.parts.empty()) {
        return parts;
    }
    const meshutil::TriMesh* shield =
        options.collisionKind == CollisionKind::ShieldBubble ? meshes.shield.get() : nullptr;
    if (SurfaceGroupCount(options) == 1) {
        parts.push_back(BuildSingleModelPart(meshes.parts, shield, options, model));
        return parts;
    }
    float density = 0.0f;
    parts.push_back(BuildRootPart(meshes.parts, shield, options, model, density));
    for (const PartMeshRecord& record : std::span(meshes.parts).subspan(1)) {
        parts.push_back(BuildOtherPart(record, density, model));
    }
    return parts;
}

}  // namespace kx
