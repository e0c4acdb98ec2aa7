#pragma once
// Values shared by every step of the collision-surface export: the options a
// person chose, the boxes the steps measure, and the messages they leave for
// the person to see.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Vec.h"

namespace kx {

inline constexpr int kSurfaceMaxGroups = 18;

enum class CollisionKind : uint32_t { ShieldBubble = 2, ShrinkWrapped = 4 };

// The settings words the collision exporter uses, as plain values.
struct SurfaceOptions {
    int32_t integerScale = -1;  // -1 while floatScale is in force
    float floatScale = 92.0f;
    int32_t orientation = 0;  // 1 Back To Front (y and z kept), else Upside Down
    int32_t groupCount = 1;
    std::array<int32_t, kSurfaceMaxGroups> quantities{};
    uint16_t modelType = 0;  // 3 (Weapon) places hardpoints without tolerance
    CollisionKind collisionKind = CollisionKind::ShieldBubble;
    uint32_t shipMass = 100;
    bool reductionOff = false;
    // Each part hull the convex hull of its mesh, so every hull is closed.
    bool closedHulls = false;
};

// The divisor host positions are scaled by: the float scale when it is a
// usable number, else the integer scale, else 92. A float scale that is not
// finite (only a damaged settings file holds one) counts as unusable.
float SurfaceScaleDivisor(const SurfaceOptions& options);

// Groups in force: 1 (one part for the whole model) to 18.
int SurfaceGroupCount(const SurfaceOptions& options);

// An axis-aligned box as the exporter keeps it: lo and hi per axis. An empty
// box holds the sentinels the first extension replaces.
struct SurfaceBox {
    Vec3 lo{3.4028233e38f, 3.4028233e38f, 3.4028233e38f};
    Vec3 hi{-1.1754943e38f, -1.1754943e38f, -1.1754943e38f};

    void Extend(const Vec3& p) {
        for (int axis = 0; axis < 3; ++axis) {
            if (p[axis] < lo[axis]) {
                lo[axis] = p[axis];
            }
            if (p[axis] > hi[axis]) {
                hi[axis] = p[axis];
            }
        }
    }
    void Extend(const SurfaceBox& other) {
        for (int axis = 0; axis < 3; ++axis) {
            if (other.lo[axis] < lo[axis]) {
                lo[axis] = other.lo[axis];
            }
            if (other.hi[axis] > hi[axis]) {
                hi[axis] = other.hi[axis];
            }
        }
    }
    // lo + (hi - lo) * 0.5 per axis.
    Vec3 Midpoint() const {
        Vec3 m{};
        for (int axis = 0; axis < 3; ++axis) {
            m[axis] = lo[axis] + (hi[axis] - lo[axis]) * 0.5f;
        }
        return m;
    }
    // Distance from the midpoint to the hi corner.
    float HalfDiagonal() const {
        const Vec3 d = Sub(hi, Midpoint());
        return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    }
    // |hi - lo| per axis.
    Vec3 Extents() const {
        return {std::fabs(hi[0] - lo[0]), std::fabs(hi[1] - lo[1]), std::fabs(hi[2] - lo[2])};
    }
};

struct Sphere {
    Vec3 centre{};
    float radius = 0.0f;
};

// One message box: its text, caption and whether it carries the exclamation
// icon. The steps collect them in the order a person would see them.
struct SurfaceMessage {
    std::string text;
    std::string caption = "Error";
    bool exclamation = false;

    bool operator==(const SurfaceMessage&) const = default;
};
using SurfaceMessages = std::vector<SurfaceMessage>;

// printf-style formatting of one message line.
std::string FormatMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace kx
