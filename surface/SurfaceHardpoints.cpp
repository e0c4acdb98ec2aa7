#include "surface/SurfaceHardpoints.h"

#include "container/NameHash.h"

namespace kx {

namespace {

// Tried in this order for the name; the shape is decided by another order.
constexpr std::string_view kNameKeywords[] = {"HpWeapon", "HpTorpedo", "HpCM",      "HpMine",
                                              "HpShield", "HpTurret",  "HpThruster"};

struct ShapeKeyword {
    std::string_view keyword;
    uint32_t shapeType;
};
constexpr ShapeKeyword kShapeKeywords[] = {{"HpWeapon", 1},  {"HpTorpedo", 2}, {"HpTurret", 4},
                                           {"HpCM", 3},      {"HpMine", 3},    {"HpShield", 3},
                                           {"HpThruster", 3}};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

uint32_t ShapeType(std::string_view meshName, std::string_view hardpointName) {
    for (const ShapeKeyword& k : kShapeKeywords) {
        if (meshName.find(k.keyword) == std::string_view::npos) {
            continue;
        }
        if (k.shapeType == 4 && meshName.find("HpTurret_") != std::string_view::npos) {
            // The turret class is the digit after "HpTurret_0".
            const char c = hardpointName.size() > 10 ? hardpointName[10] : 0;
            return c >= '1' && c <= '4' ? static_cast<uint32_t>(c - '1') + 5 : 4;
        }
        return k.shapeType;
    }
    return 4;
}

}  // namespace

std::optional<HardpointName> ClassifyHardpointName(std::string_view meshName) {
    for (std::string_view keyword : kNameKeywords) {
        const size_t at = meshName.find(keyword);
        if (at == std::string_view::npos) {
            continue;
        }
        HardpointName h;
        h.name = Trim(meshName.substr(at));
        h.shapeType = ShapeType(meshName, h.name);
        h.hp0 = meshName.starts_with("Hp0");
        return h;
    }
    return std::nullopt;
}

void PlaceHardpoint(const HostMeshRecord& marker, HardpointRecord& hardpoint) {
    const auto& v = marker.vertices;
    hardpoint.orientation = Identity3<float>();
    if (v.size() < 3) {
        hardpoint.position = {};
        if (!v.empty()) {
            Vec3 sum = v[0];
            if (v.size() == 2) {
                sum = Add(sum, v[1]);
            }
            const auto count = static_cast<float>(v.size());
            hardpoint.position = {sum[0] / count, sum[1] / count, sum[2] / count};
        }
        return;
    }
    hardpoint.position = Scale(Add(Add(v[0], v[1]), v[2]), 0.33333334f);
    const Vec3 n = Normalised(Cross(Sub(v[1], v[0]), Sub(v[2], v[0])));
    if (Dot(n, n) == 0.0f) {
        return;  // a marker triangle without area gives no direction: no turn
    }
    // Rows left unnormalised, as the game's own files hold them.
    if (-0.99999f < n[2] && n[2] < 0.99999f) {
        hardpoint.orientation = {{{n[1], n[0], 0.0f},
                                  {-n[0], n[1], n[2]},
                                  {n[2] * n[0], -n[2] * n[1], n[0] * n[0] + n[1] * n[1]}}};
    } else {
        hardpoint.orientation = {{{n[1] * n[1] + n[2] * n[2], n[0] * n[1], n[0] * n[2]},
                                  {-n[0], n[1], n[2]},
                                  {0.0f, -n[2], n[1]}}};
    }
}

Vec3 PlaceShapeVertex(const HardpointRecord& hardpoint, const Vec3& vertex) {
    return Add(Mul(hardpoint.orientation, vertex), hardpoint.position);
}

std::vector<std::vector<HardpointRecord>> CollectHardpoints(std::span<const HostMeshRecord> records,
                                                            std::span<const SurfaceBox> partBoxes,
                                                            uint16_t modelType) {
    std::vector<std::vector<HardpointRecord>> owned(partBoxes.size());
    if (partBoxes.empty()) {
        return owned;
    }
    const float t = modelType == 3 ? 0.0f : 0.2f;
    for (const HostMeshRecord& marker : records) {
        if (!marker.isHardpoint) {
            continue;
        }
        std::optional<HardpointName> classified = ClassifyHardpointName(marker.name);
        if (!classified) {
            continue;
        }
        HardpointRecord h;
        h.name = std::move(classified->name);
        h.id = h.name.empty() ? 0 : NameHash(h.name);
        h.shapeType = classified->shapeType;
        PlaceHardpoint(marker, h);

        // A marker without vertices stands at the origin: its box is that point.
        SurfaceBox markerBox = marker.box;
        if (marker.vertices.empty()) {
            markerBox = SurfaceBox{};
            markerBox.Extend(h.position);
        }
        size_t owner = 0;
        if (!classified->hp0) {
            for (size_t p = 1; p < partBoxes.size(); ++p) {
                const SurfaceBox& part = partBoxes[p];
                bool inside = true;
                for (int axis = 0; axis < 3; ++axis) {
                    inside = inside && part.lo[axis] - t <= markerBox.lo[axis] &&
                             markerBox.hi[axis] <= part.hi[axis] + t;
                }
                if (inside) {
                    owner = p;
                    break;
                }
            }
        }
        owned[owner].push_back(std::move(h));
    }
    return owned;
}

}  // namespace kx
