#include "host/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <random>
#include <system_error>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "base/Text.h"

namespace kx {

namespace {

// Beside the target, so the rename never crosses file systems; a short
// hidden name, so a long target name still leaves room for it.
std::string TempPathBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    const size_t slash = target.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    return folder + ".kx-" + std::to_string(salt) + "-" + std::to_string(counter++) + ".tmp";
}

// Symbolic links followed this many times at most: more is a loop.
constexpr int kMaxLinkHops = 40;

std::string LowerExtension(const std::string& path) {
    return LowerAscii(std::filesystem::path(path).extension().string());
}

// Whether a write named `link` may land on `end`, where its links lead: the
// extension is what tells a model from a picture or a settings file, and a
// link without one could lead anywhere.
bool SameKind(const std::string& link, const std::string& end) {
    const std::string extension = LowerExtension(link);
    return !extension.empty() && extension == LowerExtension(end);
}

// Where the links starting at `path` end (`path` itself when it is no link);
// nothing for a loop or a link that cannot be read.
std::optional<std::filesystem::path> LinkEnd(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        if (!fs::is_symlink(fs::symlink_status(target, ec))) {
            return target;
        }
        fs::path link = fs::read_symlink(target, ec);
        if (ec) {
            return std::nullopt;
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return std::nullopt;
}

}  // namespace

std::string NotRegularFileMessage(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
        if (const auto end = LinkEnd(path)) {
            const std::string extension = std::filesystem::path(path).extension().string();
            return path + " is a symbolic link to " + end->string() + ", not to a " +
                   (extension.empty() ? "file of its own kind" : extension + " file") +
                   "; neither was changed";
        }
    }
    return path + " is not a regular file";
}

#if !defined(_WIN32)

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

// read(2), tried again when a signal cut it short.
ssize_t ReadRetrying(int fd, uint8_t* into, size_t size) {
    ssize_t n;
    do {
        n = ::read(fd, into, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

// write(2) until every byte is out, tried again when a signal cut it short.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Where a write to `path` lands: symbolic links followed to the end, and
// refused unless they end at a file of their own kind. `exists` tells
// whether that file is there; `mode` holds its bits when it is.
FileOutcome ResolveWriteTarget(const std::string& path, std::string& target, bool& exists,
                               mode_t& mode) {
    target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        const bool linked = hop > 0;
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0) {
            exists = false;
            if (errno != ENOENT) {
                return FileOutcome::Failed;
            }
            return !linked || SameKind(path, target) ? FileOutcome::Done
                                                     : FileOutcome::NotRegularFile;
        }
        if (!S_ISLNK(st.st_mode)) {
            exists = true;
            mode = st.st_mode;
            return S_ISREG(st.st_mode) && (!linked || SameKind(path, target))
                       ? FileOutcome::Done
                       : FileOutcome::NotRegularFile;
        }
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size()) {
            return FileOutcome::Failed;
        }
        link.resize(static_cast<size_t>(n));
        if (link[0] == '/') {
            target = link;
        } else {
            // A relative link is relative to the folder that holds it.
            const size_t slash = target.find_last_of('/');
            target = (slash == std::string::npos ? "" : target.substr(0, slash + 1)) + link;
        }
    }
    return FileOutcome::Failed;
}

}  // namespace

FileOutcome ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, size_t limit) {
    out.clear();
    // Looked at before it is opened: opening a device can have effects of
    // its own, and opening a pipe could wait for a writer.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT ? FileOutcome::NotFound : FileOutcome::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        return FileOutcome::NotRegularFile;
    }
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        return FileOutcome::Failed;
    }
    // The name may have been given to something else in between.
    if (::fstat(fd.get(), &st) != 0) {
        return FileOutcome::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        return FileOutcome::NotRegularFile;
    }
    const uint64_t size = std::min<uint64_t>(static_cast<uint64_t>(st.st_size), limit);
    if (size > out.max_size()) {
        throw std::bad_alloc();
    }
    out.resize(static_cast<size_t>(size));
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ReadRetrying(fd.get(), out.data() + got, out.size() - got);
        if (n < 0) {
            out.clear();
            return FileOutcome::Failed;
        }
        if (n == 0) {
            out.resize(got);  // shorter than it was a moment ago
            return FileOutcome::Done;
        }
        got += static_cast<size_t>(n);
    }
    // It may also have grown in between: take the rest up to its end.
    for (uint8_t chunk[4096]; out.size() < limit;) {
        const ssize_t n = ReadRetrying(fd.get(), chunk, std::min(sizeof chunk, limit - out.size()));
        if (n < 0) {
            out.clear();
            return FileOutcome::Failed;
        }
        if (n == 0) {
            break;
        }
        out.insert(out.end(), chunk, chunk + n);
    }
    return FileOutcome::Done;
}

FileOutcome WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
    if (path.empty()) {
        return FileOutcome::Failed;
    }
    std::string target;
    bool exists = false;
    mode_t mode = 0;
    if (FileOutcome resolved = ResolveWriteTarget(path, target, exists, mode);
        resolved != FileOutcome::Done) {
        return resolved;
    }
    const std::string temp = TempPathBeside(target);
    // A new file gets the usual bits less the umask; a replaced one its own.
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666));
    if (fd.get() < 0) {
        return FileOutcome::Failed;
    }
    bool ok = (!exists || ::fchmod(fd.get(), mode & 07777) == 0) && WriteAll(fd.get(), bytes);
    // On disk before the rename, so a crash leaves the old file or the new
    // one, never an empty one.
    ok = ok && ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return FileOutcome::Failed;
    }
    return FileOutcome::Done;
}

