#include "importer/TextureFiles.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "base/Text.h"
#include "container/ByteReader.h"
#include "host/FileService.h"
#include "importer/ImportPaths.h"
#include "importer/NodeIndex.h"

namespace kx {

namespace {

// How many files one cut texture name may stand for.
constexpr int kNumberedCopies = 100;

// Windows opens a device, not a file, for these names whatever follows the
// first '.', so a texture named CON.tga would never reach the folder.
bool IsReservedDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view reserved : kPlain) {
        if (SameIgnoringCase(stem, reserved)) {
            return true;
        }
    }
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9') {
        return SameIgnoringCase(stem.substr(0, 3), "COM") ||
               SameIgnoringCase(stem.substr(0, 3), "LPT");
    }
    return false;
}

// The name a "MIPS" image is written under when the stored name has no
// image extension to go by: lower case, and a DDS file whatever the
// material calls it.
std::string DdsFileName(std::string_view name) {
    const std::string lower = LowerAscii(name);
    std::string out;
    for (size_t i = 0; i < lower.size();) {
        if (lower.compare(i, 4, ".tga") == 0) {
            out += ".dds";
            i += 4;
        } else {
            out += lower[i++];
        }
    }
    return out;
}

// Where the first ".tga" or ".dds" (any case) ends, after at least one
// character of name; npos when there is none.
size_t ImageExtensionEnd(std::string_view name) {
    for (size_t i = 1; i + 4 <= name.size(); ++i) {
        const std::string_view ext = name.substr(i, 4);
        if (SameIgnoringCase(ext, ".tga") || SameIgnoringCase(ext, ".dds")) {
            return i + 4;
        }
    }
    return std::string_view::npos;
}

// The file an image is written under. A stored name with an image extension
// is cut after it: what some tools append (a date, a second name run on)
// would leave a file that no program opens, and the extension becomes the
// one the data has. A name without one keeps the older rule. `derived` when
// the name differs from what that older rule gives.
struct TextureFile {
    std::string name;
    bool derived = false;
};
TextureFile TextureFileName(std::string_view safe, bool mips) {
    const std::string older = mips ? DdsFileName(safe) : std::string(safe);
    const size_t end = ImageExtensionEnd(safe);
    if (end == std::string_view::npos) {
        return {older, false};
    }
    std::string name;
    if (mips) {
        name = DdsFileName(safe.substr(0, end - 4)) + ".dds";
    } else {
        const std::string_view extension = safe.substr(end - 4, 4);
        name = std::string(safe.substr(0, end - 4)) +
               (SameIgnoringCase(extension, ".tga") ? std::string(extension) : ".tga");
    }
    return {name, name != older};
}

// "name (n).ext": another file for a texture whose cut name is taken.
std::string NumberedName(const std::string& name, int n) {
    return name.substr(0, name.size() - 4) + " (" + std::to_string(n) + ")" +
           name.substr(name.size() - 4);
}

// Whether the file at `path` holds exactly `bytes`.
bool Holds(FileService& files, const std::string& path, std::span<const uint8_t> bytes) {
    const std::optional<uint64_t> size = files.FileSize(path);
    if (!size || *size != bytes.size()) {
        return false;
    }
    std::vector<uint8_t> held;
    return files.Read(path, held) == FileOutcome::Done &&
           std::equal(held.begin(), held.end(), bytes.begin(), bytes.end());
}

}  // namespace

std::string SafeTextureName(std::string_view stored) {
    // Only the last component counts: separators of either kind and a drive
    // letter's colon never lead out of the texture folder.
    size_t start = 0;
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '/' || stored[i] == '\\' || stored[i] == ':') {
            start = i + 1;
        }
    }
    std::string_view name = stored.substr(start);
    bool onlyDotsAndSpaces = true;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            return {};
        }
        if (c != '.' && c != ' ') {
            onlyDotsAndSpaces = false;
        }
    }
    // ".", ".." and the like name a folder (Windows also drops trailing dots
    // and spaces, leaving nothing).
    if (onlyDotsAndSpaces || IsReservedDeviceName(name)) {
        return {};
    }
    return std::string(name);
}

