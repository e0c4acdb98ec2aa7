#pragma once
// The whole collision-surface export of a host model: records, the model's
// sphere, part meshes, hardpoints, hulls, and the file's bytes. Shows
// nothing itself: the messages come back in the order a person should see
// them, and the caller writes the bytes.

#include <cstdint>
#include <vector>

#include "exportsettings/SettingsFile.h"
#include "host/ModelLib.h"
#include "meshutil/TriMesh.h"
#include "surface/SurfaceTypes.h"

namespace kx {

struct SurfaceExportResult {
    bool ok = false;             // the bytes are to be written
    std::vector<uint8_t> bytes;  // the whole .sur file when ok
    SurfaceMessages messages;    // warnings, and when not ok the refusal last
};

// The options from the settings words the dialog keeps (words 0 to 27 of a
// settings record) and its own choices.
SurfaceOptions SurfaceOptionsFromWords(const SettingsWords& words, CollisionKind kind,
                                       uint32_t shipMass, bool reductionOff,
                                       bool closedHulls = false);

// `device` is the mesh utilities' owner context (never null).
SurfaceExportResult ExportSurface(msModel* model, const SurfaceOptions& options,
                                  meshutil::Device* device);

}  // namespace kx
