// kaltrix render: a picture of a model, its parts, hardpoints and hulls.

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "base/Text.h"
#include "cli/CliCommands.h"
#include "host/FileIo.h"
#include "render/Picture.h"
#include "render/SceneLoading.h"
#include "render/View.h"

namespace kx {

namespace {

bool ParseNumber(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty() && text[0] != '-' && text[0] != '+';
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && ParseNumber(std::string_view(text).substr(0, x), width) &&
           ParseNumber(std::string_view(text).substr(x + 1), height);
}

bool EndsWithPng(const std::string& path) {
    return LowerAscii(std::filesystem::path(path).extension().string()) == ".png";
}

}  // namespace

const char* RenderHelp() {
    static const std::string help =
        std::string(
            "Draws a model as a PNG picture: a model file's groups (.ms3d) or a game model's\n"
            "parts (.cmp, .3db, placed as the importer places them), each in its own colour\n"
            "and flat shaded; hardpoints as arrows of their own axes (x red, y green, z blue,\n"
            "drawn along -z, where the hardpoint points) with their names; collision hulls\n"
            "(.sur alone, or --hulls over a game model) as translucent outlines: part hulls\n"
            "cyan, the shield or wrap hull yellow, hardpoint hulls pink. Faces turned away\n"
            "from the viewer are not drawn. Exit 0 when OUT was written, 1 when it was not\n"
            "(with the reason), 2 for a usage error.\n"
            "  -o OUT.png        the picture, written whole or not at all\n"
            "  --view VIEW       one of the views below; sheet when not given\n"
            "  --size WxH        pixels, 32 to 8192 each way; 1024x768 when not given\n"
            "  --lod N           the level of detail of a game model; its first when not given\n"
            "  --no-hardpoints   leave the hardpoints out\n"
            "  --labels MODE     hardpoint names: fit (those that do not cover another,\n"
            "                    the default), all, or none\n"
            "  --hulls FILE.sur  draw this collision surface over a game model\n"
            "  --mesh-library FILE.vms  the separate mesh library file a game model's\n"
            "                    meshes are kept in\n"
            "Views, by the game file's axes. A model file is drawn where the exporter's\n"
            "default settings put it (a modeller point (x, y, z) at (x, -y, -z) / 92), so it\n"
            "looks as the game file made from it does:\n") +
        kViewAxesHelp;
    return help.c_str();
}

int RunRender(const std::vector<std::string>& args, CliContext& ctx) {
    SceneRequest request;
    std::string output;
    RenderOptions options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "-o" || a == "--view" || a == "--size" || a == "--lod" ||
                                a == "--hulls" || a == "--mesh-library" || a == "--labels";
        if (!optionsEnded && takesValue) {
            if (i + 1 >= args.size()) {
                return UsageError(ctx, "render", a + " needs a value");
            }
            const std::string& value = args[++i];
            if (a == "-o") {
                output = value;
            } else if (a == "--view") {
                const auto view = ParseView(value);
                if (!view) {
                    return UsageError(ctx, "render", "unknown view '" + value + "'");
                }
                options.view = *view;
            } else if (a == "--size") {
                if (!ParseSize(value, options.width, options.height) ||
                    options.width < kMinPictureSide || options.width > kMaxPictureSide ||
                    options.height < kMinPictureSide || options.height > kMaxPictureSide) {
                    return UsageError(ctx, "render",
                                      "--size takes WxH, each " + std::to_string(kMinPictureSide) +
                                          " to " + std::to_string(kMaxPictureSide));
                }
            } else if (a == "--labels") {
                const auto labels = ParseLabelMode(value);
                if (!labels) {
                    return UsageError(ctx, "render", "--labels takes fit, all or none");
                }
                options.labels = *labels;
            } else if (a == "--lod") {
                int level = 0;
                if (!ParseNumber(value, level)) {
                    return UsageError(ctx, "render", "--lod takes a level number from 0");
                }
                request.level = level;
            } else if (a == "--hulls") {
                request.hullsPath = value;
            } else {
                request.meshLibrary = value;
            }
        } else if (!optionsEnded && a == "--no-hardpoints") {
            options.hardpoints = false;
        } else if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            return UsageError(ctx, "render", "unknown option '" + a + "'");
        } else if (request.path.empty()) {
            request.path = a;
        } else {
            return UsageError(ctx, "render", "one FILE only");
        }
    }
    if (request.path.empty()) {
        return UsageError(ctx, "render", "missing FILE");
    }
    if (output.empty()) {
        return UsageError(ctx, "render", "missing -o OUT.png");
    }
    // Only a .png name: a slip such as "-o ship.cmp" must not overwrite a model.
    if (!EndsWithPng(output)) {
        return UsageError(ctx, "render", "OUT must be a .png file");
    }
    const SceneFileKind kind = SceneFileKindOf(request.path);
    if (request.level && kind != SceneFileKind::GameModel) {
        return UsageError(ctx, "render", "--lod is for game models (.cmp, .3db)");
    }
    if (!request.meshLibrary.empty() && kind != SceneFileKind::GameModel) {
        return UsageError(ctx, "render", "--mesh-library is for game models (.cmp, .3db)");
    }
    if (!request.hullsPath.empty() &&
        (kind != SceneFileKind::GameModel ||
         SceneFileKindOf(request.hullsPath) != SceneFileKind::Surface)) {
        return UsageError(ctx, "render", "--hulls takes a .sur file, over a .cmp or .3db");
    }

    auto scene = LoadScene(request);
    if (!scene) {
        return Failure(ctx, scene.Reason());
    }
    auto picture = RenderPicture(scene.Value(), options);
    if (!picture) {
        return Failure(ctx, output + ": " + picture.Reason());
    }
    auto png = EncodePng(picture.Value());
    if (!png) {
        return Failure(ctx, output + ": " + png.Reason());
    }
    const FileOutcome written = WriteFileBytes(output, png.Value());
    if (written == FileOutcome::NotRegularFile) {
        return Failure(ctx, NotRegularFileMessage(output));
    }
    if (written != FileOutcome::Done) {
        return Failure(ctx, output + ": cannot write the file");
    }
    return 0;
}

}  // namespace kx
