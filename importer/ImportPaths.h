#pragma once
// Paths as the importer shows and resolves them: the game folder in front
// of relative names, the shorter text shown on the Model button, the
// dialog's title and the folder kept for the next file dialog.

#include <string>
#include <string_view>

#include "base/Text.h"

namespace kx {

// On Windows a path is absolute when it starts with a drive letter and a
// colon or with "\\"; elsewhere when it starts with '/'.
bool IsAbsolutePath(std::string_view path);

// `folder` and `name` joined by one separator; `name` alone when `folder`
// is empty.
std::string JoinPath(std::string_view folder, std::string_view name);

// A relative path taken from the game folder (unchanged without one).
std::string ResolveInGameFolder(std::string_view gameFolder, std::string_view path);

// The path with every occurrence of the game folder's text removed (case
// counts) and turned to lower case.
std::string DisplayedPath(std::string_view path, std::string_view gameFolder);

// The file's name without its folder and extension.
std::string TitleOf(std::string_view path);

// The folder part of a path, up to its last separator; empty when it has none.
std::string FolderOf(std::string_view path);

}  // namespace kx
