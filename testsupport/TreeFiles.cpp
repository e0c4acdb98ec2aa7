#include "testsupport/TreeFiles.h"

#include "host/FileIo.h"

namespace kx::test {

bool SaveTree(const UtfTree& tree, const std::string& path) {
    return WriteWholeFile(path, tree.Serialize());
}

Result<UtfLoadNotes> LoadTree(UtfTree& tree, const std::string& path) {
    tree.Clear();
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path, file)) {
        return Status::Failure(Fault::Unreadable, "cannot be read");
    }
    return tree.LoadFromBytes(file);
}

}  // namespace kx::test
