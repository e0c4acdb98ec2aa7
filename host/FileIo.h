#pragma once
// The disk: whole-file reads and writes, and the folder work the file
// service offers, on POSIX systems and on Windows (where a path is taken as
// std::filesystem takes a narrow string). Plug-ins reach these through
// their host's FileService; the command line, the tests and the readers of
// its own files call them directly. Only regular files are read or
// replaced: a folder, pipe or device named as a file is refused and left as
// it is, and so is a symbolic link to anything but a file of its own kind.

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/FileService.h"

namespace kx {

// The message a person sees for a refused path (caption kFileErrorCaption);
// for a symbolic link it names the file the link leads to as well.
std::string NotRegularFileMessage(const std::string& path);

// Reads the whole file, or its first `limit` bytes, into `out` (emptied
// first). Never blocks on a pipe and never sizes a buffer from anything but a
// regular file. A file larger than memory can hold throws std::bad_alloc, as
// any allocation would.
FileOutcome ReadFileBytes(const std::string& path, std::vector<uint8_t>& out,
                          size_t limit = std::numeric_limits<size_t>::max());

// Writes the bytes to a temporary file beside the target and renames it over
// the target, so a failed write never leaves a half-written file in its
// place. A symbolic link is followed only to a file of its own kind: where
// the links end must be a regular file, or nothing yet, with the link's
// extension (case aside); it is replaced and the link stays. Any other link
// is refused, so a slip or a planted link never replaces an unrelated file.
// An existing target that is not a regular file is refused; a replaced file
// keeps its permission bits.
FileOutcome WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);

// What WriteFileBytes would make of the target, with nothing written: Done
// when it may be written, NotRegularFile when it would be refused, Failed
// when it cannot be told (a loop of links). For a caller that reads the
// target before replacing it.
FileOutcome CheckWriteTarget(const std::string& path);

// Makes the file only when nothing is at the path yet, writing the bytes; a
// failed write removes what it made. A symbolic link at the path, dangling
// or not, is never written through: Exists when it leads to something,
// else Failed.
CreateOutcome CreateNewFile(const std::string& path, std::span<const uint8_t> bytes);

// The folder work of FileService, on the disk.
bool PathExists(const std::string& path);
std::optional<uint64_t> RegularFileSize(const std::string& path);
bool RemovePath(const std::string& path);
bool MakeOneFolder(const std::string& path);
bool IsFolderPath(const std::string& path);
std::vector<FolderEntry> ListFolderEntries(const std::string& path);
std::optional<FolderIdentity> FolderIdentityOf(const std::string& path, bool followLink);
std::string AbsolutePathOf(const std::string& path);

// The same, for callers that only need to know whether it worked.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);

// A path in the system's temporary folder (the working folder when there is
// none) that no file holds yet: "kx-", a random token and a count, "-",
// then `name`, so the name's extension is kept and two processes never share
// a path.
std::string UniqueTempPath(std::string_view name);

}  // namespace kx
