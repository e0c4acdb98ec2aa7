#pragma once
// A game model (.cmp, .3db) as a scene, read and placed by the importer's own
// loading: the chosen level's parts, each placed by its constraints exactly
// as an import places it, and every hardpoint through its part's transform.

#include <functional>
#include <optional>
#include <string>

#include "base/Result.h"
#include "render/RenderScene.h"

namespace kx {

struct GameModelScene {
    RenderScene scene;
    // The transform of the part with this id (the name id of its object
    // name), for the hulls of a surface file drawn over the model; the
    // identity for an id no part has.
    std::function<Mat4(uint32_t)> placement;
};

// `level` is a position in the file's level list; its first when not given.
// `meshLibrary` names a separate mesh library file read with the model, or
// is empty.
Result<GameModelScene> LoadGameModelScene(const std::string& path, std::optional<int> level,
                                          const std::string& meshLibrary = {});

}  // namespace kx
