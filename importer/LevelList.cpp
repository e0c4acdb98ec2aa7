#include "importer/LevelList.h"

#include <algorithm>

#include "base/Text.h"
#include "importer/NodeIndex.h"

namespace kx {

namespace {

// Strings compare byte by byte as unsigned values.
bool ComboOrder(const std::string& a, const std::string& b) {
    const std::string fa = LowerAscii(a), fb = LowerAscii(b);
    return fa != fb ? fa < fb : a < b;
}

}  // namespace

std::vector<std::string> ListLevels(const NodeIndex& index, const NodeIndex* meshLibrary) {
    std::vector<std::string> levels;
    // A separate mesh library's folders follow the model's own.
    for (const NodeIndex* source : {&index, meshLibrary}) {
        const int library = source ? source->FindPath("VMeshLibrary", 1) : -1;
        for (int c = source ? source->FirstChild(library) : -1; c >= 0; c = source->Next(c)) {
            const std::string wanted = ".lod" + std::to_string(levels.size());
            if ((*source)[c].name.find(wanted) != std::string_view::npos) {
                levels.emplace_back((*source)[c].name);
            }
        }
    }
    std::sort(levels.begin(), levels.end(), ComboOrder);
    return levels;
}

}  // namespace kx
