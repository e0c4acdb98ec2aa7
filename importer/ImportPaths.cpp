#include "importer/ImportPaths.h"

namespace kx {

bool IsAbsolutePath(std::string_view path) {
#if defined(_WIN32)
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || path.starts_with("\\\\");
#else
    return path.starts_with('/');
#endif
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (!joined.empty() && !IsPathSeparator(joined.back())) {
        joined += PathSeparator();
    }
    joined += name;
    return joined;
}

std::string ResolveInGameFolder(std::string_view gameFolder, std::string_view path) {
    if (gameFolder.empty() || IsAbsolutePath(path)) {
        return std::string(path);
    }
    return JoinPath(gameFolder, path);
}

std::string DisplayedPath(std::string_view path, std::string_view gameFolder) {
    std::string shown;
    while (!path.empty()) {
        const size_t at = gameFolder.empty() ? std::string_view::npos : path.find(gameFolder);
        shown += path.substr(0, at);
        if (at == std::string_view::npos) {
            break;
        }
        path.remove_prefix(at + gameFolder.size());
    }
    return LowerAscii(shown);
}

std::string TitleOf(std::string_view path) {
    const size_t slash = LastPathSeparator(path);
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string FolderOf(std::string_view path) {
    const size_t slash = LastPathSeparator(path);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace kx
