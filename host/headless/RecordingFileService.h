#pragma once
// The disk, keeping a record of every file written, in order: the headless
// host learns from it what a plug-in produced.

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "host/FileService.h"

namespace kx {

// Both whole-file writes and files made new (textures) are recorded, once
// they are on disk. Safe to use from several threads.
class RecordingFileService : public DiskFileService {
  public:
    FileOutcome Write(const std::string& path, std::span<const uint8_t> bytes) override;
    CreateOutcome CreateNew(const std::string& path, std::span<const uint8_t> bytes) override;

    // The paths as the plug-in named them.
    std::vector<std::string> Written() const;
    // Whether a write named this file, however the two paths spell it.
    bool WasWritten(const std::string& path) const;

  private:
    // Runs `write`, noting `path` when it gives true.
    void Recorded(const std::string& path, const std::function<bool()>& write);

    mutable std::mutex mutex_;
    std::vector<std::string> written_;
    size_t pending_ = 0;  // writes under way, each with room kept in written_
};

}  // namespace kx
