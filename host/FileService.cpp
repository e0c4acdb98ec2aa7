#include "host/FileService.h"

#include "host/FileIo.h"

namespace kx {

FileOutcome DiskFileService::Read(const std::string& path, std::vector<uint8_t>& out,
                                  size_t limit) {
    return ReadFileBytes(path, out, limit);
}

FileOutcome DiskFileService::Write(const std::string& path, std::span<const uint8_t> bytes) {
    return WriteFileBytes(path, bytes);
}

CreateOutcome DiskFileService::CreateNew(const std::string& path, std::span<const uint8_t> bytes) {
    return CreateNewFile(path, bytes);
}

FileOutcome DiskFileService::CheckWriteTarget(const std::string& path) {
    return kx::CheckWriteTarget(path);
}

std::string DiskFileService::NotRegularFileMessage(const std::string& path) {
    return kx::NotRegularFileMessage(path);
}

bool DiskFileService::Exists(const std::string& path) {
    return PathExists(path);
}

std::optional<uint64_t> DiskFileService::FileSize(const std::string& path) {
    return RegularFileSize(path);
}

bool DiskFileService::Remove(const std::string& path) {
    return RemovePath(path);
}

bool DiskFileService::MakeFolder(const std::string& path) {
    return MakeOneFolder(path);
}

bool DiskFileService::IsFolder(const std::string& path) {
    return IsFolderPath(path);
}

std::vector<FolderEntry> DiskFileService::ListFolder(const std::string& path) {
    return ListFolderEntries(path);
}

std::optional<FolderIdentity> DiskFileService::Identity(const std::string& path, bool followLink) {
    return FolderIdentityOf(path, followLink);
}

std::string DiskFileService::AbsolutePath(const std::string& path) {
    return AbsolutePathOf(path);
}

std::string DiskFileService::TempPath(std::string_view name) {
    return UniqueTempPath(name);
}

FileService& DiskFiles() {
    static DiskFileService disk;
    return disk;
}

}  // namespace kx
