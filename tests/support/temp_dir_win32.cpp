#include "support/temp_dir.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vfs::test {

namespace fs = std::filesystem;

namespace {

// 100 ns steps between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochOffsetTicks = 116444736000000000LL;

// Paths are UTF-8 inside the program.
fs::path Native(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string NativePath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = platform::kSeparator;
    }
    return path;
}

TempDir::TempDir() {
    const fs::path base = fs::temp_directory_path();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const auto stamp = GetTickCount64() * 7919u + GetCurrentProcessId() * 31u + attempt;
        const fs::path candidate = base / ("vfs-test-" + std::to_string(stamp));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = Utf8(candidate);
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only files must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(Native(path_), ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(Native(path_), ec);
}

void WriteFile(const std::string& path, const std::string& content) {
    fs::create_directories(Native(path).parent_path());
    std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(Native(path), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Native(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDirs(const std::string& path) {
    fs::create_directories(Native(path));
}

void SetMtime(const std::string& path, int64_t epochSeconds) {
    HANDLE file = CreateFileW(Native(path).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const auto ticks = static_cast<uint64_t>(epochSeconds * 10000000LL + kEpochOffsetTicks);
    FILETIME time{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

int64_t Mtime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Native(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    const auto ticks =
        static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime);
    const int64_t since = ticks - kEpochOffsetTicks;
    return since >= 0 ? since / 10000000LL : -((-since + 9999999) / 10000000LL);
}

}  // namespace vfs::test
