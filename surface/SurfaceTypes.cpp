#include "surface/SurfaceTypes.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace kx {

float SurfaceScaleDivisor(const SurfaceOptions& options) {
    if (std::isfinite(options.floatScale) && options.floatScale > 0.0f) {
        return options.floatScale;
    }
    if (options.integerScale > 0) {
        return static_cast<float>(options.integerScale);
    }
    return 92.0f;
}

int SurfaceGroupCount(const SurfaceOptions& options) {
    if (options.groupCount < 1) {
        return 1;
    }
    return options.groupCount > kSurfaceMaxGroups ? kSurfaceMaxGroups : options.groupCount;
}

std::string FormatMessage(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

}  // namespace kx
