#pragma once
// Runs kaltrix in-process for the command tests.

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "host/FileIo.h"
#include "testsupport/TempFiles.h"

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

using test::TempFile;

}  // namespace kx
