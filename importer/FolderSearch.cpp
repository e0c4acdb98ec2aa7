#include "importer/FolderSearch.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "base/Text.h"

namespace kx {

namespace fs = std::filesystem;

namespace {

// What tells two folders apart however they are reached, and the file
// system a folder lies on.
struct FolderId {
    std::string device;
    std::string node;
    auto operator<=>(const FolderId&) const = default;
};

// An entry of a listing is looked at without following a last symbolic
// link, so a link is never taken for the folder it names; a folder the
// search starts from may be reached through one.
std::optional<FolderId> IdOf(const fs::path& path, bool follow) {
#if defined(_WIN32)
    std::error_code ec;
    if (!follow && fs::is_symlink(fs::symlink_status(path, ec))) {
        return std::nullopt;
    }
    const fs::path real = fs::canonical(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return FolderId{real.root_name().string(), LowerAscii(real.string())};
#else
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) {
        return std::nullopt;
    }
    return FolderId{std::to_string(st.st_dev), std::to_string(st.st_ino)};
#endif
}

struct Entry {
    fs::path path;
    std::string name;
    bool folder = false;  // a real folder, not a link to one
};

// The entries of a folder in name order (the system's own order differs
// between machines); none when it cannot be listed.
std::vector<Entry> List(const fs::path& folder) {
    std::vector<Entry> entries;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        Entry e;
        e.path = it->path();
        e.name = e.path.filename().string();
        std::error_code typeEc;
        const fs::file_status status = it->symlink_status(typeEc);
        e.folder = !typeEc && fs::is_directory(status);
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

bool Ended(const FolderSearchHooks& hooks) {
    return (hooks.stop && hooks.stop->load()) || (hooks.finished && hooks.finished->load());
}

// One folder's search, with the folders listed so far (by any search of
// the same climb) and the file system it keeps to. Kept off the call
// stack, so that a deep tree cannot exhaust a worker's stack.
void SearchTree(const fs::path& root, const std::string& device, std::set<FolderId>& listed,
                const FolderSearchHooks& hooks) {
    struct Frame {
        std::vector<Entry> entries;
        size_t next = 0;
        bool descended = false;  // the current entry's folder has been searched
    };
    auto load = [&](const Entry& e) {
        if (hooks.loadFile && IsMaterialFileName(e.name)) {
            hooks.loadFile(e.path.string());
        }
    };
    std::vector<Frame> stack;
    stack.push_back({List(root)});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.descended) {
            frame.descended = false;
            load(frame.entries[frame.next++]);
            continue;
        }
        if (frame.next >= frame.entries.size() || Ended(hooks)) {
            stack.pop_back();
            if (hooks.listingEnded) {
                hooks.listingEnded();
            }
            continue;
        }
        const Entry& e = frame.entries[frame.next];
        if (e.folder) {
            const std::optional<FolderId> id = IdOf(e.path, false);
            if (id && id->device == device && listed.insert(*id).second) {
                frame.descended = true;
                std::vector<Entry> entries = List(e.path);
                stack.push_back({std::move(entries)});  // `frame` is not used after this
                continue;
            }
        }
        load(e);
        ++frame.next;
    }
}

// An absolute, tidied path without a trailing separator (except the root's).
fs::path Tidy(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) {
        p = fs::path(path);
    }
    p = p.lexically_normal();
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) {
        p = p.parent_path();
    }
    return p;
}

bool IsInside(const fs::path& path, const fs::path& top) {
    auto p = path.begin();
    for (auto t = top.begin(); t != top.end(); ++t, ++p) {
        if (t->empty()) {
            continue;  // a trailing separator
        }
        if (p == path.end() || *p != *t) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsMaterialFileName(std::string_view name) {
    return name.find(".mat") != std::string_view::npos ||
           name.find(".txm") != std::string_view::npos ||
           name.find(".3db") != std::string_view::npos;
}

void SearchFolder(const std::string& folder, const FolderSearchHooks& hooks) {
    const fs::path root(folder);
    std::set<FolderId> listed;
    const std::optional<FolderId> id = IdOf(root, true);
    std::error_code ec;
    if (!id || !fs::is_directory(fs::status(root, ec))) {
        // Nothing to list; the listing still ends.
        if (hooks.listingEnded) {
            hooks.listingEnded();
        }
        return;
    }
    listed.insert(*id);
    SearchTree(root, id->device, listed, hooks);
}

void SearchUpward(const std::string& start, const FolderSearchHooks& hooks,
                  const std::string& top) {
    fs::path folder = Tidy(start);
    const fs::path bound = top.empty() ? folder.root_path() : Tidy(top);
    const bool climbs = IsInside(folder, bound);
    std::set<FolderId> listed;
    std::optional<std::string> device;
    while (!Ended(hooks)) {
        std::error_code ec;
        const std::optional<FolderId> id = IdOf(folder, true);
        // The start may name a file, or nothing: its listing is empty.
        const bool isFolder = id && fs::is_directory(fs::status(folder, ec));
        if (isFolder && device && id->device != *device) {
            break;  // the parent lies on another file system
        }
        if (isFolder && listed.insert(*id).second) {
            if (!device) {
                device = id->device;
            }
            SearchTree(folder, id->device, listed, hooks);
        } else if (hooks.listingEnded) {
            hooks.listingEnded();
        }
        if (!climbs || folder == bound || !folder.has_relative_path()) {
            break;
        }
        fs::path parent = folder.parent_path();
        if (parent == folder) {
            break;
        }
        folder = std::move(parent);
    }
}

}  // namespace kx
