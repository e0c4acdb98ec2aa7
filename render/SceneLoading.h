#pragma once
// Which reader makes the scene of a file, chosen by its extension.

#include <optional>
#include <string>

#include "base/Result.h"
#include "render/RenderScene.h"

namespace kx {

enum class SceneFileKind { ModelFile, GameModel, Surface, Unknown };

// .ms3d, .cmp or .3db, .sur (any case); Unknown for anything else.
SceneFileKind SceneFileKindOf(const std::string& path);

struct SceneRequest {
    std::string path;
    std::optional<int> level;  // game models only; the first level when not given
    std::string hullsPath;     // a .sur drawn over a game model; empty for none
    std::string meshLibrary;   // a game model's separate mesh library file; empty for none
};

// The scene of the file, with its hulls when asked. A file that cannot be
// read, is of the wrong kind or is damaged fails with a one-line reason
// naming it.
Result<RenderScene> LoadScene(const SceneRequest& request);

}  // namespace kx
