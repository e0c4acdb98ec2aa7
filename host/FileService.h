#pragma once
// Whole files read and written for a plug-in. The core rules (regular files
// only, written beside the target and renamed over it) are container/FileIo's;
// the host's service adds what a host needs to know, such as which files a
// run wrote.

#include <cstdint>
#include <limits>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "container/FileIo.h"

namespace kx {

class FileService {
  public:
    virtual ~FileService() = default;
    // At most `limit` bytes from the start of the file.
    virtual FileOutcome Read(const std::string& path, std::vector<uint8_t>& out,
                             size_t limit = std::numeric_limits<size_t>::max()) = 0;
    virtual FileOutcome Write(const std::string& path, std::span<const uint8_t> bytes) = 0;
};

// The disk, as container/FileIo reads and writes it.
class DiskFileService : public FileService {
  public:
    FileOutcome Read(const std::string& path, std::vector<uint8_t>& out,
                     size_t limit = std::numeric_limits<size_t>::max()) override;
    FileOutcome Write(const std::string& path, std::span<const uint8_t> bytes) override;
};

// One disk service for whoever is given none.
FileService& DiskFiles();

// The disk, keeping a record of every file written, in order (the headless
// host learns from it what a plug-in produced). Safe to use from several
// threads.
class RecordingFileService : public DiskFileService {
  public:
    FileOutcome Write(const std::string& path, std::span<const uint8_t> bytes) override;

    // The paths as the plug-in named them.
    std::vector<std::string> Written() const;
    // Whether a write named this file, however the two paths spell it.
    bool WasWritten(const std::string& path) const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> written_;
    size_t pending_ = 0;  // writes under way, each with room kept in written_
};

}  // namespace kx
