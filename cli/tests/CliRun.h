#pragma once
// Runs kaltrix in-process for the command tests, and temporary files that
// clean up after them.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "container/FileIo.h"

namespace kx {

struct Run {
    int rc;
    std::string out, err;
};

inline Run Kaltrix(std::vector<std::string> args) {
    std::ostringstream out, err;
    CliContext ctx{out, err, KALTRIX_BIN_DIR};
    int rc = RunKaltrix(args, ctx);
    return {rc, out.str(), err.str()};
}

class TempFile {
  public:
    explicit TempFile(const std::string& name) : path_(UniqueTempPath(name)) {}
    ~TempFile() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace kx
