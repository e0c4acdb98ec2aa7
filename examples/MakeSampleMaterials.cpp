// Writes the sample ship's material library: one material per material of
// the sample ship (the model file names them by their name ids), with a
// texture library holding a TGA texture for the hull and a DDS texture for
// the engine, so an import of the exported ship has textures to extract.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "container/ByteWriter.h"
#include "container/UtfTree.h"
#include "host/FileIo.h"

namespace {

std::vector<uint8_t> Floats(std::initializer_list<float> values) {
    std::vector<uint8_t> out;
    kx::ByteWriter w(out);
    for (float v : values) {
        w.F32(v);
    }
    return out;
}

std::vector<uint8_t> Text(const std::string& text) {
    std::vector<uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

// Pixel (x, y) of a small panel pattern: light plates with darker seams,
// as blue, green, red, alpha.
void Panel(kx::ByteWriter& w, int x, int y, int size) {
    const bool seam = x % (size / 4) == 0 || y % (size / 2) == 0;
    const auto shade = static_cast<uint8_t>(seam ? 90 : 150 + 4 * ((x + y) % 8));
    w.U8(shade);
    w.U8(shade);
    w.U8(static_cast<uint8_t>(shade - 10));
    w.U8(255);
}

// An uncompressed 32-bit TGA, rows stored bottom first as the format's
// default origin has them.
std::vector<uint8_t> HullTga(int size) {
    std::vector<uint8_t> out;
    kx::ByteWriter w(out);
    w.U8(0);  // no identifier
    w.U8(0);  // no colour map
    w.U8(2);  // uncompressed true colour
    w.Zeros(5);
    w.U16(0);  // origin
    w.U16(0);
    w.U16(static_cast<uint16_t>(size));
    w.U16(static_cast<uint16_t>(size));
    w.U8(32);
    w.U8(8);  // eight alpha bits
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Panel(w, x, y, size);
        }
    }
    return out;
}

// An uncompressed 32-bit DDS: a glow that is brightest in the middle.
std::vector<uint8_t> EngineDds(int size) {
    std::vector<uint8_t> out;
    kx::ByteWriter w(out);
    w.U32(0x20534444);                       // "DDS "
    w.U32(124);                              // header size
    w.U32(0x1 | 0x2 | 0x4 | 0x8 | 0x1000);   // caps, height, width, pitch, pixel format
    w.U32(static_cast<uint32_t>(size));      // height
    w.U32(static_cast<uint32_t>(size));      // width
    w.U32(static_cast<uint32_t>(size * 4));  // pitch
    w.U32(0);                                // depth
    w.U32(0);                                // mip levels
    w.Zeros(11 * 4);
    w.U32(32);    // pixel format size
    w.U32(0x41);  // RGB with alpha
    w.U32(0);     // no four-character code
    w.U32(32);
    w.U32(0x00ff0000);
    w.U32(0x0000ff00);
    w.U32(0x000000ff);
    w.U32(0xff000000);
    w.U32(0x1000);  // a texture
    w.Zeros(4 * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int dx = 2 * x - size + 1, dy = 2 * y - size + 1;
            const int d2 = dx * dx + dy * dy, r2 = size * size;
            const int glow = d2 >= r2 ? 0 : 255 * (r2 - d2) / r2;
            w.U8(255);                                          // blue
            w.U8(static_cast<uint8_t>(80 + glow * 175 / 255));  // green
            w.U8(static_cast<uint8_t>(glow * 200 / 255));       // red
            w.U8(255);
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_materials OUT.mat\n");
        return 2;
    }
    kx::UtfTree tree;
    kx::UtfNode* root = tree.AddChild(nullptr, "\\");
    auto leaf = [&tree](kx::UtfNode* parent, const char* name, std::vector<uint8_t> data) {
        tree.SetData(tree.AddChild(parent, name), std::move(data));
    };

    kx::UtfNode* materials = tree.AddChild(root, "Material library");
    // Named as the sample ship's materials are: the mesh data refers to them
    // by the name id of exactly these names.
    kx::UtfNode* hull = tree.AddChild(materials, "ShipHull");
    leaf(hull, "Type", Text("DcDt"));
    leaf(hull, "Dc", Floats({0.55f, 0.58f, 0.62f, 1.0f}));
    leaf(hull, "Dt_name", Text("ship_hull.tga"));
    kx::UtfNode* engine = tree.AddChild(materials, "ShipEngine");
    leaf(engine, "Type", Text("DcDtEc"));
    leaf(engine, "Dc", Floats({0.3f, 0.3f, 0.35f, 1.0f}));
    leaf(engine, "Ec", Floats({0.2f, 0.5f, 1.0f, 1.0f}));
    leaf(engine, "Dt_name", Text("ship_engine.tga"));

    kx::UtfNode* textures = tree.AddChild(root, "Texture library");
    leaf(tree.AddChild(textures, "ship_hull.tga"), "MIP0", HullTga(16));
    // Stored as a DDS: an import writes it as ship_engine.dds.
    leaf(tree.AddChild(textures, "ship_engine.tga"), "MIPS", EngineDds(8));

    if (!kx::WriteWholeFile(argv[1], tree.Serialize())) {
        std::fprintf(stderr, "make_sample_materials: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
