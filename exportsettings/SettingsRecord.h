#pragma once
// The export settings record: what the model exporter's settings window
// collects and a .ces file stores. Both exporters read it; each applies its
// own rules to the values, so the fields hold whatever a file held.

#include <array>
#include <cstdint>

namespace kx {

// The stored orientation: how y and z are turned on the way out.
enum class Orientation : int32_t { UpsideDown = 0, BackToFront = 1 };

// The stored model type.
enum class ModelType : uint16_t { Ship = 1, Cockpit = 2, Weapon = 3 };

// The number the record stores for a named value.
constexpr int32_t StoredValue(Orientation o) {
    return static_cast<int32_t>(o);
}
constexpr uint16_t StoredValue(ModelType t) {
    return static_cast<uint16_t>(t);
}

inline constexpr int kMaxGroups = 18;
inline constexpr float kDefaultScale = 92.0f;
// The integer scale that hands the divisor to the float scale.
inline constexpr int32_t kUseFloatScale = -1;

struct ExportSettings {
    int32_t integerScale = kUseFloatScale;  // else 1 or more: this divisor; anything else: 92
    int32_t orientation = StoredValue(Orientation::UpsideDown);
    int32_t levelOfDetail = 0;  // 0 to 3
    int32_t groupCount = 1;     // 1 to 18
    std::array<int32_t, kMaxGroups> quantities{};
    uint16_t modelType = StoredValue(ModelType::Ship);
    // The cockpit camera's; 0 for other model types.
    float fovX = 0.0f, fovY = 0.0f, zNear = 0.0f, zFar = 0.0f;
    float floatScale = kDefaultScale;

    bool operator==(const ExportSettings&) const = default;
};

}  // namespace kx
