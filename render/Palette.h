#pragma once
// The colours of a picture, as red, green, blue from 0 to 1.

#include <array>
#include <cstddef>
#include <cstdint>

#include "render/RenderScene.h"

namespace kx {

struct Colour {
    float r = 0, g = 0, b = 0;
};

// 0xRRGGBB of the background, which tests look for.
inline constexpr uint32_t kBackgroundRgb = 0x22262E;
inline constexpr Colour kBackground{0x22 / 255.0f, 0x26 / 255.0f, 0x2E / 255.0f};
inline constexpr Colour kDivider{0.42f, 0.45f, 0.50f};
inline constexpr Colour kText{0.93f, 0.94f, 0.96f};

// Hardpoint axes: x red, y green, z blue (drawn along -z, where the
// hardpoint points).
inline constexpr std::array<Colour, 3> kAxisColours{
    {{1.0f, 0.32f, 0.30f}, {0.35f, 0.95f, 0.35f}, {0.35f, 0.60f, 1.0f}}};

// Group colours repeat after a dozen; neighbours in a model differ most.
inline constexpr std::array<Colour, 12> kGroupColours{{
    {0.62f, 0.66f, 0.74f},  // steel
    {0.85f, 0.55f, 0.30f},  // orange
    {0.45f, 0.72f, 0.42f},  // green
    {0.45f, 0.58f, 0.90f},  // blue
    {0.88f, 0.78f, 0.40f},  // ochre
    {0.72f, 0.46f, 0.78f},  // purple
    {0.40f, 0.78f, 0.78f},  // teal
    {0.88f, 0.45f, 0.45f},  // red
    {0.62f, 0.82f, 0.35f},  // lime
    {0.88f, 0.56f, 0.72f},  // pink
    {0.55f, 0.52f, 0.88f},  // indigo
    {0.76f, 0.62f, 0.46f},  // tan
}};

inline Colour GroupColour(size_t group) {
    return kGroupColours[group % kGroupColours.size()];
}

inline Colour HullColour(HullKind kind) {
    switch (kind) {
        case HullKind::Part:
            return {0.30f, 0.90f, 1.0f};
        case HullKind::Wrap:
            return {1.0f, 0.86f, 0.20f};
        case HullKind::Hardpoint:
            return {1.0f, 0.35f, 0.85f};
    }
    return {1, 1, 1};
}

}  // namespace kx
