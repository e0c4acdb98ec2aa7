// Commands that look inside container files: hash, tree, cat.

#include <cstdio>

#include "base/Text.h"
#include "cli/CliCommands.h"
#include "container/NameHash.h"
#include "container/UtfTree.h"
#include "host/FileIo.h"

namespace kx {

int RunHash(const std::vector<std::string>& args, CliContext& ctx) {
    std::vector<std::string> names;
    std::string unknown;
    if (!Positionals(args, names, unknown)) {
        return UsageError(ctx, "hash", "unknown option '" + unknown + "'");
    }
    if (names.empty()) {
        return UsageError(ctx, "hash", "missing NAME");
    }
    for (const std::string& name : names) {
        ctx.out << Hex(NameHash(name), 8, HexCase::Lower) << "  " << name << '\n';
    }
    return 0;
}

bool LoadContainerFile(CliContext& ctx, const std::string& path, UtfTree& tree) {
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path, file)) {
        tree.Clear();
        Failure(ctx, path + ": cannot be read");
        return false;
    }
    auto result = tree.LoadFromBytes(file);
    if (!result.Ok()) {
        Failure(ctx, path + ": " + result.Reason());
        return false;
    }
    return true;
}

namespace {

// One FILE argument, or one FILE and one more, with no options.
int ParseFileArgs(const std::vector<std::string>& args, CliContext& ctx, const char* command,
                  size_t count, std::vector<std::string>& out) {
    std::string unknown;
    if (!Positionals(args, out, unknown)) {
        return UsageError(ctx, command, "unknown option '" + unknown + "'");
    }
    if (out.size() < count) {
        return UsageError(ctx, command, count == 1 ? "missing FILE" : "missing FILE or PATH");
    }
    if (out.size() > count) {
        return UsageError(ctx, command, "unexpected argument '" + out[count] + "'");
    }
    return 0;
}

}  // namespace

int RunTree(const std::vector<std::string>& args, CliContext& ctx) {
    std::vector<std::string> files;
    if (int rc = ParseFileArgs(args, ctx, "tree", 1, files)) {
        return rc;
    }
    UtfTree tree;
    if (!LoadContainerFile(ctx, files[0], tree)) {
        return 1;
    }
    VisitPreOrder(tree, [&](const UtfNode& node, size_t depth) {
        ctx.out << std::string(depth * 2, ' ') << Printable(node.Name());
        if (node.ReadAsLeaf()) {
            const auto* data = tree.GetData(&node);
            ctx.out << " [" << (data ? data->size() : 0) << ']';
        }
        ctx.out << '\n';
    });
    return 0;
}

int RunCat(const std::vector<std::string>& args, CliContext& ctx) {
    std::vector<std::string> files;
    if (int rc = ParseFileArgs(args, ctx, "cat", 2, files)) {
        return rc;
    }
    UtfTree tree;
    if (!LoadContainerFile(ctx, files[0], tree)) {
        return 1;
    }
    const UtfNode* node = FindNodeByPath(tree, files[1]);
    if (!node) {
        return Failure(ctx, files[0] + ": no node '" + files[1] + "'");
    }
    if (!node->ReadAsLeaf()) {
        return Failure(ctx, files[0] + ": '" + files[1] + "' is a folder, not a leaf");
    }
    if (const auto* data = tree.GetData(node)) {
        ctx.out.write(reinterpret_cast<const char*>(data->data()),
                      static_cast<std::streamsize>(data->size()));
    }
    return 0;
}

}  // namespace kx
