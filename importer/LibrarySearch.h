#pragma once
// The search for a model's material libraries: the model file itself, the
// files kept from earlier imports, a file the person picks, and up to three
// worker threads that look beside the model, above it and in the game's
// data folder. Every import into the host model and the material list is
// made under the job's one lock, so two searches never add a material
// twice or interleave host calls; workers reach the dialog only by posting.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Result.h"
#include "importer/MaterialSearch.h"
#include "importer/NodeIndex.h"

namespace kx {

struct MaterialImport;

class LibrarySearch : public MaterialSearch {
  public:
    LibrarySearch() = default;
    ~LibrarySearch() override;
    LibrarySearch(const LibrarySearch&) = delete;
    LibrarySearch& operator=(const LibrarySearch&) = delete;

    void Start(const MaterialSearchJob& job) override;
    Status LoadLibrary(const std::string& path, const MaterialSearchJob& job) override;
    void Stop() override;
    void Reset() override;
    bool TakeExtractOff() override;
    bool Finished() const override { return finished_.load(); }
    int Found() const override { return found_.load(); }

    // Loads one file and imports its library; the finished flag after it.
    // Any thread.
    bool LoadMaterialFile(const std::string& path, const MaterialSearchJob& job);

    // The file whose import completed the set; the model file until then.
    std::string CurrentMaterialFile() const;
    size_t KeptFiles() const;

  private:
    MaterialImport ImportFor(const MaterialSearchJob& job);
    // The file's bytes and index; the failure says why it gives none.
    Status ReadMaterialFile(const std::string& path, const MaterialSearchJob& job,
                            std::vector<uint8_t>& image, std::optional<NodeIndex>& index) const;
    // Imports a file read; keeps its bytes when they gave a material.
    bool ImportRead(const std::string& path, const MaterialSearchJob& job,
                    std::vector<uint8_t> image, const NodeIndex& index);
    // Runs `body` on a worker the dialog counts as running.
    void Spawn(std::function<void()> body);
    void Post(const MaterialSearchJob& job, int id, std::string text = {}) const;
    void SearchUpwardFrom(const std::string& start);

    MaterialSearchJob job_;  // the started job; read-only while workers run
    std::vector<std::thread> threads_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> extract_{true};
    std::atomic<int> found_{0};
    bool startedWithExtract_ = false;
    bool extractReported_ = false;

    // Under job_.lock.
    std::vector<std::vector<uint8_t>> kept_;
    std::string currentMaterialFile_;
};

}  // namespace kx
