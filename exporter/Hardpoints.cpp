#include "exporter/Hardpoints.h"

#include <algorithm>
#include <utility>

#include "base/Text.h"
#include "exporter/LeafData.h"

namespace kx {

namespace {

// "Hp" + one character + `kind` + one character, then the name; the name
// (possibly empty) is what follows that prefix.
constexpr size_t PatternLength(std::string_view kind) {
    return 2 + 1 + kind.size() + 1;
}

bool MatchesPattern(std::string_view name, std::string_view kind) {
    return name.size() > PatternLength(kind) && StartsWithIgnoringCase(name.substr(3), kind);
}

constexpr std::string_view kIdentityPrefixes[] = {"HpEngine", "HpMount",   "HpPilot", "HpCockpit",
                                                  "HpChair",  "HpConnect", "HpFire",  "HpFx"};

}  // namespace

Marker ClassifyMarker(std::string_view meshName) {
    if (!StartsWithIgnoringCase(meshName, "hp")) {
        return {};
    }
    constexpr std::pair<std::string_view, MarkerKind> kinds[] = {
        {"fixed", MarkerKind::Fixed},
        {"revolute", MarkerKind::Revolute},
        {"camera", MarkerKind::Camera},
    };
    for (const auto& [kind, value] : kinds) {
        if (MatchesPattern(meshName, kind)) {
            return {value, std::string(meshName.substr(PatternLength(kind)))};
        }
    }
    return {MarkerKind::Ignored, {}};
}

Vec3 MarkerPosition(const ExportMesh& marker) {
    const size_t n = marker.vertices.size() < 3 ? marker.vertices.size() : 3;
    Vec3 sum{};
    for (size_t i = 0; i < n; ++i) {
        sum = Add(sum, marker.vertices[i].position);
    }
    if (n == 3) {
        return Scale(sum, 0.33333334f);
    }
    if (n == 0) {
        return {};
    }
    const auto count = static_cast<float>(n);
    return {sum[0] / count, sum[1] / count, sum[2] / count};
}

Rotation HardpointOrientation(std::string_view hardpointName, const Vec3& position,
                              std::span<const ExportMesh> meshes) {
    for (std::string_view prefix : kIdentityPrefixes) {
        if (StartsWithIgnoringCase(hardpointName, prefix)) {
            return kIdentityRotation;
        }
    }
    float nearest = 999999.0f;
    const Vec3* normal = nullptr;
    for (const ExportMesh& mesh : meshes) {
        if (!mesh.Ordinary()) {
            continue;
        }
        for (size_t t = 0; t < mesh.triangles.size(); ++t) {
            Vec3 centre{};
            for (uint16_t index : mesh.triangles[t]) {
                if (index >= mesh.vertices.size()) {
                    continue;  // a broken index names no point; skip it
                }
                centre = Add(centre, mesh.vertices[index].position);
            }
            for (float& c : centre) {
                c /= 3.0f;
            }
            const float distance = Length(Sub(centre, position));
            if (distance < nearest) {
                nearest = distance;
                normal = &mesh.faceNormals[t];
            }
        }
    }
    if (!normal) {
        return kIdentityRotation;
    }
    const float nx = (*normal)[0], ny = (*normal)[1], nz = (*normal)[2];
    // Second row m = (-nx, ny, nz); the other two are built around it and
    // deliberately left unnormalised, as the game's own files are.
    if (-0.99999f < nz && nz < 0.99999f) {
        return {ny, nx, 0.0f, -nx, ny, nz, nx * nz, -ny * nz, nx * nx + ny * ny};
    }
    return {ny * ny + nz * nz, nx * ny, nx * nz, -nx, ny, nz, 0.0f, -nz, ny};
}

void WriteHardpoint(UtfTree& tree, UtfNode* hardpoints, const Marker& marker,
                    const ExportMesh& mesh, std::span<const ExportMesh> meshes,
                    const Vec3& partOrigin) {
    const bool revolute = marker.kind == MarkerKind::Revolute;
    UtfNode* folder = tree.FindOrAddChild(hardpoints, revolute ? "Revolute" : "Fixed");
    // The game takes names differing only in case for one hardpoint: the
    // later marker's values go into the node already there.
    const auto& siblings = folder->Children();
    auto same = std::find_if(siblings.begin(), siblings.end(), [&](const UtfNode* n) {
        return SameIgnoringCase(n->Name(), marker.name);
    });
    UtfNode* node = same != siblings.end() ? *same : tree.AddChild(folder, marker.name);
    if (revolute) {
        const bool turret = StartsWithIgnoringCase(marker.name, "HpTurret");
        tree.SetData(tree.FindOrAddChild(node, "Axis"), FloatsLeaf({0.0f, 1.0f, 0.0f}));
        tree.SetData(tree.FindOrAddChild(node, "Max"), FloatLeaf(turret ? 6.283185f : 0.78538f));
        tree.SetData(tree.FindOrAddChild(node, "Min"), FloatLeaf(turret ? -6.283185f : -0.7854f));
    }
    // The nearest surface is looked for in model space, where the meshes are.
    const Vec3 position = MarkerPosition(mesh);
    tree.SetData(tree.FindOrAddChild(node, "Orientation"),
                 FloatsLeaf(HardpointOrientation(marker.name, position, meshes)));
    tree.SetData(tree.FindOrAddChild(node, "Position"), FloatsLeaf(Sub(position, partOrigin)));
}

CockpitCamera FindCockpitCamera(std::span<const ExportMesh> meshes) {
    for (const ExportMesh& mesh : meshes) {
        Marker marker = ClassifyMarker(mesh.name);
        if (marker.kind == MarkerKind::Camera) {
            return {marker.name, MarkerPosition(mesh)};
        }
    }
    return {};
}

}  // namespace kx
