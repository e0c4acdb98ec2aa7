#pragma once
// Model files on disk: read whole into a model, or a model written whole.
// Errors are one line starting with the file's path.

#include <string>

#include "base/Result.h"
#include "host/ModelLib.h"
#include "ms3d/Ms3dFile.h"

namespace kx {

// Adds the file's meshes and materials to `model` and tells what was read but
// not kept; or leaves the model untouched and says why: Unreadable, the
// faults of ParseMs3d, or Refused when the model cannot take the file.
Result<Ms3dSkipped> ReadMs3dModel(const std::string& path, msModel* model);

// Writes the model as a version 4 file, replacing `path` only when whole; or
// says why not: Refused when the model does not fit a file or `path` is not
// a regular file, Unreadable when the bytes cannot be written.
Status WriteMs3dModel(const std::string& path, msModel* model);

}  // namespace kx
