#include "testsupport/HandContainer.h"

#include <map>

#include "testsupport/LittleEndian.h"

namespace kx::test {

std::vector<uint8_t> Number(uint32_t v) {
    return Le().u32(v).u32(0).bytes;
}

std::vector<uint8_t> FloatNumber(float v) {
    return Le().f32(v).u32(0).bytes;
}

std::vector<uint8_t> Str(const std::string& text) {
    return Le().text(text).bytes;
}

HandNode Folder(std::string name, std::vector<HandNode> children) {
    return {std::move(name), {}, std::move(children)};
}

HandNode Leaf(std::string name, std::vector<uint8_t> data) {
    return {std::move(name), std::move(data), {}};
}

std::vector<uint8_t> HandFile(const HandNode& root, const std::vector<std::string>& nameOrder) {
    std::map<std::string, uint32_t> nameAt;
    Le strings;
    strings.bytes.push_back(0);
    for (const std::string& name : nameOrder) {
        if (nameAt.emplace(name, static_cast<uint32_t>(strings.bytes.size())).second) {
            strings.text(name);
        }
    }
    struct Flat {
        const HandNode* node;
        size_t next = 0;   // index of the next sibling, 0 for none
        size_t child = 0;  // index of the first child
    };
    std::vector<Flat> flat;
    auto walk = [&](auto& self, const HandNode& node) -> size_t {
        const size_t at = flat.size();
        flat.push_back({&node});
        size_t previous = 0;
        for (size_t c = 0; c < node.children.size(); ++c) {
            const size_t child = self(self, node.children[c]);
            if (c == 0) {
                flat[at].child = child;
            } else {
                flat[previous].next = child;
            }
            previous = child;
        }
        return at;
    };
    walk(walk, root);

    const auto nodeBlock = static_cast<uint32_t>(44 * flat.size());
    const auto stringBlock = static_cast<uint32_t>(strings.bytes.size());
    Le file;
    file.text("UTF ", 4).u32(0x101).u32(56).u32(nodeBlock).u32(0).u32(44);
    file.u32(56 + nodeBlock).u32(stringBlock).u32(stringBlock);
    file.u32(56 + nodeBlock + stringBlock).u32(0).u32(0).u32(0).u32(0);
    Le data;
    for (const Flat& f : flat) {
        file.u32(static_cast<uint32_t>(44 * f.next)).u32(nameAt.at(f.node->name));
        if (f.node->children.empty()) {
            const auto length = static_cast<uint32_t>(f.node->data.size());
            file.u32(0x80).u32(0).u32(static_cast<uint32_t>(data.bytes.size()));
            file.u32(length).u32(length).u32(length);
            data.append(f.node->data);
        } else {
            file.u32(0x10).u32(0).u32(static_cast<uint32_t>(44 * f.child)).u32(0).u32(0).u32(0);
        }
        file.u32(0).u32(0).u32(0);
    }
    return file.append(strings.bytes).append(data.bytes).bytes;
}

}  // namespace kx::test
