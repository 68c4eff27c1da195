#include "platform/copy_file.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

// The two handles of one copy, closed on every way out, and the source as it was when
// opened.
struct CopyJob {
    UniqueHandle in;
    UniqueHandle out;
    BY_HANDLE_FILE_INFORMATION source{};
    CopyResult result;
    const CopyProgress& progress;
    const int32_t* cancelFlag;

    bool Fail(int err) {
        result.error = err;
        return false;
    }
    bool FailWithLastError() { return Fail(NoteSystemError(GetLastError())); }
    bool Cancelled() const { return cancelFlag && *cancelFlag != 0; }
    int64_t Total() const { return SizeOf(source); }
    void Report(int64_t done) const {
        if (progress) progress(Total(), done);
    }
    static int64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
        return static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) |
                                    info.nFileSizeLow);
    }
};

// Opened once, without following a reparse point, and checked to be a regular file on a
// disk; its size and time come from this open file.
bool OpenSource(const std::string& source, CopyJob& job) {
    job.in = OpenRegularFile(source, GENERIC_READ);
    if (!job.in.IsOpen()) return job.Fail(errno == EINVAL ? 0 : errno);
    return GetFileInformationByHandle(job.in.Get(), &job.source) || job.FailWithLastError();
}

// Created exclusively: whatever bears the name already (an operator's file, another
// session's copy, a link) is left alone. No other program may open it while it is written.
bool OpenDestination(const std::string& destination, CopyJob& job) {
    const std::wstring wide = WidePath(destination);
    if (wide.empty()) return job.Fail(ENOENT);
    job.out.Reset(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return job.out.IsOpen() || job.FailWithLastError();
}

// Front to back in chunks until the end of the source; the cancel flag is checked before
// each chunk and the progress reported after it.
bool CopyData(CopyJob& job) {
    std::vector<char> buffer(static_cast<std::size_t>(kCopyChunkBytes));
    int64_t transferred = 0;
    for (;;) {
        if (job.Cancelled()) return job.Fail(0);
        DWORD read = 0;
        if (!ReadFile(job.in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                      nullptr)) {
            return job.FailWithLastError();
        }
        if (read == 0) break;
        if (!WriteAll(job.out.Get(), buffer.data(), read)) return job.Fail(errno);
        transferred += read;
        job.Report(transferred);
    }
    // A source that ended early or grew was written to meanwhile.
    if (transferred != job.Total()) {
        job.result.sourceChanged = true;
        return false;
    }
    return true;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The source is asked again through the open handle: any write during the copy moved its
// modified time or its length, so the copy may hold a mix of two versions.
bool SourceUnchanged(CopyJob& job) {
    BY_HANDLE_FILE_INFORMATION now{};
    if (!GetFileInformationByHandle(job.in.Get(), &now)) return job.FailWithLastError();
    if (CopyJob::SizeOf(now) == job.Total() &&
        SameTime(now.ftLastWriteTime, job.source.ftLastWriteTime)) {
        return true;
    }
    job.result.sourceChanged = true;
    return false;
}

// The copy carries the exact modified time of the version it holds and is flushed before
// it may take a real name.
bool FinishCopy(CopyJob& job) {
    if (!SetFileTime(job.out.Get(), nullptr, nullptr, &job.source.ftLastWriteTime)) {
        return job.FailWithLastError();
    }
    return FlushFileBuffers(job.out.Get()) || job.FailWithLastError();
}

}  // namespace

CopyResult CopyFileChunked(const std::string& source, const std::string& destination,
                           const CopyProgress& progress, const int32_t* cancelFlag) {
    CopyJob job{{}, {}, {}, {}, progress, cancelFlag};
    if (source.empty() || destination.empty()) return job.result;
    if (!OpenSource(source, job) || !OpenDestination(destination, job)) return job.result;
    bool ok = CopyData(job) && SourceUnchanged(job) && FinishCopy(job);
    if (!job.out.Close() && ok) ok = job.FailWithLastError();
    // What was written is incomplete, mixed or unconfirmed: it must not stand under any
    // name. The file is ours alone (created exclusively), so removing it harms no one.
    if (!ok) DeleteFileW(WidePath(destination).c_str());
    if (ok) {
        job.result.sourceSize =
            (static_cast<int64_t>(job.source.nFileSizeHigh) << 32) | job.source.nFileSizeLow;
        job.result.sourceSeconds = FileTimeToEpochSeconds(job.source.ftLastWriteTime);
        job.result.sourceNanoseconds = FileTimeNanoseconds(job.source.ftLastWriteTime);
    }
    job.result.ok = ok;
    return job.result;
}

bool FlushFileToDisk(const std::string& path) {
    UniqueHandle file = OpenRegularFile(path, GENERIC_WRITE);
    return file.IsOpen() && FlushFileBuffers(file.Get());
}

// MOVEFILE_WRITE_THROUGH returns only once the move is on the disk, so the new name
// survives a crash.
bool MoveIntoPlace(const std::string& from, const std::string& to, bool replaceExisting) {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    if (source.empty() || target.empty()) return false;
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (replaceExisting) {
        PathAttributes found;
        if (!QueryAttributes(to, found)) return false;
        if (!IsRegularAttributes(found.attributes)) {
            errno = EINVAL;
            return false;
        }
        if ((found.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            NoteSystemError(ERROR_ACCESS_DENIED);
            return false;
        }
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    return MoveFileExW(source.c_str(), target.c_str(), flags) || SetErrnoFromLastError();
}

}  // namespace vfs::platform
