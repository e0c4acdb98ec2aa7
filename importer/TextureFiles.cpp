#include "importer/TextureFiles.h"

#include "importer/NodeIndex.h"

namespace kx {

std::string ExtractTexture(const NodeIndex& index, int nameNode, const std::string&) {
    if (!index.Has(nameNode))
        return {};
    return std::string(LeafText(index[nameNode]));
}

void CreateFolderChain(const std::string&) {}

std::string SafeTextureName(std::string_view) {
    return {};
}

bool ReverseTgaRows(std::vector<uint8_t>&) {
    return false;
}

}  // namespace kx
