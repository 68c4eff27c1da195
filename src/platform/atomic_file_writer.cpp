// The buffering of AtomicFileWriter and the whole-text write through it, the same on every
// system; opening, writing out and committing the temporary file are in each system's
// file_system source.
#include "platform/file_system.h"

#include <cerrno>

namespace vfs::platform {

bool AtomicFileWriter::Fail() {
    if (!failed_) error_ = errno;
    failed_ = true;
    return false;
}

bool AtomicFileWriter::Flush() {
    if (failed_ || !temporary_) return false;
    if (!WriteOut(buffer_)) return Fail();
    buffer_.clear();
    return true;
}

// Nothing more is written once the file has been committed (or has failed).
bool AtomicFileWriter::Write(std::string_view text) {
    if (failed_ || !temporary_) return false;
    if (buffer_.size() + text.size() > kBufferSize && !Flush()) return false;
    if (text.size() >= kBufferSize) return WriteOut(text) || Fail();
    buffer_.append(text);
    return true;
}

bool WriteFileAtomic(const std::string& path, const std::string& content) {
    AtomicFileWriter writer(path);
    return writer.Write(content) && writer.Commit();
}

}  // namespace vfs::platform
