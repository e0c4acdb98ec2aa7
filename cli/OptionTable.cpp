#include "cli/OptionTable.h"

namespace kx {

namespace {

const OptionRow* Find(std::initializer_list<std::span<const OptionRow>> tables,
                      const std::string& name) {
    for (std::span<const OptionRow> table : tables) {
        for (const OptionRow& row : table) {
            if (name == row.name) {
                return &row;
            }
        }
    }
    return nullptr;
}

}  // namespace

Result<GivenArgs> ParseOptions(const std::vector<std::string>& args,
                               std::initializer_list<std::span<const OptionRow>> tables,
                               size_t operands) {
    const auto usage = [](std::string error) {
        return Status::Failure(Fault::Refused, std::move(error));
    };
    GivenArgs given;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const OptionRow* row = Find(tables, a);
        if (row == nullptr) {
            if (operands == 0) {
                return usage("unexpected argument '" + a + "'");
            }
            if (a.size() > 1 && a[0] == '-') {
                return usage("unknown option '" + a + "'");
            }
            if (given.operands.size() >= operands) {
                return usage("unexpected argument '" + a + "'");
            }
            given.operands.push_back(a);
            continue;
        }
        GivenOption option{row->meaning, a, {}};
        if (row->valueWord != nullptr) {
            if (i + 1 >= args.size()) {
                return usage(a + " needs " + row->valueWord);
            }
            option.value = args[++i];
            if (row->check != nullptr) {
                if (std::string error = row->check(a, option.value); !error.empty()) {
                    return usage(error);
                }
            }
        }
        given.options.push_back(std::move(option));
    }
    return given;
}

std::string NotTaken(const std::string& name, const std::string& why, const std::string& value) {
    return name + " " + why + ", not '" + value + "'";
}

}  // namespace kx
