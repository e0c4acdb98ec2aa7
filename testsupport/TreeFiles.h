#pragma once
// Container files on disk for tests: a tree saved whole, or loaded from a
// file (Unreadable when it cannot be read).

#include <string>

#include "base/Result.h"
#include "container/UtfTree.h"

namespace kx::test {

bool SaveTree(const UtfTree& tree, const std::string& path);
Result<UtfLoadNotes> LoadTree(UtfTree& tree, const std::string& path);

}  // namespace kx::test
