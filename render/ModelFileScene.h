#pragma once
// A modeller's model file (.ms3d) as a scene, seen as the model exporter
// sees it with its default settings: positions divided by 92 with y and z
// turned (so it lands where the exported game file puts it), one group per
// mesh, and hardpoint markers read as the exporter reads them.

#include <string>

#include "base/Result.h"
#include "render/RenderScene.h"

namespace kx {

Result<RenderScene> LoadModelFileScene(const std::string& path);

}  // namespace kx
