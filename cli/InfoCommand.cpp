// info: what a model file holds, one line per group and per material.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "cli/CliCommands.h"
#include "host/HeadlessModel.h"
#include "ms3d/Ms3dIo.h"

namespace kx {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

void PrintModel(msModel* model, const Ms3dSkipped& skipped, std::ostream& out) {
    char text[MS_MAX_PATH];
    for (int i = 0; i < msModel_GetMeshCount(model); ++i) {
        msMesh* mesh = msModel_GetMeshAt(model, i);
        msMesh_GetName(mesh, text, sizeof text);
        out << "group\t" << Printable(text) << "\ttriangles=" << msMesh_GetTriangleCount(mesh)
            << "\tvertices=" << msMesh_GetVertexCount(mesh)
            << "\tmaterial=" << msMesh_GetMaterialIndex(mesh) << '\n';
    }
    for (int i = 0; i < msModel_GetMaterialCount(model); ++i) {
        msMaterial* material = msModel_GetMaterialAt(model, i);
        msMaterial_GetName(material, text, sizeof text);
        out << "material\t" << Printable(text);
        msMaterial_GetDiffuseTexture(material, text, sizeof text);
        out << "\ttexture=" << Printable(text);
        msMaterial_GetAlphaTexture(material, text, sizeof text);
        out << "\talpha=" << Printable(text) << '\n';
    }
    out << "joints\t" << skipped.joints << '\n';
}

}  // namespace

int RunInfo(const std::vector<std::string>& args, CliContext& ctx) {
    std::vector<std::string> files;
    std::string unknown;
    if (!Positionals(args, files, unknown)) {
        return UsageError(ctx, "info", "unknown option '" + unknown + "'");
    }
    if (files.size() != 1) {
        return UsageError(ctx, "info", files.empty() ? "missing FILE" : "one FILE only");
    }
    const std::string& path = files[0];
    if (Lower(std::filesystem::path(path).extension().string()) != ".ms3d") {
        return Failure(ctx, path + ": not a file info reads (.ms3d)");
    }
    std::unique_ptr<msModel, void (*)(msModel*)> model(kxModel_Create(), kxModel_Free);
    auto skipped = ReadMs3dModel(path, model.get());
    if (!skipped) {
        return Failure(ctx, skipped.Reason());
    }
    PrintModel(model.get(), *skipped, ctx.out);
    return 0;
}

}  // namespace kx