bool ReverseTgaRows(std::vector<uint8_t>& image) {
    ByteReader header(image);
    uint8_t idLength = 0, mapType = 0, mapEntryBits = 0, depth = 0;
    uint16_t mapLength = 0, width = 0, height = 0;
    header.U8(idLength);
    header.U8(mapType);
    header.Seek(5);
    header.U16(mapLength);
    header.U8(mapEntryBits);
    header.Seek(12);
    header.U16(width);
    header.U16(height);
    header.U8(depth);
    if (!header.Ok() || image.size() < 18) {
        return false;
    }
    // The fields are signed in the format: a negative size is inconsistent.
    if (mapLength > 0x7fff || width > 0x7fff || height > 0x7fff) {
        return false;
    }
    uint64_t start = 18u + uint64_t{idLength};
    if (mapType == 1) {
        start += uint64_t{mapEntryBits / 8u} * mapLength;
    }
    const uint64_t rowBytes = uint64_t{depth / 8u} * width;
    if (start + rowBytes * height > image.size()) {
        return false;
    }
    // Rows r and height-1-r swap; the middle row of an odd height stays.
    for (uint64_t r = 0; r < height / 2u; ++r) {
        auto a = image.begin() + static_cast<ptrdiff_t>(start + r * rowBytes);
        auto b = image.begin() + static_cast<ptrdiff_t>(start + (height - 1u - r) * rowBytes);
        std::swap_ranges(a, a + static_cast<ptrdiff_t>(rowBytes), b);
    }
    return true;
}

std::vector<std::string> FolderChain(std::string_view path) {
    // A last part with a '.' names a file, not a folder. Only the last part
    // is looked at: a dot in a parent's name must not stop the folder itself
    // from being made.
    const size_t last = LastPathSeparator(path);
    const std::string_view lastPart = last == std::string_view::npos ? path : path.substr(last + 1);
    if (lastPart.find('.') != std::string_view::npos) {
        path = last == std::string_view::npos ? std::string_view{} : path.substr(0, last);
    }
    // Leading separators stay: they make the path absolute (or a network
    // path on Windows).
    std::string built;
    size_t i = 0;
    while (i < path.size() && IsPathSeparator(path[i])) {
        built += PathSeparator();
        ++i;
    }
    const size_t rootLength = built.size();
    std::vector<std::string> chain;
    while (i < path.size()) {
        size_t end = i;
        while (end < path.size() && !IsPathSeparator(path[end])) {
            ++end;
        }
        if (end > i) {
            if (built.size() > rootLength) {
                built += PathSeparator();
            }
            built.append(path.substr(i, end - i));
            chain.push_back(built);
        }
        i = end + 1;
    }
    return chain;
}

void CreateFolderChain(FileService& files, const std::string& path) {
    // A relative folder would be made wherever the host happens to run.
    if (!IsAbsolutePath(path)) {
        return;
    }
    for (const std::string& folder : FolderChain(path)) {
        files.MakeFolder(folder);
    }
}

std::string ExtractTexture(FileService& files, const NodeIndex& index, int nameNode,
                           const std::string& textureFolder) {
    if (!index.Has(nameNode)) {
        return {};
    }
    const std::string stored(LeafText(index[nameNode]));
    const std::string safe = SafeTextureName(stored);
    // Without a folder, or with a relative one, the file would land in
    // whatever the current folder is.
    if (safe.empty() || !IsAbsolutePath(textureFolder)) {
        return stored;
    }
    const int library = index.FindPath("exture library", 1);
    const int first = index.FirstChild(library);
    if (first < 0) {
        return stored;
    }
    int image = index.FindPath(stored + "\nMIP", first);
    if (image < 0) {
        return stored;
    }
    const bool mips = index[image].name == "MIPS";
    if (!mips) {
        image = index.FindPath(stored + "\nMIP0", first);
        if (image < 0) {
            return stored;
        }
    }
    if (!index[image].leaf) {
        return stored;
    }
    const TextureFile file = TextureFileName(safe, mips);
    const std::string path = JoinPath(textureFolder, file.name);
    if (!file.derived && files.Exists(path)) {
        return path;
    }
    // The loaded image stays as it was read; only what is written is turned.
    std::vector<uint8_t> bytes(index[image].data.begin(), index[image].data.end());
    const bool dds = bytes.size() >= 3 && bytes[0] == 'D' && bytes[1] == 'D' && bytes[2] == 'S';
    if (!dds) {
        // An image whose header does not fit its bytes is written unchanged.
        ReverseTgaRows(bytes);
    }
    if (!file.derived) {
        return files.CreateNew(path, bytes) == CreateOutcome::Failed ? stored : path;
    }
    // Stored names that differ only after their extension cut to one name:
    // each image gets a file of its own, and a file already holding the same
    // image (the same texture again, or an earlier import) is used as it is.
    for (int copy = 1; copy <= kNumberedCopies; ++copy) {
        const std::string candidate =
            copy == 1 ? path : JoinPath(textureFolder, NumberedName(file.name, copy));
        switch (files.CreateNew(candidate, bytes)) {
            case CreateOutcome::Done:
                return candidate;
            case CreateOutcome::Failed:
                return stored;
            case CreateOutcome::Exists:
                if (Holds(files, candidate, bytes)) {
                    return candidate;
                }
                break;
        }
    }
    return stored;
}

}  // namespace kx
