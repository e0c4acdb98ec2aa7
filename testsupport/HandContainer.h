#pragma once
// Container files spelled out node by node for the tests, independent of the
// tree writer under test, and the leaf values the model files hold.

#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

// A one-number leaf: the 32-bit value, then a 32-bit zero.
std::vector<uint8_t> Number(uint32_t v);
std::vector<uint8_t> FloatNumber(float v);
// A text leaf: the text and its zero byte.
std::vector<uint8_t> Str(const std::string& text);

// A node of an expected file: a folder when it has children, else a leaf.
struct HandNode {
    std::string name;
    std::vector<uint8_t> data;
    std::vector<HandNode> children;
};

HandNode Folder(std::string name, std::vector<HandNode> children);
HandNode Leaf(std::string name, std::vector<uint8_t> data);

// The container file of `root`: header, records in pre-order, the string
// block in the order the names are listed in `nameOrder` (the order their
// nodes were made), then the leaves' bytes in pre-order.
std::vector<uint8_t> HandFile(const HandNode& root, const std::vector<std::string>& nameOrder);

}  // namespace kx::test
