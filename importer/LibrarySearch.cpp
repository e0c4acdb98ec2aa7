#include "importer/LibrarySearch.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <optional>
#include <utility>

#include "base/Text.h"
#include "host/HostServices.h"
#include "host/Window.h"
#include "importer/FolderSearch.h"
#include "importer/ImportPaths.h"
#include "importer/MaterialLibrary.h"
#include "importer/MeshArrays.h"
#include "importer/NodeIndex.h"

namespace kx {

namespace {

// Every container file starts so; anything else named like a material
// file is passed over without being read whole.
constexpr uint8_t kMagic[4] = {'U', 'T', 'F', ' '};

std::string WithoutGameFolder(std::string path, const std::string& gameFolder) {
    if (gameFolder.empty()) {
        return path;
    }
    for (size_t at = path.find(gameFolder); at != std::string::npos;
         at = path.find(gameFolder, at)) {
        path.erase(at, gameFolder.size());
    }
    return path;
}

// A lock that is there only when the job has one (tests may run without).
std::unique_lock<std::mutex> Hold(std::mutex* lock) {
    return lock ? std::unique_lock<std::mutex>(*lock) : std::unique_lock<std::mutex>();
}

}  // namespace

LibrarySearch::~LibrarySearch() {
    Stop();
}

MaterialImport LibrarySearch::ImportFor(const MaterialSearchJob& job) {
    MaterialImport work;
    work.model = job.model;
    work.arrays = job.arrays;
    work.textureFolder = job.textureFolder;
    work.files = job.files;
    work.stop = job.stop;
    work.finished = &finished_;
    work.extract = &extract_;
    work.found = &found_;
    Window* dialog = job.dialog;
    work.status = [dialog](std::string text) {
        if (dialog) {
            dialog->Post(kPostStatusText, 0, 0, std::move(text));
        }
    };
    return work;
}

void LibrarySearch::Post(const MaterialSearchJob& job, int id, std::string text) const {
    if (job.dialog) {
        job.dialog->Post(id, 0, 0, std::move(text));
    }
}

void LibrarySearch::Start(const MaterialSearchJob& job) {
    Stop();
    job_ = job;
    finished_ = false;
    found_ = 0;
    extract_ = job.extract;
    startedWithExtract_ = job.extract;
    extractReported_ = false;
    if (currentMaterialFile_.empty()) {
        currentMaterialFile_ = job.modelPath;
    }
    // A model that names no material has nothing to look for: searching the
    // disk for it could only end when every folder had been listed.
    if (!job.arrays || job.arrays->materials.empty()) {
        finished_ = true;
        Post(job_, kPostAutoLoadCheck);
        return;
    }

    MaterialImport work = ImportFor(job_);
    if (!job.extract) {
        // The files that helped before, in the order they were kept; the
        // model's own library was among the first.
        for (const std::vector<uint8_t>& image : kept_) {
            Result<NodeIndex> index = NodeIndex::Build(image);
            if (!index) {
                continue;
            }
            auto held = Hold(job_.lock);
            ImportMaterialLibrary(index.Value(), work);
        }
        Post(job_, kPostAutoLoadCheck);
        return;
    }

    bool complete = false;
    if (job.modelIndex) {
        auto held = Hold(job_.lock);
        complete = ImportMaterialLibrary(*job.modelIndex, work);
    }
    if (complete) {
        Post(job_, kPostMaterialCaption, WithoutGameFolder(currentMaterialFile_, job_.gameFolder));
        Post(job_, kPostAutoLoadCheck);
        return;
    }
    const bool stopped = job_.stop && job_.stop->load();
    if (!job.autoSearch || stopped) {
        Post(job_, kPostAutoLoadCheck);
        return;
    }

    // The three searches, each on its own worker, in this order. They share
    // the model path as the current material file gives it.
    const std::string modelPath = currentMaterialFile_;
    if (modelPath.size() >= 3) {
        const std::string beside = modelPath.substr(0, modelPath.size() - 3) + "mat";
        Spawn([this, beside] {
            if (LoadMaterialFile(beside, job_)) {
                Post(job_, kPostAutoLoadCheck);
            }
        });
    }
    // A bare file name has no folder of its own to climb from (the process's
    // current folder is no part of the search).
    const std::string folder = FolderOf(modelPath);
    if (!folder.empty()) {
        Spawn([this, folder] { SearchUpwardFrom(folder); });
    }

    const std::string& game = job_.gameFolder;
    if (!game.empty() && modelPath.find(LowerAscii(game)) == std::string::npos) {
        // The same place under the game's data folder, where a modder's
        // copy of a game model finds the game's own libraries.
        const std::string data = std::string(1, PathSeparator()) + "data";
        const size_t at = modelPath.find(data);
        const std::string start =
            at == std::string::npos ? game + data : game + modelPath.substr(at);
        Spawn([this, start] { SearchUpwardFrom(start); });
    }
}

void LibrarySearch::SearchUpwardFrom(const std::string& start) {
    FolderSearchHooks hooks;
    hooks.stop = job_.stop;
    hooks.finished = &finished_;
    hooks.loadFile = [this](const std::string& path) { return LoadMaterialFile(path, job_); };
    hooks.listingEnded = [this] {
        if (finished_) {
            extract_ = false;
        }
        Post(job_, kPostAutoLoadCheck);
    };
    SearchUpward(job_.files ? *job_.files : CurrentHost().Files(), start, hooks, job_.searchTop);
}

void LibrarySearch::Spawn(std::function<void()> body) {
    Window* dialog = job_.dialog;
    if (dialog) {
        dialog->BeginWork();
    }
    try {
        threads_.emplace_back([dialog, body = std::move(body)] {
            // An exception leaving a thread would end the host.
            try {
                body();
            } catch (...) {
            }
            if (dialog) {
                dialog->EndWork();
            }
        });
    } catch (...) {
        // No thread to be had: this search is left out.
        if (dialog) {
            dialog->EndWork();
        }
    }
}

Status LibrarySearch::ReadMaterialFile(const std::string& path, const MaterialSearchJob& job,
                                       std::vector<uint8_t>& image,
                                       std::optional<NodeIndex>& index) const {
    FileService& files = job.files ? *job.files : CurrentHost().Files();
    auto unreadable = [](FileOutcome outcome) {
        return Status::Failure(Fault::Unreadable,
                               outcome == FileOutcome::NotFound         ? "does not exist"
                               : outcome == FileOutcome::NotRegularFile ? "is not a regular file"
                                                                        : "could not be read");
    };
    if (FileOutcome read = files.Read(path, image, sizeof kMagic); read != FileOutcome::Done) {
        return unreadable(read);
    }
    if (image.size() < sizeof kMagic ||
        !std::equal(kMagic, kMagic + sizeof kMagic, image.begin())) {
        return Status::Failure(Fault::WrongKind, "is not a Kaltrix file");
    }
    // A file too big to hold is passed over like one that cannot be read;
    // the search goes on with the next.
    try {
        if (FileOutcome read = files.Read(path, image); read != FileOutcome::Done) {
            return unreadable(read);
        }
        Result<NodeIndex> built = NodeIndex::Build(image);
        if (!built) {
            return Status::Failure(Fault::Damaged, "is damaged: " + built.Reason());
        }
        index.emplace(std::move(built.Value()));
    } catch (const std::bad_alloc&) {
        return Status::Failure(Fault::Unreadable, "is too big to be read");
    }
    return Status::Success();
}

bool LibrarySearch::ImportRead(const std::string& path, const MaterialSearchJob& job,
                               std::vector<uint8_t> image, const NodeIndex& index) {
    MaterialImport work = ImportFor(job);
    auto held = Hold(job.lock);
    const int before = found_;
    const bool complete = ImportMaterialLibrary(index, work);
    if (found_ > before) {
        // The index goes with the caller; the bytes stay where they are.
        kept_.push_back(std::move(image));
    }
    if (complete) {
        currentMaterialFile_ = path;
    }
    return complete;
}

bool LibrarySearch::LoadMaterialFile(const std::string& path, const MaterialSearchJob& job) {
    if (finished_) {
        return false;
    }
    Post(job, kPostMaterialCaption, DisplayedPath(path, job.gameFolder));
    std::vector<uint8_t> image;
    std::optional<NodeIndex> index;
    if (!ReadMaterialFile(path, job, image, index)) {
        return false;
    }
    return ImportRead(path, job, std::move(image), *index);
}

Status LibrarySearch::LoadLibrary(const std::string& path, const MaterialSearchJob& job) {
    // The person chose this file: one that gives no materials is said so,
    // also when the materials are all found already (a wrong name typed).
    std::vector<uint8_t> image;
    std::optional<NodeIndex> index;
    if (Status read = ReadMaterialFile(path, job, image, index); !read) {
        return read;
    }
    if (index->FindPath("aterial library", 1) < 0) {
        return Status::Failure(Fault::Refused, "holds no material library");
    }
    if (finished_) {
        return Status::Success();
    }
    Post(job, kPostMaterialCaption, DisplayedPath(path, job.gameFolder));
    if (ImportRead(path, job, std::move(image), *index)) {
        Post(job, kPostAutoLoadCheck);
    }
    return Status::Success();
}

void LibrarySearch::Stop() {
    if (threads_.empty()) {
        return;
    }
    if (job_.stop) {
        *job_.stop = true;
    }
    for (std::thread& t : threads_) {
        if (t.joinable()) {
            t.join();
        }
    }
    threads_.clear();
}

void LibrarySearch::Reset() {
    Stop();
    kept_.clear();
    currentMaterialFile_.clear();
    finished_ = false;
    found_ = 0;
}

bool LibrarySearch::TakeExtractOff() {
    if (!startedWithExtract_ || extractReported_ || extract_) {
        return false;
    }
    extractReported_ = true;
    return true;
}

std::string LibrarySearch::CurrentMaterialFile() const {
    auto held = Hold(job_.lock);
    return currentMaterialFile_;
}

size_t LibrarySearch::KeptFiles() const {
    auto held = Hold(job_.lock);
    return kept_.size();
}

}  // namespace kx
