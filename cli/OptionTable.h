#pragma once
// The options of a command, parsed from its table: each given option comes
// out with what it means to the command and its value, checked, so that the
// command only maps meanings onto its own window. The first fault in the
// order given is the usage error.

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"

namespace kx {

struct OptionRow {
    const char* name;
    int meaning;  // the command's own number for it
    // The word of "-o needs a file"; null for a switch, which takes no value.
    const char* valueWord;
    // The usage error for a value it does not take; empty when taken. Null:
    // every value is taken.
    std::string (*check)(const std::string& name, const std::string& value);
};

struct GivenOption {
    int meaning;
    std::string name;
    std::string value;  // empty for a switch
};

struct GivenArgs {
    std::vector<GivenOption> options;  // in the order given
    std::vector<std::string> operands;
};

// `tables` are searched in turn. A command that takes no operands names
// every argument outside its tables an unexpected argument; one that does
// names an unknown option so, and operands past `operands` unexpected.
// A failure's reason is the usage error.
Result<GivenArgs> ParseOptions(const std::vector<std::string>& args,
                               std::initializer_list<std::span<const OptionRow>> tables,
                               size_t operands);

// "NAME WHY, not 'VALUE'", the shape of most value errors.
std::string NotTaken(const std::string& name, const std::string& why, const std::string& value);

}  // namespace kx
