#include <filesystem>
#include <iostream>

#include "cli/Cli.h"

namespace {

std::string ProgramDir(const char* argv0) {
    std::error_code ec;
#if defined(__linux__)
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.parent_path().string();
    }
#endif
    auto path = std::filesystem::absolute(argv0, ec);
    return ec ? std::string(".") : path.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    kx::CliContext ctx{std::cout, std::cerr, ProgramDir(argv[0])};
    int rc = kx::RunKaltrix(args, ctx);
    std::cout.flush();
    return rc;
}
