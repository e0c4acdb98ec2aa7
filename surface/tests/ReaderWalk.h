#pragma once
// A .sur file read the way the game's readers read one, written apart from
// the project's reader so the two cannot share a mistake: each part's chunks
// by its chunk count, the surface by its size, every hull record from the
// header to the vertex list, and the node list walked as a binary tree from
// the root (an inner node's left subtree follows it, its skip leads to its
// right one; a node on an ordinary hull is a leaf).

#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

// Every fault such a reader meets: an unknown chunk, a hull or node the walk
// reaches twice or never, a closed hull whose count field is not
// 3 + 1.5 x triangles, and, with `closedOnly`, any hull that is not closed.
// Empty for a file it reads whole.
std::vector<std::string> ReaderFaults(const std::vector<uint8_t>& file, bool closedOnly);

}  // namespace kx::test
