#pragma once
// The seam between the main dialog and the search for the model's materials
// and textures. The dialog starts a search after each level's mesh data is
// read and stops it before anything the search uses changes or goes; a
// search may run worker threads, which reach the dialog only by posting
// messages (a status pane's text, a request to check for auto load).

#include <atomic>
#include <mutex>
#include <string>

#include "base/Result.h"
#include "host/ModelLib.h"

namespace kx {

class FileService;
class NodeIndex;
class Window;
struct MeshArrays;

// The dialog's messages from workers.
inline constexpr int kPostStatusText = 0x0401;  // first: the pane, text: its new text
inline constexpr int kPostAutoLoadCheck = 0x0402;
inline constexpr int kPostMaterialCaption = 0x0403;  // text: the Material button's caption

struct MaterialSearchJob {
    std::string modelPath;
    std::string gameFolder;
    std::string textureFolder;
    // The upward searches go no higher than this folder (empty: the root).
    std::string searchTop;
    bool autoSearch = true;
    bool extract = true;
    msModel* model = nullptr;
    // New host materials are numbered from the host's count when the level
    // was read.
    int hostMaterialsAtLoad = 0;
    MeshArrays* arrays = nullptr;           // the materials to find, and where to note them
    const NodeIndex* modelIndex = nullptr;  // the model file's own nodes
    FileService* files = nullptr;           // null: the current host's
    Window* dialog = nullptr;
    // Set to end the search; the search sets it too once every material is found.
    std::atomic<bool>* stop = nullptr;
    // Taken for every call on the host model and every change of `arrays`,
    // by the dialog as by the workers.
    std::mutex* lock = nullptr;
};

class MaterialSearch {
  public:
    virtual ~MaterialSearch() = default;
    // Looks for the job's materials; may leave workers running.
    virtual void Start(const MaterialSearchJob& job) = 0;
    // A material library the person picked for the current model. A file
    // that does not load, or holds no material library, gives the failure
    // (its reason completes a sentence that starts with the path).
    virtual Status LoadLibrary(const std::string& path, const MaterialSearchJob& job) = 0;
    // Ends the workers and waits for them. The job's stop flag is set first.
    virtual void Stop() = 0;
    // A new model: the material files kept for the old one are let go.
    virtual void Reset() {}
    // True once after the search has turned the Extract textures option
    // off, which the dialog then does in memory (on its own thread).
    virtual bool TakeExtractOff() { return false; }
    // Whether the search has nothing left to do.
    virtual bool Finished() const = 0;
    // Materials found so far.
    virtual int Found() const = 0;
};

// Until material libraries are read: nothing is found, nothing is left to
// search, and the dialog is asked at once whether to load automatically.
class NoMaterialSearch : public MaterialSearch {
  public:
    void Start(const MaterialSearchJob& job) override;
    Status LoadLibrary(const std::string&, const MaterialSearchJob&) override {
        return Status::Success();
    }
    void Stop() override {}
    bool Finished() const override { return true; }
    int Found() const override { return 0; }
};

}  // namespace kx
