#pragma once
// The exporter's settings record: what the settings window collects and,
// byte for byte, what a .ces file holds. Both exporters read it.

#include <array>
#include <cstdint>

namespace kx {

enum class Orientation : int32_t { UpsideDown = 0, BackToFront = 1 };

enum class ModelType : uint16_t { Ship = 1, Cockpit = 2, Weapon = 3 };

// How the settings window ended: a new file, an update of an existing one,
// or cancelled.
enum class ExportMode : int32_t { Cancelled = 0, New = 1, Update = 2 };

inline constexpr int kMaxGroups = 18;
inline constexpr float kDefaultScale = 92.0f;

struct ExportSettings {
    int32_t integerScale = -1;  // -1: use floatScale; 1 or more: this divisor; else 92
    int32_t orientation = 0;    // 0 Upside Down, 1 Back To Front
    int32_t levelOfDetail = 0;  // 0 to 3
    int32_t groupCount = 1;     // 1 to 18
    std::array<int32_t, kMaxGroups> quantities{};
    uint16_t modelType = 1;  // ModelType values
    float fovX = 0.0f, fovY = 0.0f, zNear = 0.0f, zFar = 0.0f;
    float floatScale = kDefaultScale;

    bool operator==(const ExportSettings&) const = default;
};

// The divisor positions are divided by.
inline float ScaleDivisor(const ExportSettings& s) {
    if (s.integerScale >= 1) {
        return static_cast<float>(s.integerScale);
    }
    // A float scale of 0 or less (only a hand-edited .ces holds one) would
    // divide by zero or mirror the model; the default serves instead.
    if (s.integerScale == -1 && s.floatScale > 0.0f) {
        return s.floatScale;
    }
    return kDefaultScale;
}

// +1 for Back To Front, -1 for Upside Down: the factor on y and z.
inline float OrientationFactor(const ExportSettings& s) {
    return s.orientation == 1 ? 1.0f : -1.0f;
}

}  // namespace kx
