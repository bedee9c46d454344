#include "platform/media/PendingOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/Path.h"
#include "platform/media/Internal.h"

namespace media::detail {
namespace {

std::string FolderPart(const std::string& path) {
    const std::string folder = paths::FolderOf(path);
    if (folder.empty()) return ".";
    return folder == "/" ? folder : folder.substr(0, folder.size() - 1);
}

HRESULT FromErrno(int error, HRESULT fallback) {
    if (error == ENOENT || error == ENOTDIR) return HRESULT_PATH_NOT_FOUND;
    return FromAvError(AVERROR(error), fallback);
}

}  // namespace

}  // namespace media::detail

namespace media {

HRESULT CheckSourceFile(const std::string& path) {
    using detail::FromErrno;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? HRESULT_FILE_NOT_FOUND : FromErrno(errno, HRESULT_READ_FAULT);
    return S_ISREG(st.st_mode) ? S_OK : QV_E_NOT_REGULAR_FILE;
}

}  // namespace media

namespace media::detail {

HRESULT PendingOutput::Create(const std::string& outputPath, const std::string& sourcePath) {
    Discard();
    if (outputPath.empty() || outputPath.back() == '/') return QV_E_OUTPUT_IS_FOLDER;
    struct stat st {};
    if (::stat(sourcePath.c_str(), &st) == 0) {
        sourceDevice_ = st.st_dev;
        sourceInode_ = st.st_ino;
        haveSource_ = true;
    }
    if (::stat(outputPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return QV_E_OUTPUT_IS_FOLDER;
        if (haveSource_ && st.st_dev == sourceDevice_ && st.st_ino == sourceInode_)
            return QV_E_OUTPUT_IS_SOURCE;
    }
    // Hidden, beside the output: the rename stays on one file system.
    const std::string stem =
        FolderPart(outputPath) + "/." + paths::FileNameOf(outputPath) + ".part-";
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const std::string candidate = stem + suffix;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            output_ = outputPath;
            temp_ = candidate;
            return S_OK;
        }
        if (errno != EEXIST) return FromErrno(errno, HRESULT_WRITE_FAULT);
    }
    return HRESULT_WRITE_FAULT;
}

HRESULT PendingOutput::Commit() {
    if (temp_.empty()) return E_UNEXPECTED;
    struct stat st {};
    if (::stat(output_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            Discard();
            return QV_E_OUTPUT_IS_FOLDER;
        }
        if (haveSource_ && st.st_dev == sourceDevice_ && st.st_ino == sourceInode_) {
            Discard();
            return QV_E_OUTPUT_IS_SOURCE;
        }
    }
    if (::rename(temp_.c_str(), output_.c_str()) != 0) {
        const int error = errno;
        Discard();
        return FromErrno(error, HRESULT_WRITE_FAULT);
    }
    temp_.clear();
    return S_OK;
}

AVIOContext* PendingOutput::OpenWriter() {
    if (temp_.empty() || fd_ >= 0) return nullptr;
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) {
        NoteWriteError(AVERROR(errno), FromErrno(errno, HRESULT_WRITE_FAULT));
        return nullptr;
    }
    constexpr int kBufferSize = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    AVIOContext* writer =
        buffer ? avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &Write, &Seek) : nullptr;
    if (!writer) {
        av_free(buffer);
        ::close(fd_);
        fd_ = -1;
        writeError_ = E_OUTOFMEMORY;
    }
    return writer;
}

HRESULT PendingOutput::CloseWriter(AVIOContext*& writer) {
    if (writer) {
        avio_flush(writer);
        if (writer->error < 0)
            NoteWriteError(writer->error, FromAvError(writer->error, HRESULT_WRITE_FAULT));
        av_freep(&writer->buffer);
        avio_context_free(&writer);
    }
    if (fd_ >= 0 && ::close(fd_) != 0)
        NoteWriteError(AVERROR(errno), FromErrno(errno, HRESULT_WRITE_FAULT));
    fd_ = -1;
    return writeError_.load();
}

int PendingOutput::Write(void* opaque, std::uint8_t* data, int size) {
    auto* self = static_cast<PendingOutput*>(opaque);
    if (FAILED(self->writeError_.load())) return AVERROR(EIO);
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(self->fd_, data + done, static_cast<std::size_t>(size - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            self->NoteWriteError(AVERROR(error), FromErrno(error, HRESULT_WRITE_FAULT));
            return AVERROR(error);
        }
        done += static_cast<int>(n);
    }
    return done;
}

void PendingOutput::NoteWriteError(int avError, HRESULT hr) {
    if (FAILED(writeError_.load())) return;
    writeAvError_ = avError;
    writeError_ = hr;
}

std::string PendingOutput::WriteReason() const {
    const int error = writeAvError_.load();
    if (error >= 0) return {};
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

std::int64_t PendingOutput::Seek(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<PendingOutput*>(opaque);
    if (whence == AVSEEK_SIZE) {
        struct stat st {};
        return ::fstat(self->fd_, &st) == 0 ? st.st_size : AVERROR(errno);
    }
    const off_t at = ::lseek(self->fd_, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
}

void PendingOutput::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (temp_.empty()) return;
    ::unlink(temp_.c_str());
    temp_.clear();
}

}  // namespace media::detail
