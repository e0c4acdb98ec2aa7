#pragma once
// The levels of detail a model file offers: the mesh library folders named
// ".lod0", ".lod1", ... in turn, as the level combo box lists them.

#include <string>
#include <vector>

namespace kx {

class NodeIndex;

// The library's folders in order, each taken when its name holds ".lod" and
// the next level number (so a missing or misplaced level ends the list),
// sorted as the combo box sorts: by letters without case, ties by bytes.
// A position in the result is the level read for it. The folders of a
// separate mesh library file, when given, follow the model's own.
std::vector<std::string> ListLevels(const NodeIndex& index, const NodeIndex* meshLibrary = nullptr);

}  // namespace kx
