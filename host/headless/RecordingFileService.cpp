#include "host/headless/RecordingFileService.h"

#include <filesystem>

#include "host/FileIo.h"

namespace kx {

namespace {

// One spelling per file: absolute and without "." or ".." steps.
std::filesystem::path Normalised(const std::string& path) {
    return std::filesystem::path(AbsolutePathOf(path)).lexically_normal();
}

}  // namespace

void RecordingFileService::Recorded(const std::string& path, const std::function<bool()>& write) {
    // Room for the record is made first: once the file is on disk, noting
    // it cannot fail for want of memory, so the record never misses a file.
    std::string entry = path;
    {
        std::lock_guard lock(mutex_);
        written_.reserve(written_.size() + pending_ + 1);
        ++pending_;
    }
    bool done = false;
    try {
        done = write();
    } catch (...) {
        std::lock_guard lock(mutex_);
        --pending_;
        throw;
    }
    std::lock_guard lock(mutex_);
    --pending_;
    if (done) {
        written_.push_back(std::move(entry));
    }
}

FileOutcome RecordingFileService::Write(const std::string& path, std::span<const uint8_t> bytes) {
    FileOutcome outcome = FileOutcome::Failed;
    Recorded(path, [&] {
        outcome = DiskFileService::Write(path, bytes);
        return outcome == FileOutcome::Done;
    });
    return outcome;
}

CreateOutcome RecordingFileService::CreateNew(const std::string& path,
                                              std::span<const uint8_t> bytes) {
    CreateOutcome outcome = CreateOutcome::Failed;
    Recorded(path, [&] {
        outcome = DiskFileService::CreateNew(path, bytes);
        return outcome == CreateOutcome::Done;
    });
    return outcome;
}

std::vector<std::string> RecordingFileService::Written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

bool RecordingFileService::WasWritten(const std::string& path) const {
    const std::filesystem::path wanted = Normalised(path);
    std::lock_guard lock(mutex_);
    for (const std::string& written : written_) {
        if (Normalised(written) == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace kx
