#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace velk::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes a file below the folder and returns its path.
    std::filesystem::path Write(const std::string& name, const std::string& content) const;

  private:
    std::filesystem::path path_;
};

// The bytes of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// A file of tests/data.
std::filesystem::path DataFile(const std::string& name);

// The message of the runtime error that `action` raises, as UTF-8; empty
// when it raises none. Other exceptions pass through.
std::string ErrorOf(const std::function<void()>& action);

// The Wine prefix kind the test runs in ("win64", "win32"), empty natively.
std::string WineArch();

}  // namespace velk::test
