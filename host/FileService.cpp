#include "host/FileService.h"

#include <filesystem>

namespace kx {

namespace {

// One spelling per file: absolute and without "." or ".." steps.
std::filesystem::path Normalised(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal();
}

}  // namespace

FileOutcome DiskFileService::Read(const std::string& path, std::vector<uint8_t>& out,
                                  size_t limit) {
    return ReadFileBytes(path, out, limit);
}

FileOutcome DiskFileService::Write(const std::string& path, std::span<const uint8_t> bytes) {
    return WriteFileBytes(path, bytes);
}

FileService& DiskFiles() {
    static DiskFileService disk;
    return disk;
}

FileOutcome RecordingFileService::Write(const std::string& path, std::span<const uint8_t> bytes) {
    // Room for the record is made first: once the file is on disk, noting
    // it cannot fail for want of memory, so the record never misses a file.
    std::string entry = path;
    {
        std::lock_guard lock(mutex_);
        written_.reserve(written_.size() + pending_ + 1);
        ++pending_;
    }
    FileOutcome outcome = FileOutcome::Failed;
    try {
        outcome = DiskFileService::Write(path, bytes);
    } catch (...) {
        std::lock_guard lock(mutex_);
        --pending_;
        throw;
    }
    std::lock_guard lock(mutex_);
    --pending_;
    if (outcome == FileOutcome::Done) {
        written_.push_back(std::move(entry));
    }
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
