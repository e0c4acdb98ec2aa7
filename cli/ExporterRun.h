#pragma once
// What `kaltrix export` and `kaltrix sur` share once their options are
// read: the model file loaded, the exporter library run on it with its
// windows answered from a queue, and the exit code made from what the run
// did.

#include <functional>
#include <string>

#include "cli/Cli.h"
#include "cli/CliUi.h"
#include "host/Window.h"

namespace kx {

// A click on a control, labelled with the option that asks for it (the
// label names the option when the window refuses the click).
WindowAction Click(int id, std::string label = {});

// Reads `input`, lets `answer` queue the windows' answers and runs the
// library `library` on the model. Exit 1 when the model cannot be read, the
// library cannot run, a settings file failed or `output` was not written;
// 2 (a usage error of `command`) when a queued action was refused; else 0.
int RunExporterLibrary(CliContext& ctx, const std::string& command, const std::string& library,
                       const std::string& input, const std::string& output,
                       const std::function<void(CliUi&)>& answer);

}  // namespace kx
