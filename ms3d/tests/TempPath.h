#pragma once
// A path in the temporary folder, removed when the test is done with it.

#include <filesystem>
#include <string>

#include "container/FileIo.h"

namespace kx::test {

class TempPath {
  public:
    explicit TempPath(const std::string& name) : path_(UniqueTempPath(name)) {}
    ~TempPath() { std::filesystem::remove(path_); }
    const std::string& str() const { return path_; }

  private:
    std::string path_;
};

}  // namespace kx::test
