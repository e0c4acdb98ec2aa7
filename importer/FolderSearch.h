#pragma once
// The search of folders for material files: a folder and everything below
// it, depth first, and the climb from a folder to its parents. Both run on
// worker threads, so they use no process-wide current folder, check the
// stop and finished flags between entries, and keep away from what could
// make them run for ever or far: symbolic links to folders are not
// followed, a folder is listed at most once per search, other file systems
// are not entered, and the climb never goes above its top folder.

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

namespace kx {

class FileService;

struct FolderSearchHooks {
    // Either flag set ends every listing after its current entry.
    const std::atomic<bool>* stop = nullptr;
    const std::atomic<bool>* finished = nullptr;
    // A file whose name looks like a material file; gives whether the set
    // of materials is now complete.
    std::function<bool(const std::string& path)> loadFile;
    // After each folder's listing has ended, the nested ones included.
    std::function<void()> listingEnded;
};

// Whether the search loads an entry of this name: it contains ".mat",
// ".txm" or ".3db" (so notes.material.txt counts).
bool IsMaterialFileName(std::string_view name);

// Lists `folder` in name order; each subfolder is searched before the
// entry itself is looked at as a file. A folder that cannot be listed, or
// a path that is no folder, yields nothing.
void SearchFolder(FileService& files, const std::string& folder, const FolderSearchHooks& hooks);

// Searches `start`, then its parent, and so on until the set is complete,
// stop is set, the file system's root or `top` has been searched, or the
// next parent lies on another file system. A folder already searched is
// not searched again as part of its parent. When `start` is not inside
// `top`, only `start` is searched. An empty `top` is the root.
void SearchUpward(FileService& files, const std::string& start, const FolderSearchHooks& hooks,
                  const std::string& top = {});

}  // namespace kx
