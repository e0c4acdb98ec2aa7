#pragma once
// A path in the temporary folder, removed when the test is done with it.

#include <filesystem>
#include <string>

namespace kx::test {

class TempPath {
  public:
    explicit TempPath(const std::string& name)
        : path_((std::filesystem::temp_directory_path() / ("kx_ms3d_" + name)).string()) {}
    ~TempPath() { std::filesystem::remove(path_); }
    const std::string& str() const { return path_; }

  private:
    std::string path_;
};

}  // namespace kx::test
