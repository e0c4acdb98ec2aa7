#include "importer/MaterialLibrary.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "container/ByteReader.h"
#include "container/NameHash.h"
#include "host/HostServices.h"
#include "importer/MeshArrays.h"
#include "importer/NodeIndex.h"
#include "importer/TextureFiles.h"

namespace kx {

namespace {

using Colour = std::array<float, 4>;

constexpr Colour kAmbient = {0.2f, 0.2f, 0.2f, 1.0f};
constexpr Colour kDiffuse = {0.6f, 0.6f, 0.6f, 1.0f};
constexpr Colour kSpecular = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr Colour kEmissive = {0.1f, 0.1f, 0.1f, 0.1f};
constexpr float kShininess = 0.1f;
constexpr float kOpaque = 1.0f;

struct Working {
    Colour ambient = kAmbient;
    Colour diffuse = kDiffuse;
    Colour specular = kSpecular;
    Colour emissive = kEmissive;
    float shininess = kShininess;
    float transparency = kOpaque;
    std::string texture;
};

// A colour leaf's floats in order; a short leaf leaves the defaults for
// the values it lacks.
Colour ReadColour(const IndexNode& node, Colour colour) {
    ByteReader reader(node.data);
    for (float& value : colour) {
        float read = 0;
        if (!reader.F32(read)) {
            break;
        }
        value = read;
    }
    return colour;
}

bool Set(std::atomic<bool>* flag) {
    return flag && flag->load();
}

// The list entries by id: a library may define far more materials than
// the model uses, and each is looked up once.
std::unordered_map<uint32_t, size_t> EntriesById(const MeshArrays& arrays) {
    std::unordered_map<uint32_t, size_t> byId;
    for (size_t i = 0; i < arrays.materials.size(); ++i) {
        byId.try_emplace(arrays.materials[i].id, i);
    }
    return byId;
}

void SendToHost(msMaterial* material, Working& w) {
    msMaterial_SetAmbient(material, w.ambient.data());
    // A black diffuse colour would hide the model in the modeller; the game
    // files use it to mean "not given".
    if (w.diffuse == Colour{0, 0, 0, 0}) {
        w.diffuse = kDiffuse;
    }
    msMaterial_SetDiffuse(material, w.diffuse.data());
    msMaterial_SetSpecular(material, w.specular.data());
    msMaterial_SetEmissive(material, w.emissive.data());
    msMaterial_SetShininess(material, w.shininess);
    msMaterial_SetTransparency(material, w.transparency);
    if (w.transparency < kOpaque) {
        msMaterial_SetAlphaTexture(material, w.texture.c_str());
    }
}

}  // namespace

std::string HostMaterialName(std::string_view name) {
    constexpr size_t kHostName = MS_MAX_NAME - 1;
    if (name.size() <= kHostName) {
        return std::string(name);
    }
    return std::string(name.substr(0, std::min(name.find('.'), kHostName)));
}

bool ImportMaterialLibrary(const NodeIndex& index, MaterialImport& job) {
    FileService& files = job.files ? *job.files : CurrentHost().Files();
    CreateFolderChain(files, job.textureFolder);
    const int library = index.FindPath("aterial library", 1);
    if (library < 0 || !job.arrays) {
        return false;
    }
    MeshArrays& arrays = *job.arrays;
    const std::unordered_map<uint32_t, size_t> byId = EntriesById(arrays);
    // Every texture searches the tree again; a file with very many texture
    // names must not keep the import searching.
    const SearchBudget budget(index);
    auto extract = [&](int nameNode) {
        return budget.Spent() ? std::string(LeafText(index[nameNode]))
                              : ExtractTexture(files, index, nameNode, job.textureFolder);
    };
    for (int m = index.FirstChild(library); m >= 0 && !Set(job.stop); m = index.Next(m)) {
        const IndexNode& node = index[m];
        if (node.leaf) {
            continue;
        }
        const auto at = byId.find(NameHash(node.name));
        // The model does not use it, or an earlier library defined it first.
        if (at == byId.end() || arrays.materials[at->second].matched) {
            continue;
        }
        CMPMaterial* entry = &arrays.materials[at->second];
        entry->matched = true;
        const int hostIndex = job.model ? msModel_AddMaterial(job.model) : -1;
        msMaterial* material =
            hostIndex >= 0 ? msModel_GetMaterialAt(job.model, hostIndex) : nullptr;
        entry->hostMaterial = material ? hostIndex : -1;
        const std::string name(node.name);
        if (material) {
            msMaterial_SetName(material, HostMaterialName(name).c_str());
        }
        entry->name = name;
        const int found = job.found ? job.found->fetch_add(1) + 1 : 0;

        Working w;
        for (int c = index.FirstChild(m); c >= 0 && !Set(job.stop); c = index.Next(c)) {
            const IndexNode& child = index[c];
            if (child.name == "Oc") {
                w.transparency = ReadColour(child, {kOpaque, 0, 0, 0})[0];
            } else if (child.name == "Ac") {
                w.ambient = ReadColour(child, kAmbient);
            } else if (child.name == "Sc") {
                w.specular = ReadColour(child, kSpecular);
            } else if (child.name == "Ec") {
                w.emissive = ReadColour(child, kEmissive);
            } else if (child.name == "Dc") {
                w.diffuse = ReadColour(child, kDiffuse);
            } else if (child.name == "Dt_name") {
                w.texture = extract(c);
                if (material && !w.texture.empty()) {
                    msMaterial_SetDiffuseTexture(material, w.texture.c_str());
                }
                entry->texture = std::string(LeafText(child));
            } else if (child.name == "Bt_name") {
                w.texture = extract(c);
                if (material) {
                    msMaterial_SetAlphaTexture(material, w.texture.c_str());
                }
            } else if (child.name == "Et_name") {
                w.emissive = {1.0f, 1.0f, 1.0f, 1.0f};
            }
        }
        if (material) {
            SendToHost(material, w);
        }
        if (found >= static_cast<int>(arrays.materials.size())) {
            // Every search ends with the set complete; textures are not
            // extracted again for this model.
            if (job.finished) {
                job.finished->store(true);
            }
            if (job.stop) {
                job.stop->store(true);
            }
            if (job.extract) {
                job.extract->store(false);
            }
        }
    }
    if (job.status) {
        job.status("Textures: " + std::to_string(job.found ? job.found->load() : 0) + "/" +
                   std::to_string(arrays.materials.size()));
    }
    return Set(job.finished);
}

}  // namespace kx
