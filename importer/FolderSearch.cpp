#include "importer/FolderSearch.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "host/FileService.h"

namespace kx {

namespace fs = std::filesystem;

namespace {

// The entries of a folder in name order (the system's own order differs
// between machines); none when it cannot be listed. An entry is looked at
// without following a last symbolic link, so a link is never taken for the
// folder it names.
std::vector<FolderEntry> List(FileService& files, const fs::path& folder) {
    std::vector<FolderEntry> entries = files.ListFolder(folder.string());
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

bool Ended(const FolderSearchHooks& hooks) {
    return (hooks.stop && hooks.stop->load()) || (hooks.finished && hooks.finished->load());
}

// One folder's search, with the folders listed so far (by any search of
// the same climb) and the file system it keeps to. Kept off the call
// stack, so that a deep tree cannot exhaust a worker's stack.
void SearchTree(FileService& files, const fs::path& root, const std::string& device,
                std::set<FolderIdentity>& listed, const FolderSearchHooks& hooks) {
    struct Frame {
        std::vector<FolderEntry> entries;
        size_t next = 0;
        bool descended = false;  // the current entry's folder has been searched
    };
    auto load = [&](const FolderEntry& e) {
        if (hooks.loadFile && IsMaterialFileName(e.name)) {
            hooks.loadFile(e.path);
        }
    };
    std::vector<Frame> stack;
    stack.push_back({List(files, root)});
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
        const FolderEntry& e = frame.entries[frame.next];
        if (e.folder) {
            const std::optional<FolderIdentity> id = files.Identity(e.path, false);
            if (id && id->device == device && listed.insert(*id).second) {
                frame.descended = true;
                std::vector<FolderEntry> entries = List(files, e.path);
                stack.push_back({std::move(entries)});  // `frame` is not used after this
                continue;
            }
        }
        load(e);
        ++frame.next;
    }
}

// An absolute, tidied path without a trailing separator (except the root's).
fs::path Tidy(FileService& files, const std::string& path) {
    fs::path p = fs::path(files.AbsolutePath(path)).lexically_normal();
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

void SearchFolder(FileService& files, const std::string& folder, const FolderSearchHooks& hooks) {
    const fs::path root(folder);
    std::set<FolderIdentity> listed;
    const std::optional<FolderIdentity> id = files.Identity(folder, true);
    if (!id || !files.IsFolder(folder)) {
        // Nothing to list; the listing still ends.
        if (hooks.listingEnded) {
            hooks.listingEnded();
        }
        return;
    }
    listed.insert(*id);
    SearchTree(files, root, id->device, listed, hooks);
}

void SearchUpward(FileService& files, const std::string& start, const FolderSearchHooks& hooks,
                  const std::string& top) {
    fs::path folder = Tidy(files, start);
    const fs::path bound = top.empty() ? folder.root_path() : Tidy(files, top);
    const bool climbs = IsInside(folder, bound);
    std::set<FolderIdentity> listed;
    std::optional<std::string> device;
    while (!Ended(hooks)) {
        const std::optional<FolderIdentity> id = files.Identity(folder.string(), true);
        // The start may name a file, or nothing: its listing is empty.
        const bool isFolder = id && files.IsFolder(folder.string());
        if (isFolder && device && id->device != *device) {
            break;  // the parent lies on another file system
        }
        if (isFolder && listed.insert(*id).second) {
            if (!device) {
                device = id->device;
            }
            SearchTree(files, folder, id->device, listed, hooks);
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
