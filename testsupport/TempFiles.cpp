#include "testsupport/TempFiles.h"

#include <filesystem>

#include "host/FileIo.h"

namespace kx::test {

// Removal never throws: a test that left a folder where a file was expected
// must still end with its own failure, not an exception from a destructor.

TempFile::TempFile(const std::string& name) : path_(UniqueTempPath(name)) {}

TempFile::~TempFile() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

TempDir::TempDir(const std::string& name) : path_(UniqueTempPath(name)) {
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const {
    return (std::filesystem::path(path_) / name).string();
}

}  // namespace kx::test
