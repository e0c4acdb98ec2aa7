#pragma once
// The commands' entry points, gathered into the table in Commands.cpp.

#include <string>
#include <vector>

#include "cli/Cli.h"

namespace kx {

class UtfTree;

int RunHash(const std::vector<std::string>& args, CliContext& ctx);
int RunTree(const std::vector<std::string>& args, CliContext& ctx);
int RunCat(const std::vector<std::string>& args, CliContext& ctx);
int RunPlugins(const std::vector<std::string>& args, CliContext& ctx);
int RunVMesh(const std::vector<std::string>& args, CliContext& ctx);
int RunSettings(const std::vector<std::string>& args, CliContext& ctx);
int RunExport(const std::vector<std::string>& args, CliContext& ctx);
int RunSur(const std::vector<std::string>& args, CliContext& ctx);
int RunImport(const std::vector<std::string>& args, CliContext& ctx);
int RunInfo(const std::vector<std::string>& args, CliContext& ctx);
#ifdef KALTRIX_RENDER
int RunRender(const std::vector<std::string>& args, CliContext& ctx);
const char* RenderHelp();
#endif

// Loads a container file; on failure says why on stderr and returns false.
bool LoadContainerFile(CliContext& ctx, const std::string& path, UtfTree& tree);

}  // namespace kx
