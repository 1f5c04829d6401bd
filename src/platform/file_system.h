#pragma once
// The file operations behind every file the program writes, one call per system call,
// so that a test can make any of them fail (a full disk, an I/O error, a write cut
// short) without a real disk. Each returns what the system call returns, or -errno.
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace lt {

class FileSystem {
  public:
    enum OpenMode { ReadOnly, ReadWrite, CreateReadWrite, CreateTruncate };
    virtual ~FileSystem() = default;

    virtual int open(const QString& path, OpenMode mode, int permissions = 0644) = 0;
    virtual int close(int fd) = 0;
    virtual std::int64_t write(int fd, const void* data, std::size_t size) = 0;
    virtual std::int64_t pwrite(int fd, const void* data, std::size_t size,
                                std::int64_t offset) = 0;
    virtual std::int64_t pread(int fd, void* data, std::size_t size, std::int64_t offset) = 0;
    virtual int fsync(int fd) = 0;
    virtual int fdatasync(int fd) = 0;
    // Reserves the blocks of [0, size) so that later writes there cannot find the disk full.
    virtual int allocate(int fd, std::int64_t size) = 0;
    virtual std::int64_t size(int fd) = 0;
    virtual int rename(const QString& from, const QString& to) = 0;
    virtual int remove(const QString& path) = 0;
    // Makes the creations, renames and removals in a folder survive a power cut.
    virtual int syncFolder(const QString& folder) = 0;
    // The permission bits of a file, or -errno.
    virtual int permissions(const QString& path) = 0;
    virtual int setPermissions(int fd, int permissions) = 0;
    // The names in a folder that start with prefix.
    virtual QStringList list(const QString& folder, const QString& prefix) = 0;
};

// The system's own.
class PosixFileSystem final : public FileSystem {
  public:
    int open(const QString& path, OpenMode mode, int permissions) override;
    int close(int fd) override;
    std::int64_t write(int fd, const void* data, std::size_t size) override;
    std::int64_t pwrite(int fd, const void* data, std::size_t size, std::int64_t offset) override;
    std::int64_t pread(int fd, void* data, std::size_t size, std::int64_t offset) override;
    int fsync(int fd) override;
    int fdatasync(int fd) override;
    int allocate(int fd, std::int64_t size) override;
    std::int64_t size(int fd) override;
    int rename(const QString& from, const QString& to) override;
    int remove(const QString& path) override;
    int syncFolder(const QString& folder) override;
    int permissions(const QString& path) override;
    int setPermissions(int fd, int permissions) override;
    QStringList list(const QString& folder, const QString& prefix) override;
};

// The text of an error that the calls above return.
QString errorText(int negativeErrno);

}  // namespace lt
