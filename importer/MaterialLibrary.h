#pragma once
// Reading one material library into the host model: the materials the
// model's meshes name by id become host materials with their colours,
// transparency and textures, and the textures they name are written into
// the texture folder.

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "host/ModelLib.h"

namespace kx {

class FileService;
class NodeIndex;
struct MeshArrays;

// What one library import works on. The caller holds whatever lock guards
// the host model and `arrays` for the whole call: the import adds host
// materials and marks list entries as it goes.
struct MaterialImport {
    msModel* model = nullptr;
    // arrays->materials are the list entries: one per material id the meshes
    // use. Matched entries get their name, texture and host material.
    MeshArrays* arrays = nullptr;
    std::string textureFolder;
    std::atomic<bool>* stop = nullptr;      // ends the import (and every search) when set
    std::atomic<bool>* finished = nullptr;  // set once every entry is matched
    std::atomic<bool>* extract = nullptr;   // the in-memory Extract textures option
    std::atomic<int>* found = nullptr;      // entries matched so far
    // Gets "Textures: found/entries" after each import.
    std::function<void(std::string)> status;
    // Where texture files are made; null is the current host's.
    FileService* files = nullptr;
};

// The name a material takes in the host: the whole name when the host's
// field holds it (a model exported again names its materials by the hash of
// the whole name), else the name cut before its first '.', as far as the
// field holds it.
std::string HostMaterialName(std::string_view name);

// Imports the library of one loaded container file. Returns the finished
// flag (true once every entry is matched, by this call or an earlier one);
// false at once when the file has no material library. Null flags and a
// null model are tolerated (nothing is set or added through them).
bool ImportMaterialLibrary(const NodeIndex& index, MaterialImport& job);

}  // namespace kx
