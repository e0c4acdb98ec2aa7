#pragma once
// The model exporter's reading of the shared settings record: how its
// settings window ended, and the divisor and orientation its meshes use.

#include <cmath>

#include "exportsettings/SettingsRecord.h"

namespace kx {

// How the settings window ended: a new file, an update of an existing one,
// or cancelled.
enum class ExportMode : int32_t { Cancelled = 0, New = 1, Update = 2 };

// The divisor positions are divided by.
inline float ScaleDivisor(const ExportSettings& s) {
    if (s.integerScale >= 1) {
        return static_cast<float>(s.integerScale);
    }
    // A float scale of 0 or less or not a number at all (only a hand-edited
    // .ces holds one) would divide by zero or mirror or void the model; the
    // default serves instead.
    if (s.integerScale == kUseFloatScale && std::isfinite(s.floatScale) && s.floatScale > 0.0f) {
        return s.floatScale;
    }
    return kDefaultScale;
}

// +1 for Back To Front, -1 for Upside Down: the factor on y and z.
inline float OrientationFactor(const ExportSettings& s) {
    return s.orientation == StoredValue(Orientation::BackToFront) ? 1.0f : -1.0f;
}

}  // namespace kx
