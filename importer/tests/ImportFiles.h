#pragma once
// Model files for the importer tests, built node by node: mesh data blocks,
// mesh references, compound entries, constraint records and hardpoints.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "container/NameHash.h"
#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRef.h"
#include "testsupport/HandContainer.h"
#include "testsupport/LittleEndian.h"

namespace kx::test {

// A block of one mesh per entry of `triangles` (each its own run of
// vertices); vertex i sits at (i, 10 + i, 20 + i) with normal (0, 0, 1) and
// uv (i / 100, 1 - i / 100).
inline std::vector<uint8_t> Block(const std::vector<int>& triangles, uint32_t material = 0,
                                  uint16_t format = kFvfExport) {
    VMeshBlock block;
    block.format = format;
    uint16_t vertex = 0;
    for (int n : triangles) {
        block.meshes.push_back({material, vertex, static_cast<uint16_t>(vertex + 3 * n - 1),
                                static_cast<uint16_t>(3 * n), kVMeshRecordPadding});
        for (int t = 0; t < n; ++t) {
            const auto k = static_cast<uint16_t>(3 * t);
            block.triangles.push_back(
                {k, static_cast<uint16_t>(k + 1), static_cast<uint16_t>(k + 2)});
        }
        vertex = static_cast<uint16_t>(vertex + 3 * n);
    }
    for (uint16_t i = 0; i < vertex; ++i) {
        const float f = i;
        VMeshVertex v;
        v.position = {f, 10 + f, 20 + f};
        v.normal = {0, 0, 1};
        v.uv = {f / 100, 1 - f / 100};
        block.vertices.push_back(v);
    }
    std::vector<uint8_t> bytes;
    EncodeVMeshData(block, bytes);
    return bytes;
}

inline std::vector<uint8_t> Ref(const std::string& library, uint16_t startVertex,
                                uint16_t startIndex, uint16_t startMesh, uint16_t meshCount) {
    VMeshRef ref;
    ref.libraryId = NameHash(library);
    ref.startVertex = startVertex;
    ref.startIndex = startIndex;
    ref.startMesh = startMesh;
    ref.meshCount = meshCount;
    return EncodeVMeshRef(ref);
}

// A part file node: name -> MultiLevel -> Level0 -> VMeshPart -> VMeshRef.
inline HandNode PartNode(const std::string& name, std::vector<uint8_t> ref,
                         std::vector<HandNode> more = {}) {
    more.push_back(
        Folder("MultiLevel",
               {Folder("Level0", {Folder("VMeshPart", {Leaf("VMeshRef", std::move(ref))})})}));
    return Folder(name, std::move(more));
}

inline HandNode Entry(const std::string& entry, const std::string& file,
                      const std::string& object) {
    return Folder(entry, {Leaf("File name", Str(file)), Leaf("Index", Number(0)),
                          Leaf("Object name", Str(object))});
}

// A constraint record of `size` bytes: names, origin, then (176) the
// rotation or (208, 212) a zero offset and the rotation.
inline std::vector<uint8_t> Joint(const std::string& parent, const std::string& child,
                                  std::array<float, 3> origin, std::array<float, 9> rotation,
                                  size_t size = 176) {
    Le b;
    b.text(parent, 64).text(child, 64).f32s({origin[0], origin[1], origin[2]});
    if (size != 176) {
        b.f32s({0, 0, 0});
    }
    for (float v : rotation) {
        b.f32(v);
    }
    b.bytes.resize(size, 0);
    return b.bytes;
}

inline constexpr std::array<float, 9> kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};
// A quarter turn about z: x goes to y.
inline constexpr std::array<float, 9> kQuarterZ = {0, -1, 0, 1, 0, 0, 0, 0, 1};

// A hardpoint folder: its name -> Orientation (36 bytes), Position (12).
inline HandNode HardpointNode(const std::string& name, std::array<float, 3> position,
                              std::array<float, 9> orientation = kIdentity) {
    Le o, p;
    for (float v : orientation) {
        o.f32(v);
    }
    p.f32s({position[0], position[1], position[2]});
    return Folder(name, {Leaf("Orientation", o.bytes), Leaf("Position", p.bytes)});
}

// Every name of a tree, in pre-order, as the string block's order.
inline void Names(const HandNode& node, std::vector<std::string>& out) {
    out.push_back(node.name);
    for (const HandNode& child : node.children) {
        Names(child, out);
    }
}

inline std::vector<uint8_t> FileOf(const HandNode& root) {
    std::vector<std::string> names;
    Names(root, names);
    return HandFile(root, names);
}

// Where field `field` (a byte offset in the record) of node record `node` is.
inline size_t RecordField(size_t node, size_t field) {
    return 56 + 44 * node + field;
}

inline HandNode Library(std::vector<HandNode> folders) {
    return Folder("VMeshLibrary", std::move(folders));
}
inline HandNode Lod(const std::string& name, std::vector<uint8_t> block) {
    return Folder(name, {Leaf("VMeshData", std::move(block))});
}
// A Hardpoints folder of one fixed hardpoint at (1, 2, 3).
inline HandNode OneHardpoint(const std::string& name) {
    return Folder("Hardpoints", {Folder("Fixed", {HardpointNode(name, {1, 2, 3})})});
}

// A damage model as the game has some: its one part d.3db holds an empty
// MultiLevel/Level0 (node 11, an empty folder) before the real MultiLevel,
// whose Level0 holds the reference to both meshes or, without
// `realReference`, nothing; and the hardpoint HpMount01.
inline std::vector<uint8_t> StrayLevelModel(bool realReference) {
    HandNode stray = Folder("MultiLevel", {Leaf("Level0", {})});
    HandNode part = realReference
                        ? PartNode("d.3db", Ref("d.lod0.vms", 0, 0, 0, 2), {stray})
                        : Folder("d.3db", {stray, Folder("MultiLevel", {Leaf("Level0", {})})});
    part.children.push_back(OneHardpoint("HpMount01"));
    std::vector<uint8_t> file =
        FileOf(Folder("\\", {Library({Lod("d.lod0.vms", Block({1, 1}))}),
                             Folder("Cmpnd", {Entry("Root", "d.3db", "Root")}), std::move(part)}));
    PutU32(file, RecordField(11, 8), 0x10);  // a folder
    PutU32(file, RecordField(11, 16), 0);    // without children
    return file;
}

}  // namespace kx::test
