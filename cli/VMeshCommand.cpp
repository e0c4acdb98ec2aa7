// kaltrix vmesh: the mesh data blocks and mesh references of a container
// file, decoded field by field.

#include <cstdio>
#include <span>
#include <string_view>
#include <utility>

#include "cli/CliCommands.h"
#include "container/UtfTree.h"
#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRef.h"

namespace kx {

namespace {

// Appends `format` with its arguments to `line`.
template <typename... Args>
void Put(std::string& line, const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    line += text;
}

void PutFloats(std::string& line, std::string_view name, std::span<const float> values) {
    line += ' ';
    line += name;
    for (float v : values) {
        Put(line, " %.9g", static_cast<double>(v));
    }
}

void PrintBlock(CliContext& ctx, const VMeshBlock& b, bool vertices) {
    std::string text;
    Put(text, "  meshes %zu indices %u format 0x%x vertices %zu\n", b.meshes.size(),
        unsigned{b.indexCount}, unsigned{b.format}, b.vertices.size());
    for (size_t i = 0; i < b.meshes.size(); ++i) {
        const VMeshRecord& m = b.meshes[i];
        Put(text, "  mesh %zu material 0x%08x", i, m.materialId);
        Put(text, " start %u end %u indices %u\n", unsigned{m.startVertex}, unsigned{m.endVertex},
            unsigned{m.indexCount});
    }
    if (vertices) {
        for (size_t i = 0; i < b.triangles.size(); ++i) {
            const VMeshTriangle& t = b.triangles[i];
            Put(text, "  triangle %zu %u %u %u\n", i, unsigned{t[0]}, unsigned{t[1]},
                unsigned{t[2]});
        }
        for (size_t i = 0; i < b.vertices.size(); ++i) {
            const VMeshVertex& v = b.vertices[i];
            Put(text, "  vertex %zu", i);
            if (b.format & kFvfPosition) {
                PutFloats(text, "position", v.position);
            }
            if (b.format & kFvfNormal) {
                PutFloats(text, "normal", v.normal);
            }
            if (b.format & kFvfDiffuse) {
                Put(text, " diffuse 0x%08x", v.diffuse);
            }
            if (b.format & (kFvfTex1 | kFvfTex2)) {
                PutFloats(text, "uv", v.uv);
            }
            if (b.format & kFvfTex2) {
                PutFloats(text, "uv2", v.uv2);
            }
            text += '\n';
        }
    }
    ctx.out << text;
}

void PrintRef(CliContext& ctx, const VMeshRef& r) {
    std::string text;
    Put(text, "  library 0x%08x start_vertex %u vertex_count %u", r.libraryId,
        unsigned{r.startVertex}, unsigned{r.vertexCount});
    Put(text, " start_index %u index_count %u", unsigned{r.startIndex}, unsigned{r.indexCount});
    Put(text, " start_mesh %u mesh_count %u\n", unsigned{r.startMesh}, unsigned{r.meshCount});
    if (r.hasBounds) {
        text += ' ';
        PutFloats(text, "box", r.box);
        PutFloats(text, "centre", r.centre);
        PutFloats(text, "radius", std::span(&r.radius, 1));
        text += '\n';
    }
    ctx.out << text;
}

}  // namespace

int RunVMesh(const std::vector<std::string>& args, CliContext& ctx) {
    bool vertices = false;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (args[i] == "--vertices") {
            vertices = true;
        } else {
            rest.push_back(args[i]);
        }
    }
    std::vector<std::string> files;
    std::string unknown;
    if (!Positionals(rest, files, unknown)) {
        return UsageError(ctx, "vmesh", "unknown option '" + unknown + "'");
    }
    if (files.size() != 1) {
        return UsageError(
            ctx, "vmesh",
            files.empty() ? "missing FILE" : "unexpected argument '" + files[1] + "'");
    }
    UtfTree tree;
    if (!LoadContainerFile(ctx, files[0], tree)) {
        return 1;
    }
    int rc = 0;
    // Pre-order without recursion, as for `tree`; each entry carries the
    // node's path below the top-level node.
    std::vector<std::pair<const UtfNode*, std::string>> pending;
    for (auto it = tree.TopLevel().rbegin(); it != tree.TopLevel().rend(); ++it) {
        for (auto c = (*it)->Children().rbegin(); c != (*it)->Children().rend(); ++c) {
            pending.emplace_back(*c, (*c)->Name());
        }
    }
    while (!pending.empty()) {
        auto [node, path] = std::move(pending.back());
        pending.pop_back();
        for (auto c = node->Children().rbegin(); c != node->Children().rend(); ++c) {
            pending.emplace_back(*c, path + '/' + (*c)->Name());
        }
        const bool isBlock = node->Name() == "VMeshData";
        if (!node->ReadAsLeaf() || (!isBlock && node->Name() != "VMeshRef")) {
            continue;
        }
        const std::vector<uint8_t>* data = tree.GetData(node);
        std::span<const uint8_t> bytes;
        if (data) {
            bytes = *data;
        }
        std::string message;
        if (isBlock) {
            auto result = DecodeVMeshData(bytes);
            if (result.Ok()) {
                ctx.out << "block " << Printable(path) << '\n';
                PrintBlock(ctx, *result, vertices);
            }
            message = result.Reason();
        } else {
            auto result = DecodeVMeshRef(bytes);
            if (result) {
                ctx.out << "ref " << Printable(path) << '\n';
                PrintRef(ctx, *result);
            }
            message = result.Reason();
        }
        if (!message.empty()) {
            rc = Failure(ctx, files[0] + ": " + path + ": " + message);
        }
    }
    return rc;
}

}  // namespace kx
