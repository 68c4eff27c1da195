#include "engine/copy_progress.h"

#include <cerrno>
#include <cmath>
#include <limits>

#include "engine/activity_log.h"
#include "engine/file_helpers.h"
#include "engine/transfer_progress.h"

namespace vfs {

namespace {

// Whole kilobytes, halves to the even neighbour, over the full 64-bit range.
int64_t KilobytesOf(int64_t bytes) {
    if (bytes < 0) return std::llrint(static_cast<double>(bytes) / 1024.0);
    int64_t whole = bytes / 1024;
    int64_t rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && whole % 2 != 0)) ++whole;
    return whole;
}

std::string FileNameAfterLastSeparator(const std::string& path) {
    std::size_t pos = path.find_last_of(kSep);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

// " <name> from <source folder> to <destination folder>", the tail of every status text.
std::string CopyDescription(const ProgramState& s) {
    return s.CopyFileName + " from " + s.CopySourceFolder + " to " + s.CopyDestFolder;
}

void ShowTaskBar(Context& ctx) {
    ctx.form.pbTask.SetValue(0);
    ctx.form.pbTask.SetVisible(true);
    ctx.form.lblPbTask.SetVisible(true);
    ctx.form.lblPbTask.SetCaption(ctx.state.CopyFileName + " Copy Progress 0%");
}

void HideTaskBar(Context& ctx) {
    ctx.form.pbTask.SetVisible(false);
    ctx.form.lblPbTask.SetVisible(false);
}

bool EnsureDestinationFolder(platform::FileSystem& fs, const std::string& folder) {
    return FolderExists(fs, folder) || MakeFolderPath(fs, folder);
}

}  // namespace

int32_t BytesToKB(int64_t bytes) {
    int64_t kb = KilobytesOf(bytes);
    if (kb > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (kb < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(kb);
}

void CancelCopy(Context& ctx) {
    ctx.state.CopyCancelRequested = 1;
}

void CopyProgressCallback(Context& ctx, int64_t totalBytes, int64_t bytesTransferred) {
    // A zero-length file has no percentage: the bar keeps its value.
    if (totalBytes > 0) {
        ctx.form.pbTask.SetValue(
            std::lrint(100.0 * static_cast<double>(bytesTransferred) / totalBytes));
    }
    ctx.form.lblPbTask.SetCaption(ctx.state.CopyFileName + " Copy Progress " +
                                  std::to_string(ctx.form.pbTask.Value()) + "%");
    if (ctx.state.Transfer.countingCopy) {
        NoteCopiedBytes(ctx, bytesTransferred);
        ShowOverallTaskProgress(ctx);
    }
    ctx.ports.yield();
    ctx.ports.updateTrayIcon();
    ctx.form.lblStatus.SetCaption(
        TimeStamp(ctx) + " - Copying (" + std::to_string(KilobytesOf(bytesTransferred)) + "K/" +
        std::to_string(KilobytesOf(totalBytes)) + "K) " + CopyDescription(ctx.state));
    ctx.form.lblTime.SetCaption(FormatClock(ctx.ports.now()));
    if (ctx.state.SleepTimeCopy > 0) ctx.ports.sleep(ctx.state.SleepTimeCopy);
}

platform::CopyResult CopyFileWithProgress(Context& ctx, const std::string& source,
                                          const std::string& destination) {
    ProgramState& s = ctx.state;
    s.CopyInProgress = true;
    s.CopySourceFolder = GetFolderPart(source);
    s.CopyDestFolder = GetFolderPart(destination);
    if (!EnsureDestinationFolder(*ctx.ports.fileSystem, s.CopyDestFolder)) {
        s.CopyInProgress = false;
        return platform::CopyResult{false, false, ENOENT, -1, 0, 0};
    }
    s.CopyFileName = FileNameAfterLastSeparator(source);
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - Preparing to copy " + CopyDescription(s));
    ShowTaskBar(ctx);
    platform::CopyResult copied = ctx.ports.fileSystem->CopyFileChunked(
        source, destination,
        [&ctx](int64_t total, int64_t done) { CopyProgressCallback(ctx, total, done); },
        &s.CopyCancelRequested);
    HideTaskBar(ctx);
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - Finished copying " + CopyDescription(s));
    s.CopyInProgress = false;
    return copied;
}

}  // namespace vfs
