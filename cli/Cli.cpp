#include "cli/Cli.h"

#include <algorithm>

namespace kx {

namespace {

void PrintUsage(std::ostream& os) {
    os << "usage: kaltrix COMMAND [ARGS...]\n\ncommands:\n";
    for (const Command& c : Commands()) {
        std::string line = std::string("  ") + c.name + " " + c.synopsis;
        os << line << '\n';
    }
    os << "\nkaltrix COMMAND --help describes one command.\n";
}

void PrintCommandHelp(std::ostream& os, const Command& c) {
    os << "usage: kaltrix " << c.name << ' ' << c.synopsis << "\n\n" << c.help;
}

}  // namespace

int UsageError(CliContext& ctx, const std::string& command, const std::string& message) {
    ctx.err << "kaltrix: " << OneLine(message) << " (see 'kaltrix "
            << (command.empty() ? "" : command + " ") << "--help')\n";
    return 2;
}

int Failure(CliContext& ctx, const std::string& message) {
    ctx.err << "kaltrix: " << OneLine(message) << '\n';
    return 1;
}

bool Positionals(const std::vector<std::string>& args, std::vector<std::string>& out,
                 std::string& unknown) {
    bool optionsEnded = false;
    for (const std::string& a : args) {
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            unknown = a;
            return false;
        } else {
            out.push_back(a);
        }
    }
    return true;
}

namespace {

int Dispatch(const std::vector<std::string>& args, CliContext& ctx) {
    if (args.empty()) {
        PrintUsage(ctx.err);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(ctx.out);
        return 0;
    }
    auto commands = Commands();
    auto it = std::find_if(commands.begin(), commands.end(),
                           [&](const Command& c) { return args[0] == c.name; });
    if (it == commands.end()) {
        return UsageError(ctx, "", "unknown command '" + args[0] + "'");
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    auto dashDash = std::find(rest.begin(), rest.end(), "--");
    if (std::find(rest.begin(), dashDash, "--help") != dashDash) {
        PrintCommandHelp(ctx.out, *it);
        return 0;
    }
    return it->run(rest, ctx);
}

}  // namespace

int RunKaltrix(const std::vector<std::string>& args, CliContext& ctx) {
    const int rc = Dispatch(args, ctx);
    // A full disk or a closed pipe shows only here: output that did not
    // arrive is a failure, never an exit 0.
    ctx.out.flush();
    if (!ctx.out) {
        Failure(ctx, "standard output could not be written");
        return rc == 0 ? 1 : rc;
    }
    return rc;
}

}  // namespace kx
