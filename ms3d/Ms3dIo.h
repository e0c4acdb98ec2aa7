#pragma once
// Model files on disk: read whole into a model, or a model written whole.
// Errors are one line starting with the file's path.

#include <string>

#include "host/ModelLib.h"
#include "ms3d/Ms3dFile.h"

namespace kx {

// Adds the file's meshes and materials to `model`, or leaves it untouched and
// says why. `skipped`, when given, learns what was read but not kept.
bool ReadMs3dModel(const std::string& path, msModel* model, std::string& error,
                   Ms3dSkipped* skipped = nullptr);

// Writes the model as a version 4 file, replacing `path` only when whole.
bool WriteMs3dModel(const std::string& path, msModel* model, std::string& error);

}  // namespace kx
