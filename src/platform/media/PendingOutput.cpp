#include "platform/media/PendingOutput.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

#include "platform/Path.h"
#include "platform/media/Internal.h"
#include "platform/media/LockedFiles.h"

namespace media::detail {
namespace {

constexpr std::size_t kNameMax = NAME_MAX;
constexpr std::string_view kPartInfix = ".part-";
constexpr int kBufferSize = 1 << 16;

std::string FolderPart(const std::string& path) {
    const std::string folder = paths::FolderOf(path);
    if (folder.empty()) return ".";
    return folder == "/" ? folder : folder.substr(0, folder.size() - 1);
}

HRESULT FromErrno(int error, HRESULT fallback) {
    if (error == ENOENT || error == ENOTDIR) return HRESULT_PATH_NOT_FOUND;
    return FromAvError(AVERROR(error), fallback);
}

// At most `room` bytes of `name`, never cutting a UTF-8 character in two.
std::string Shortened(const std::string& name, std::size_t room) {
    if (name.size() <= room) return name;
    std::size_t end = room;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

// ".NAME.part-", NAME shortened so that the hidden name fits the file system.
std::string PartPrefix(const std::string& name) {
    return "." + Shortened(name, kNameMax - 1 - kPartInfix.size() - kLockedDigits) +
           std::string(kPartInfix);
}

// The file a conversion to `path` really writes: a symbolic link there is
// followed to the file it names, which need not exist yet.
std::string FollowLinks(std::string path) {
    namespace fs = std::filesystem;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        path = target.is_absolute() ? target.string() : paths::FolderOf(path) + target.string();
    }
    return path;
}

int OpenFolderOf(const std::string& path) {
    return ::open(FolderPart(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Reads the hidden file back through a descriptor of its own, at its own position.
struct Reader {
    int fd = -1;
    std::int64_t at = 0;
};

int ReadAt(void* opaque, std::uint8_t* data, int size) {
    auto* reader = static_cast<Reader*>(opaque);
    ssize_t n;
    do n = ::pread(reader->fd, data, static_cast<std::size_t>(size), reader->at);
    while (n < 0 && errno == EINTR);
    if (n < 0) return AVERROR(errno);
    if (n == 0) return AVERROR_EOF;
    reader->at += n;
    return static_cast<int>(n);
}

std::int64_t SeekReader(void* opaque, std::int64_t offset, int whence) {
    auto* reader = static_cast<Reader*>(opaque);
    struct stat st {};
    if (::fstat(reader->fd, &st) != 0) return AVERROR(errno);
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return st.st_size;
        case SEEK_SET:
            reader->at = offset;
            break;
        case SEEK_CUR:
            reader->at += offset;
            break;
        case SEEK_END:
            reader->at = st.st_size + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    return reader->at;
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

int RemoveStalePartFiles(const std::string& outputPath) {
    const std::string target = detail::FollowLinks(outputPath);
    const int dir = detail::OpenFolderOf(target);
    if (dir < 0) return 0;
    const int removed = detail::RemoveUnheld(dir, detail::PartPrefix(paths::FileNameOf(target)));
    ::close(dir);
    return removed;
}

}  // namespace media

namespace media::detail {

HRESULT PendingOutput::Create(const std::string& outputPath, const std::string& sourcePath) {
    Discard();
    keptAside_.clear();
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
    const std::string target = FollowLinks(outputPath);
    name_ = paths::FileNameOf(target);
    if (name_.empty()) return QV_E_OUTPUT_IS_FOLDER;
    if (name_.size() > kNameMax) return FromErrno(ENAMETOOLONG, HRESULT_WRITE_FAULT);
    // Hidden, beside the file it replaces: the move stays on one file system.
    folder_ = paths::FolderOf(target);
    dir_ = OpenFolderOf(target);
    if (dir_ < 0) return FromErrno(errno, HRESULT_WRITE_FAULT);
    const std::string prefix = PartPrefix(name_);
    RemoveUnheld(dir_, prefix);
    fd_ = CreateLocked(dir_, prefix, partName_);
    if (fd_ < 0) {
        const int error = errno;
        partName_.clear();
        Discard();
        return FromErrno(error, HRESULT_WRITE_FAULT);
    }
    // A replacing file keeps the permissions the person gave the file it replaces.
    if (::fstatat(dir_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd_, st.st_mode & 0777);
    return S_OK;
}

HRESULT PendingOutput::Commit(bool replace, bool stopped) {
    if (fd_ < 0) return E_UNEXPECTED;
    struct stat written {};
    struct stat st {};
    // Whatever was swapped in under the hidden name (a link into another of the
    // user's files) is never moved into place, nor removed.
    if (::fstat(fd_, &written) != 0 ||
        ::fstatat(dir_, partName_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(written, st)) {
        Discard();
        return QV_E_OUTPUT_REPLACED;
    }
    if (::fstatat(dir_, name_.c_str(), &st, 0) == 0) {
        if (S_ISDIR(st.st_mode)) {
            Discard();
            return QV_E_OUTPUT_IS_FOLDER;
        }
        if (haveSource_ && st.st_dev == sourceDevice_ && st.st_ino == sourceInode_) {
            Discard();
            return QV_E_OUTPUT_IS_SOURCE;
        }
    }
    HRESULT hr = S_OK;
    if (!replace) {
        hr = MoveBeside(stopped);
    } else {
        if (::fstatat(dir_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::fchmod(fd_, st.st_mode & 0777);
        if (::renameat(dir_, partName_.c_str(), dir_, name_.c_str()) != 0)
            hr = FromErrno(errno, HRESULT_WRITE_FAULT);
    }
    if (FAILED(hr)) {
        Discard();
        return hr;
    }
    partName_.clear();
    Close();
    return S_OK;
}

HRESULT PendingOutput::MoveBeside(bool stopped) {
    for (int n = 0; n < 1000; ++n) {
        const std::string name = Candidate(n, stopped);
        int error = 0;
        if (::renameat2(dir_, partName_.c_str(), dir_, name.c_str(), RENAME_NOREPLACE) != 0) {
            error = errno;
            // A file system that cannot keep a rename from replacing: a new link cannot replace.
            if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
                error = ::linkat(dir_, partName_.c_str(), dir_, name.c_str(), 0) == 0 ? 0 : errno;
                if (error == 0) ::unlinkat(dir_, partName_.c_str(), 0);
            }
        }
        if (error == 0) {
            if (n > 0) keptAside_ = folder_ + name;
            return S_OK;
        }
        if (error != EEXIST) return FromErrno(error, HRESULT_WRITE_FAULT);
    }
    return HRESULT_WRITE_FAULT;
}

std::string PendingOutput::Candidate(int n, bool stopped) const {
    if (n == 0) return name_;
    const std::size_t dot = name_.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name_.substr(0, dot) : name_;
    const std::string extension = hasExtension ? name_.substr(dot) : std::string();
    const int number = stopped ? n : n + 1;
    std::string mark = stopped ? ".partial" : "";
    if (number > 1) mark += " (" + std::to_string(number) + ")";
    const std::size_t taken = mark.size() + extension.size();
    return Shortened(stem, taken < kNameMax ? kNameMax - taken : 0) + mark + extension;
}

AVIOContext* PendingOutput::OpenWriter() {
    if (fd_ < 0) return nullptr;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    AVIOContext* writer =
        buffer ? avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &Write, &Seek) : nullptr;
    if (!writer) {
        av_free(buffer);
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
    // A network file system reports a write it could not do when a descriptor
    // closes: a copy is closed, so that the file stays held until it is in place.
    if (const int copy = fd_ >= 0 ? ::fcntl(fd_, F_DUPFD_CLOEXEC, 0) : -1;
        copy >= 0 && ::close(copy) != 0)
        NoteWriteError(AVERROR(errno), FromErrno(errno, HRESULT_WRITE_FAULT));
    return writeError_.load();
}

int PendingOutput::OpenReader(AVFormatContext* context, AVIOContext** reader, const char*,
                              int flags, AVDictionary**) {
    const auto* self = static_cast<const PendingOutput*>(context->opaque);
    // Our muxers write one file only: nothing else is opened on their behalf.
    if (!self || self->fd_ < 0 || (flags & AVIO_FLAG_WRITE)) return AVERROR(EPERM);
    auto state = std::make_unique<Reader>();
    state->fd = ::fcntl(self->fd_, F_DUPFD_CLOEXEC, 0);
    if (state->fd < 0) return AVERROR(errno);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    *reader = buffer ? avio_alloc_context(buffer, kBufferSize, 0, state.get(), &ReadAt, nullptr,
                                          &SeekReader)
                     : nullptr;
    if (!*reader) {
        av_free(buffer);
        ::close(state->fd);
        return AVERROR(ENOMEM);
    }
    state.release();
    return 0;
}

int PendingOutput::CloseReader(AVFormatContext*, AVIOContext* reader) {
    if (!reader) return 0;
    std::unique_ptr<Reader> state(static_cast<Reader*>(reader->opaque));
    av_freep(&reader->buffer);
    avio_context_free(&reader);
    return ::close(state->fd) == 0 ? 0 : AVERROR(errno);
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
    struct stat mine {};
    struct stat named {};
    // Only the file written: whatever was swapped in under its name stays.
    if (fd_ >= 0 && !partName_.empty() && ::fstat(fd_, &mine) == 0 &&
        ::fstatat(dir_, partName_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(mine, named))
        ::unlinkat(dir_, partName_.c_str(), 0);
    partName_.clear();
    Close();
}

void PendingOutput::Close() {
    if (fd_ >= 0) ::close(fd_);  // lets go of the lock
    if (dir_ >= 0) ::close(dir_);
    fd_ = dir_ = -1;
}

std::int64_t PendingOutput::Size() const {
    struct stat st {};
    return fd_ >= 0 && fstat(fd_, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

}  // namespace media::detail
