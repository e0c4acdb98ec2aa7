#pragma once
// The kaltrix command line as a library, so tests run it in-process with
// their own streams.

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/TerminalText.h"  // Printable and OneLine: every name and message printed

namespace kx {

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    std::string programDir;  // where the plug-in libraries are looked for
};

struct Command {
    const char* name;
    const char* synopsis;  // the arguments, for the usage line
    const char* help;      // what it does and its options
    int (*run)(const std::vector<std::string>& args, CliContext& ctx);
};

// Every command, in the order --help lists them.
std::span<const Command> Commands();

int RunKaltrix(const std::vector<std::string>& args, CliContext& ctx);

// A usage error: one line on stderr with a hint, exit code 2.
int UsageError(CliContext& ctx, const std::string& command, const std::string& message);

// A failure of the command's work: one line on stderr, exit code 1.
int Failure(CliContext& ctx, const std::string& message);

// Splits a command's arguments into positionals, honouring "--"; any other
// argument starting with '-' is an unknown option and is reported through
// `unknown`.
bool Positionals(const std::vector<std::string>& args, std::vector<std::string>& out,
                 std::string& unknown);

}  // namespace kx
