// info: what a model file holds, one line per group and per material; what
// a game model holds, per level its parts and material ids, then its
// hardpoints; what a collision surface file holds, one line per part, hull
// and list.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/Text.h"
#include "cli/CliCommands.h"
#include "host/FileIo.h"
#include "host/headless/HeadlessModel.h"
#include "importer/CMPModel.h"
#include "ms3d/Ms3dIo.h"
#include "surface/SurReader.h"

namespace kx {

namespace {

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

std::string Hex(uint32_t value) {
    return kx::Hex(value, 8, HexCase::Upper);
}

// Shortest text that reads back as the same float.
std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string Triple(const Vec3& v) {
    return Number(v[0]) + "," + Number(v[1]) + "," + Number(v[2]);
}

// Every hull record of every part, with what the game's readers make of it:
// its count field, whether it is closed, and how often a walk of the node
// tree reaches it.
void PrintSurface(const SurFile& file, std::ostream& out) {
    out << "surface\tversion=" << Number(file.version) << "\tparts=" << file.parts.size() << '\n';
    for (const SurPart& part : file.parts) {
        const SurTreeWalk walk = WalkSurNodeTree(part);
        out << "part\t" << Hex(part.id) << "\tchunks=" << part.chunkCount
            << "\tbox=" << Triple(part.boxMin) << ".." << Triple(part.boxMax)
            << "\tcentre=" << Triple(part.centre) << "\tradius=" << Number(part.radius)
            << "\tinertia=" << Triple(part.inertia) << '\n';
        for (size_t h = 0; h < part.hulls.size(); ++h) {
            const SurHull& hull = part.hulls[h];
            out << "  hull\ttype=" << static_cast<int>(hull.type) << "\towner=" << Hex(hull.owner)
                << "\ttriangles=" << hull.triangles.size() << "\tcount=" << hull.countField
                << "\tclosed=" << (IsClosedSurHull(hull) ? "yes" : "no")
                << "\treached=" << walk.hullsReached[h] << '\n';
        }
        out << "  vertices=" << part.vertices.size() << "\tnodes=" << part.nodes.size() << '\n';
        if (part.hasHardpointList) {
            out << "  hardpoints=" << part.hardpointIds.size();
            for (uint32_t id : part.hardpointIds) {
                out << '\t' << Hex(id);
            }
            out << '\n';
        }
    }
}

bool ReadInput(const std::string& path, std::vector<uint8_t>& bytes, CliContext& ctx) {
    const FileOutcome read = ReadFileBytes(path, bytes);
    if (read == FileOutcome::NotRegularFile) {
        Failure(ctx, NotRegularFileMessage(path));
        return false;
    }
    if (read != FileOutcome::Done) {
        Failure(ctx, path + ": could not be read");
        return false;
    }
    return true;
}

std::string PartNameOf(const PartList& list, uint32_t id) {
    for (const CMPPart& part : list.parts) {
        if (part.id == id) {
            return Printable(part.name);
        }
    }
    return Hex(id);
}

void PrintLevel(const std::string& name, const MeshArrays& arrays, const PartList& list,
                std::ostream& out) {
    out << "level\t" << Printable(name) << "\tmeshes=" << arrays.meshes.size()
        << "\ttriangles=" << arrays.triangles.size() << "\tvertices=" << arrays.vertices.size()
        << "\tparts=" << list.parts.size() << '\n';
    for (const CMPPart& part : list.parts) {
        out << "  part\t" << Printable(part.name) << '\t' << Hex(part.id) << "\tparent="
            << (part.parent < 0 ? std::string("-")
                                : Printable(list.parts[static_cast<size_t>(part.parent)].name))
            << "\tmeshes=" << part.meshCount << '\n';
    }
    out << "  materials=" << arrays.materials.size();
    for (const CMPMaterial& material : arrays.materials) {
        out << '\t' << Hex(material.id);
    }
    out << '\n';
    for (const std::string& note : list.notes) {
        out << "  note\t" << Printable(note) << '\n';
    }
}

// Reads every level as the importer would offer it; the first level that
// does not read whole is the fault reported.
int GameModelInfo(const std::string& path, const std::string& meshLibrary, CliContext& ctx) {
    std::vector<uint8_t> bytes;
    if (!ReadInput(path, bytes, ctx)) {
        return 1;
    }
    CMPModel model;
    if (Status opened = model.Open(std::move(bytes)); !opened) {
        return Failure(ctx, path + ": " + opened.Reason());
    }
    if (!meshLibrary.empty()) {
        if (!ReadInput(meshLibrary, bytes, ctx)) {
            return 1;
        }
        if (Status attached = model.AttachMeshLibrary(std::move(bytes)); !attached) {
            return Failure(ctx, meshLibrary + ": " + attached.Reason());
        }
    }
    std::vector<std::string> levels = model.Levels();
    ctx.out << "model\tlevels=" << levels.size() << '\n';
    const bool noLevels = levels.empty();
    if (noLevels) {
        levels.push_back("-");
    }
    std::vector<HARDPOINT> hardpoints;
    PartList firstParts;
    for (size_t i = 0; i < levels.size(); ++i) {
        const int level = noLevels ? -1 : static_cast<int>(i);
        const Status read = model.LoadLevel(level);
        Result<ImportPlan> plan = read ? model.Plan(ImportOptions{true, ""}) : read;
        if (!plan) {
            const std::string level = noLevels ? "" : ": " + Printable(levels[i]);
            return Failure(ctx, path + level + ": " + plan.Reason());
        }
        PrintLevel(levels[i], model.Arrays(), plan->parts, ctx.out);
        if (i == 0) {
            hardpoints = std::move(plan->hardpoints);
            firstParts = std::move(plan->parts);
        }
    }
    ctx.out << "hardpoints=" << hardpoints.size() << '\n';
    for (const HARDPOINT& hp : hardpoints) {
        ctx.out << "  hardpoint\t" << PartNameOf(firstParts, hp.partId) << '\t'
                << Printable(hp.group) << '\t' << Printable(hp.name) << '\n';
    }
    return 0;
}

int SurfaceInfo(const std::string& path, CliContext& ctx) {
    std::vector<uint8_t> bytes;
    if (!ReadInput(path, bytes, ctx)) {
        return 1;
    }
    auto file = ReadSurFile(bytes);
    if (!file) {
        return Failure(ctx, path + ": " + file.Reason());
    }
    PrintSurface(*file, ctx.out);
    for (size_t p = 0; p < file->parts.size(); ++p) {
        const SurPart& part = file->parts[p];
        if (Status checked = CheckSurPartForReaders(part); !checked) {
            return Failure(ctx, path + ": part " + std::to_string(p) + " (id " + Hex(part.id) +
                                    "): " + checked.Reason());
        }
    }
    return 0;
}

}  // namespace

int RunInfo(const std::vector<std::string>& args, CliContext& ctx) {
    std::vector<std::string> files, rest;
    std::string unknown, meshLibrary;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--mesh-library") {
            rest.push_back(args[i]);
        } else if (i + 1 >= args.size() || args[i + 1].empty()) {
            return UsageError(ctx, "info", "--mesh-library needs a FILE.vms");
        } else {
            meshLibrary = args[++i];
        }
    }
    if (!Positionals(rest, files, unknown)) {
        return UsageError(ctx, "info", "unknown option '" + unknown + "'");
    }
    if (files.size() != 1) {
        return UsageError(ctx, "info", files.empty() ? "missing FILE" : "one FILE only");
    }
    const std::string& path = files[0];
    const std::string extension = LowerAscii(std::filesystem::path(path).extension().string());
    if (extension == ".sur") {
        return SurfaceInfo(path, ctx);
    }
    if (extension == ".cmp" || extension == ".3db") {
        return GameModelInfo(path, meshLibrary, ctx);
    }
    if (!meshLibrary.empty()) {
        return UsageError(ctx, "info", "--mesh-library is for game models (.cmp, .3db)");
    }
    if (extension != ".ms3d") {
        return Failure(ctx, path + ": not a file info reads (.ms3d, .cmp, .3db, .sur)");
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
