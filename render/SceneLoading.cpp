#include "render/SceneLoading.h"

#include <filesystem>
#include <utility>

#include "base/Text.h"
#include "render/GameModelScene.h"
#include "render/ModelFileScene.h"
#include "render/SurfaceScene.h"

namespace kx {

namespace {

std::string LowerExtension(const std::string& path) {
    return LowerAscii(std::filesystem::path(path).extension().string());
}

}  // namespace

SceneFileKind SceneFileKindOf(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext == ".ms3d") {
        return SceneFileKind::ModelFile;
    }
    if (ext == ".cmp" || ext == ".3db") {
        return SceneFileKind::GameModel;
    }
    if (ext == ".sur") {
        return SceneFileKind::Surface;
    }
    return SceneFileKind::Unknown;
}

Result<RenderScene> LoadScene(const SceneRequest& request) {
    switch (SceneFileKindOf(request.path)) {
        case SceneFileKind::ModelFile:
            return LoadModelFileScene(request.path);
        case SceneFileKind::GameModel: {
            Result<GameModelScene> model =
                LoadGameModelScene(request.path, request.level, request.meshLibrary);
            if (!model) {
                return model.GetStatus();
            }
            if (!request.hullsPath.empty()) {
                Status s = AddSurfaceHulls(request.hullsPath, model->scene, model->placement);
                if (!s) {
                    return s;
                }
            }
            return std::move(model->scene);
        }
        case SceneFileKind::Surface:
            return LoadSurfaceScene(request.path);
        case SceneFileKind::Unknown:
            break;
    }
    return Status::Failure(Fault::WrongKind,
                           request.path + ": not a file render draws (.ms3d, .cmp, .3db, .sur)");
}

}  // namespace kx
