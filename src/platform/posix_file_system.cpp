#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

namespace lt {

namespace {

template <class T>
T result(T r) {
    return r < 0 ? static_cast<T>(-errno) : r;
}

// Interrupted calls are tried again: a signal is no failure of the disk.
template <class F>
auto retried(F call) {
    decltype(call()) r;
    do r = call();
    while (r < 0 && errno == EINTR);
    return result(r);
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

}  // namespace

QString errorText(int negativeErrno) {
    return QString::fromLocal8Bit(std::strerror(-negativeErrno));
}

int PosixFileSystem::open(const QString& path, OpenMode mode, int permissions) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case ReadOnly:
            flags |= O_RDONLY;
            break;
        case ReadWrite:
            flags |= O_RDWR;
            break;
        case CreateReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
        case CreateTruncate:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
    }
    const QByteArray p = native(path);
    return retried([&] { return ::open(p.constData(), flags, static_cast<mode_t>(permissions)); });
}

int PosixFileSystem::close(int fd) {
    // close() is not repeated after EINTR: the descriptor is gone either way on Linux.
    return result(::close(fd));
}

std::int64_t PosixFileSystem::write(int fd, const void* data, std::size_t size) {
    return retried([&] { return static_cast<std::int64_t>(::write(fd, data, size)); });
}

std::int64_t PosixFileSystem::pwrite(int fd, const void* data, std::size_t size,
                                     std::int64_t offset) {
    return retried([&] { return static_cast<std::int64_t>(::pwrite(fd, data, size, offset)); });
}

std::int64_t PosixFileSystem::pread(int fd, void* data, std::size_t size, std::int64_t offset) {
    return retried([&] { return static_cast<std::int64_t>(::pread(fd, data, size, offset)); });
}

int PosixFileSystem::fsync(int fd) {
    return retried([&] { return ::fsync(fd); });
}

int PosixFileSystem::fdatasync(int fd) {
    return retried([&] { return ::fdatasync(fd); });
}

int PosixFileSystem::allocate(int fd, std::int64_t size) {
    // posix_fallocate returns the error instead of setting errno.
    const int r = ::posix_fallocate(fd, 0, size);
    return r == 0 ? 0 : -r;
}

std::int64_t PosixFileSystem::size(int fd) {
    struct stat st = {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -errno;
}

int PosixFileSystem::rename(const QString& from, const QString& to) {
    return result(::rename(native(from).constData(), native(to).constData()));
}

int PosixFileSystem::remove(const QString& path) {
    return result(::unlink(native(path).constData()));
}

int PosixFileSystem::syncFolder(const QString& folder) {
    const int fd = open(folder.isEmpty() ? QStringLiteral(".") : folder, ReadOnly, 0);
    if (fd < 0) return fd;
    const int r = fsync(fd);
    ::close(fd);
    // Some file systems cannot sync a folder; their renames are as safe as they get.
    return r == -EINVAL || r == -ENOTSUP ? 0 : r;
}

int PosixFileSystem::permissions(const QString& path) {
    struct stat st = {};
    if (::stat(native(path).constData(), &st) != 0) return -errno;
    return static_cast<int>(st.st_mode & 07777);
}

int PosixFileSystem::setPermissions(int fd, int permissions) {
    return result(::fchmod(fd, static_cast<mode_t>(permissions)));
}

QStringList PosixFileSystem::list(const QString& folder, const QString& prefix) {
    QStringList names;
    DIR* dir = ::opendir(native(folder).constData());
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name.startsWith(prefix)) names << name;
    }
    ::closedir(dir);
    return names;
}

}  // namespace lt
