#pragma once
// Everything a plug-in does with files goes through this service, so the
// plug-ins never call the file system themselves and a host can watch what
// they write. Whole files only: a file is read at once and written to a
// temporary beside it, then renamed over it (host/FileIo.h has the rules).

#include <compare>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

enum class FileOutcome {
    Done,
    NotFound,        // reading: no such file
    NotRegularFile,  // a folder, pipe, device or socket, or a link written
                     // to that leads elsewhere: refused, nothing touched
    Failed,          // could not be opened, read, written or renamed
};

// Making a file that must not exist yet.
enum class CreateOutcome {
    Done,
    Exists,  // something is at the path already: left as it was
    Failed,
};

inline constexpr const char* kFileErrorCaption = "File Error";

// One entry of a folder's listing.
struct FolderEntry {
    std::string path;  // the folder's path joined with the name
    std::string name;
    bool folder = false;  // a real folder, not a symbolic link to one
};

// What tells two folders apart however they are reached, and the file
// system a folder lies on.
struct FolderIdentity {
    std::string device;
    std::string node;
    auto operator<=>(const FolderIdentity&) const = default;
};

class FileService {
  public:
    virtual ~FileService() = default;
    // At most `limit` bytes from the start of the file.
    virtual FileOutcome Read(const std::string& path, std::vector<uint8_t>& out,
                             size_t limit = std::numeric_limits<size_t>::max()) = 0;
    // Replaces the file whole, or makes it.
    virtual FileOutcome Write(const std::string& path, std::span<const uint8_t> bytes) = 0;
    // Makes the file only when nothing is at the path yet, so an existing
    // file is never replaced, not even by another thread making the same
    // file at the same moment. A file left half written is removed again.
    virtual CreateOutcome CreateNew(const std::string& path, std::span<const uint8_t> bytes) = 0;
    // What Write would make of the target, with nothing written.
    virtual FileOutcome CheckWriteTarget(const std::string& path) = 0;
    // The message a person sees for a path refused as NotRegularFile
    // (caption kFileErrorCaption).
    virtual std::string NotRegularFileMessage(const std::string& path) = 0;

    // Whether anything is at the path, links followed.
    virtual bool Exists(const std::string& path) = 0;
    // The size of a regular file, links followed; nothing for anything else.
    virtual std::optional<uint64_t> FileSize(const std::string& path) = 0;
    // Removes a file; false when nothing was removed. Allocates nothing, so
    // it may be called on the way out of a failed allocation.
    virtual bool Remove(const std::string& path) = 0;

    // Makes one folder, its parent being there; false when it could not be
    // made (an existing folder included).
    virtual bool MakeFolder(const std::string& path) = 0;
    // Whether the path is a folder, links followed.
    virtual bool IsFolder(const std::string& path) = 0;
    // The folder's entries in the system's order, without "." and "..";
    // none when it cannot be listed, and those read so far when the listing
    // breaks off. Entries that may not be looked at are passed over.
    virtual std::vector<FolderEntry> ListFolder(const std::string& path) = 0;
    // The folder's identity; `followLink` false looks at a last symbolic
    // link itself (none on Windows, where a link has no identity of its
    // own). Nothing when the path cannot be looked at.
    virtual std::optional<FolderIdentity> Identity(const std::string& path, bool followLink) = 0;

    // The path made absolute against the current folder (unchanged when
    // that cannot be told).
    virtual std::string AbsolutePath(const std::string& path) = 0;
    // A path in the system's temporary folder that no file holds yet, ending
    // in `name`.
    virtual std::string TempPath(std::string_view name) = 0;
};

// The disk, as host/FileIo.h reads and writes it.
class DiskFileService : public FileService {
  public:
    FileOutcome Read(const std::string& path, std::vector<uint8_t>& out,
                     size_t limit = std::numeric_limits<size_t>::max()) override;
    FileOutcome Write(const std::string& path, std::span<const uint8_t> bytes) override;
    CreateOutcome CreateNew(const std::string& path, std::span<const uint8_t> bytes) override;
    FileOutcome CheckWriteTarget(const std::string& path) override;
    std::string NotRegularFileMessage(const std::string& path) override;
    bool Exists(const std::string& path) override;
    std::optional<uint64_t> FileSize(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool MakeFolder(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    std::vector<FolderEntry> ListFolder(const std::string& path) override;
    std::optional<FolderIdentity> Identity(const std::string& path, bool followLink) override;
    std::string AbsolutePath(const std::string& path) override;
    std::string TempPath(std::string_view name) override;
};

// One disk service for whoever is given none.
FileService& DiskFiles();

}  // namespace kx
