// Writes a small container file shaped like a game model, for the demo
// command to show until the exporter writes real models.
#include <cstdio>

#include "container/UtfTree.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_container OUT.cmp\n");
        return 2;
    }
    kx::UtfTree tree;
    kx::UtfNode* root = tree.AddChild(nullptr, "\\");
    kx::UtfNode* library = tree.AddChild(root, "VMeshLibrary");
    kx::UtfNode* vms = tree.AddChild(library, "sample.lod0.vms");
    tree.SetData(tree.AddChild(vms, "VMeshData"), {1, 0, 0, 0, 4, 0, 0, 0});
    kx::UtfNode* cmpnd = tree.AddChild(root, "Cmpnd");
    kx::UtfNode* part = tree.AddChild(cmpnd, "Root");
    const char name[] = "sample.3db";
    tree.SetData(tree.AddChild(part, "File name"), {name, name + sizeof name});
    tree.SetData(tree.AddChild(part, "Index"), std::vector<uint8_t>(8, 0));
    tree.AddChild(root, "Hardpoints");
    if (!tree.Save(argv[1])) {
        std::fprintf(stderr, "make_sample_container: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
