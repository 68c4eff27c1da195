// Real temporary folders for tests that touch files.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace vfs::test {

// The path with its '/' written as the system's separator, as the program shows paths.
std::string NativePath(std::string path);

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::string& path() const { return path_; }
    // path() + separator + relative, with the relative path's '/' written as the system's
    // separator.
    std::string operator/(const std::string& relative) const {
        return path_ + platform::kSeparator + NativePath(relative);
    }

  private:
    std::string path_;
};

// Creates the parent folders and writes the file.
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);
// Sets the file's modification time to epoch seconds.
void SetMtime(const std::string& path, int64_t epochSeconds);
int64_t Mtime(const std::string& path);

}  // namespace vfs::test
