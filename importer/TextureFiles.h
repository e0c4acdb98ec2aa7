#pragma once
// Textures from a container file's texture library, written as files into
// the texture folder so the host can load them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

class FileService;
class NodeIndex;

// Writes the texture named by the leaf `nameNode` ("Dt_name" / "Bt_name")
// into `textureFolder` and gives the path to hand the host: the new file, an
// existing file at that path (never overwritten), or the stored name itself
// when nothing could be written. The file is named by the stored name up to
// its first ".tga" / ".dds" (any case), ending in the extension of the data
// (".dds" for a "MIPS" image, lower case, ".tga" for "MIP0"); a name without
// either keeps its whole text (lower case for "MIPS"). A cut name already
// taken by a file holding another image is numbered: "name (2).dds".
// Files are looked at and made through `files` only.
std::string ExtractTexture(FileService& files, const NodeIndex& index, int nameNode,
                           const std::string& textureFolder);

// Makes every folder of `path` exist, outermost first. A last part with a
// '.' is taken as a file name and left out. Failures are passed over.
void CreateFolderChain(FileService& files, const std::string& path);
// The folders CreateFolderChain makes, in the order it makes them.
std::vector<std::string> FolderChain(std::string_view path);

// A stored texture name reduced to a plain file name (its last path
// component); empty when nothing usable is left or the name is a reserved
// device name on Windows.
std::string SafeTextureName(std::string_view stored);

// Reverses the order of the pixel rows of a TGA image, leaving its header,
// identifier and colour map alone. False, and the image unchanged, when the
// header does not fit the image's bytes.
bool ReverseTgaRows(std::vector<uint8_t>& image);

}  // namespace kx
