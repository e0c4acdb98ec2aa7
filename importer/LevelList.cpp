#include "importer/LevelList.h"

#include <algorithm>

#include "importer/NodeIndex.h"

namespace kx {

namespace {

std::string Folded(const std::string& s) {
    std::string folded = s;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Strings compare byte by byte as unsigned values.
bool ComboOrder(const std::string& a, const std::string& b) {
    const std::string fa = Folded(a), fb = Folded(b);
    return fa != fb ? fa < fb : a < b;
}

}  // namespace

std::vector<std::string> ListLevels(const NodeIndex& index) {
    std::vector<std::string> levels;
    const int library = index.FindPath("VMeshLibrary", 1);
    for (int c = index.FirstChild(library); c >= 0; c = index.Next(c)) {
        const std::string wanted = ".lod" + std::to_string(levels.size());
        if (index[c].name.find(wanted) != std::string_view::npos) {
            levels.emplace_back(index[c].name);
        }
    }
    std::sort(levels.begin(), levels.end(), ComboOrder);
    return levels;
}

}  // namespace kx
