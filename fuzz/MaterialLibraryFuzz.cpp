// Any byte string opened as a material file: its library is imported into a
// headless model for every material it defines and every material its own
// mesh data names, and its textures are written into a fresh folder. Nothing
// is read outside the bytes, and every file written lands directly in that
// folder, whatever the texture names say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "container/NameHash.h"
#include "host/headless/HeadlessModel.h"
#include "importer/CMPModel.h"
#include "importer/MaterialLibrary.h"

namespace {

namespace fs = std::filesystem;

// A parent only this process uses, removed when the run ends; its texture
// folder is emptied after every input so each starts with nothing to find.
struct Scratch {
    Scratch()
        : parent(fs::temp_directory_path() /
                 ("kx-fuzz-materials-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(parent);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(parent, ec);
    }
    fs::path parent;
};

const fs::path& Parent() {
    static const Scratch scratch;
    return scratch.parent;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kx::CMPModel file;
    if (!file.Open(std::vector<uint8_t>(data, data + size)).Ok()) {
        return 0;
    }
    (void)file.LoadLevel(file.Levels().empty() ? -1 : 0);
    kx::MeshArrays& arrays = file.Arrays();
    const kx::NodeIndex& index = file.Index();
    const int library = index.FindPath("aterial library", 1);
    for (int m = index.FirstChild(library); m >= 0; m = index.Next(m)) {
        arrays.MaterialFor(kx::NameHash(index[m].name));
    }

    const fs::path folder = Parent() / "tex";
    msModel* model = kxModel_Create();
    std::atomic<bool> stop = false, finished = false, extract = true;
    std::atomic<int> found = 0;
    kx::MaterialImport job{model,     &arrays,  folder.string(), &stop,
                           &finished, &extract, &found,          [](std::string) {}};
    (void)kx::ImportMaterialLibrary(index, job);
    kxModel_Free(model);

    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(Parent(), ec)) {
        const bool expected = entry.path() == folder ||
                              (entry.path().parent_path() == folder && entry.is_regular_file());
        if (!expected) {
            std::abort();  // a texture name led outside the texture folder
        }
    }
    fs::remove_all(folder, ec);
    return 0;
}
