#pragma once
// The whole collision-surface export of a host model: records, the model's
// sphere, part meshes, hardpoints, hulls, and the file's bytes. Shows
// nothing itself: the warnings come back in the order a person should see
// them, a refusal after them, and the caller writes the bytes.

#include <cstdint>
#include <vector>

#include "base/Result.h"
#include "exportsettings/SettingsFile.h"
#include "host/ModelLib.h"
#include "meshutil/TriMesh.h"
#include "surface/SurfaceTypes.h"

namespace kx {

// The options from the settings words the dialog keeps (words 0 to 27 of a
// settings record) and its own choices.
SurfaceOptions SurfaceOptionsFromWords(const SettingsWords& words, CollisionKind kind,
                                       uint32_t shipMass, bool reductionOff,
                                       bool closedHulls = false);

// The whole .sur file, to be written; or Refused with the text of the
// "Error" box (SurfaceMessage's default caption) that follows `warnings`.
// `device` is the mesh utilities' owner context (never null).
Result<std::vector<uint8_t>> ExportSurface(msModel* model, const SurfaceOptions& options,
                                           meshutil::Device* device, SurfaceMessages& warnings);

// What a person sees of an export, in order: the warnings, then the refusal
// when there is one.
SurfaceMessages SurfaceExportMessages(const Result<std::vector<uint8_t>>& result,
                                      SurfaceMessages warnings);

}  // namespace kx
