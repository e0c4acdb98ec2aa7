#pragma once
// Temporary files and folders for tests, each at a path no other test or
// process shares, removed when the test is done with them.

#include <string>

namespace kx::test {

// A path in the temporary folder ending in `name`; whatever is made there is
// removed at the end.
class TempFile {
  public:
    explicit TempFile(const std::string& name);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A folder in the temporary folder, removed with everything in it.
class TempDir {
  public:
    explicit TempDir(const std::string& name);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // A path inside the folder.
    std::string File(const std::string& name) const;

  private:
    std::string path_;
};

}  // namespace kx::test