FileOutcome CheckWriteTarget(const std::string& path) {
    std::string target;
    bool exists = false;
    mode_t mode = 0;
    return path.empty() ? FileOutcome::Failed : ResolveWriteTarget(path, target, exists, mode);
}

CreateOutcome CreateNewFile(const std::string& path, std::span<const uint8_t> bytes) {
    // O_EXCL also refuses a symbolic link at the path, dangling or not, so
    // nothing is ever written through one.
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        return PathExists(path) ? CreateOutcome::Exists : CreateOutcome::Failed;
    }
    bool ok = WriteAll(fd.get(), bytes);
    ok = fd.Close() && ok;
    if (!ok) {
        ::unlink(path.c_str());
        return CreateOutcome::Failed;
    }
    return CreateOutcome::Done;
}

std::optional<FolderIdentity> FolderIdentityOf(const std::string& path, bool followLink) {
    struct stat st {};
    if ((followLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) {
        return std::nullopt;
    }
    return FolderIdentity{std::to_string(st.st_dev), std::to_string(st.st_ino)};
}

#else  // _WIN32

FileOutcome ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, size_t limit) {
    out.clear();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return FileOutcome::NotFound;
    }
    if (ec) {
        return FileOutcome::Failed;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return FileOutcome::NotRegularFile;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return FileOutcome::Failed;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        return FileOutcome::Failed;
    }
    const uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(size), limit);
    if (wanted > out.max_size()) {
        throw std::bad_alloc();
    }
    in.seekg(0, std::ios::beg);
    out.resize(static_cast<size_t>(wanted));
    if (wanted > 0 &&
        !in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(wanted))) {
        out.clear();
        return FileOutcome::Failed;
    }
    return FileOutcome::Done;
}

namespace {

// Where a write to `path` lands, as on other systems: links followed to a
// file of their own kind only. `status` is that file's.
FileOutcome ResolveWriteTarget(const std::string& path, std::filesystem::path& target,
                               std::filesystem::file_status& status) {
    namespace fs = std::filesystem;
    const auto end = LinkEnd(path);
    if (!end) {
        return FileOutcome::Failed;
    }
    target = *end;
    std::error_code ec;
    status = fs::status(target, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        return FileOutcome::NotRegularFile;
    }
    const bool linked = target != fs::path(path);
    return !linked || SameKind(path, target.string()) ? FileOutcome::Done
                                                      : FileOutcome::NotRegularFile;
}

}  // namespace

FileOutcome CheckWriteTarget(const std::string& path) {
    std::filesystem::path target;
    std::filesystem::file_status status;
    return path.empty() ? FileOutcome::Failed : ResolveWriteTarget(path, target, status);
}

FileOutcome WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        return FileOutcome::Failed;
    }
    fs::path target;
    fs::file_status status;
    if (FileOutcome resolved = ResolveWriteTarget(path, target, status);
        resolved != FileOutcome::Done) {
        return resolved;
    }
    std::error_code ec;
    const bool exists = fs::exists(status);
    const std::string temp = TempPathBeside(target.string());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return FileOutcome::Failed;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            return FileOutcome::Failed;
        }
    }
    if (exists) {
        fs::permissions(temp, status.permissions(), ec);
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return FileOutcome::Failed;
    }
    return FileOutcome::Done;
}

CreateOutcome CreateNewFile(const std::string& path, std::span<const uint8_t> bytes) {
    // CREATE_NEW fails on anything at the path, a link included.
    const std::filesystem::path wide(path);
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return PathExists(path) ? CreateOutcome::Exists : CreateOutcome::Failed;
    }
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD wrote = 0;
        ok = ::WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote > 0;
        done += wrote;
    }
    ok = ::CloseHandle(file) && ok;
    if (!ok) {
        ::DeleteFileW(wide.c_str());
        return CreateOutcome::Failed;
    }
    return CreateOutcome::Done;
}

std::optional<FolderIdentity> FolderIdentityOf(const std::string& path, bool followLink) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!followLink && fs::is_symlink(fs::symlink_status(path, ec))) {
        return std::nullopt;
    }
    const fs::path real = fs::canonical(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return FolderIdentity{real.root_name().string(), LowerAscii(real.string())};
}

#endif

bool PathExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::optional<uint64_t> RegularFileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(size);
}

bool RemovePath(const std::string& path) {
    // By its C name: making a path object could itself run out of memory,
    // and a removal is often what cleans up after just that.
    return std::remove(path.c_str()) == 0;
}

bool MakeOneFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::create_directory(path, ec);
}

bool IsFolderPath(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::status(path, ec));
}

std::vector<FolderEntry> ListFolderEntries(const std::string& path) {
    namespace fs = std::filesystem;
    std::vector<FolderEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        FolderEntry e;
        e.path = it->path().string();
        e.name = it->path().filename().string();
        // The entry itself, not where a link on it leads.
        std::error_code typeEc;
        const fs::file_status status = it->symlink_status(typeEc);
        e.folder = !typeEc && fs::is_directory(status);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string AbsolutePathOf(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.string();
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    return ReadFileBytes(path, out) == FileOutcome::Done;
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
    return WriteFileBytes(path, bytes) == FileOutcome::Done;
}

std::string UniqueTempPath(std::string_view name) {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) {
        dir = ".";
    }
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    std::filesystem::path candidate;
    do {
        candidate = dir / ("kx-" + std::to_string(random()) + "_" + std::to_string(counter++) +
                           "-" + std::string(name));
    } while (std::filesystem::exists(candidate, ec));
    return candidate.string();
}

}  // namespace kx
