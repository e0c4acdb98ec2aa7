#pragma once
// The hulls of a collision surface file (.sur) for a scene: part hulls, the
// shield or wrap hull and hardpoint hulls, told apart for their colours.

#include <functional>
#include <string>

#include "base/Result.h"
#include "render/RenderScene.h"
#include "surface/SurReader.h"

namespace kx {

// Adds every hull of the file to `scene`, each part's hulls placed by
// `placement` of the part's id (the identity when not given). Fails, with
// the scene untouched, when the file cannot be read or is damaged.
Status AddSurfaceHulls(const std::string& path, RenderScene& scene,
                       const std::function<Mat4(uint32_t)>& placement = {});

// The hulls of a file already read, as AddSurfaceHulls adds them. Beyond
// 60,000 hull triangles, the parts are drawn as their boxes instead (runs of
// parts sharing one beyond 5,000 boxes) and `note` says so.
void AddSurFileHulls(const SurFile& file, RenderScene& scene,
                     const std::function<Mat4(uint32_t)>& placement = {});

// A surface file alone: its hulls, one group per part.
Result<RenderScene> LoadSurfaceScene(const std::string& path);

}  // namespace kx
