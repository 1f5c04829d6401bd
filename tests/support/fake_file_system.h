#pragma once
// Files in memory whose disk fails when the test says: no room, an I/O error, a write cut
// short, a rename refused. A write reaches the "disk" (what survives a crash) only when
// the file is synced; crash() forgets everything else.
#include <QMap>
#include <cerrno>
#include <cstring>
#include <map>

#include "platform/file_system.h"

namespace lt::test {

class FakeFileSystem final : public FileSystem {
  public:
    // Faults, each for the next call of its kind (count down), or for all with -1.
    int failWrites = 0, failSyncs = 0, failRenames = 0, failAllocate = 0, failOpens = 0;
    int writeError = -ENOSPC, syncError = -EIO;
    // The next write takes at most this many bytes (0: all).
    std::size_t shortWrite = 0;

    QMap<QString, QByteArray> files;   // as the program sees them
    QMap<QString, QByteArray> synced;  // as they are on the disk
    QMap<QString, int> modes;

    int open(const QString& path, OpenMode mode, int permissions) override {
        if (take(failOpens)) return -EACCES;
        if (!files.contains(path)) {
            if (mode == ReadOnly || mode == ReadWrite) return -ENOENT;
            files[path] = {};
            modes[path] = permissions;
        }
        if (mode == CreateTruncate) files[path].clear();
        const int fd = next_++;
        open_[fd] = {path, 0};
        return fd;
    }
    int close(int fd) override { return open_.erase(fd) ? 0 : -EBADF; }
    std::int64_t write(int fd, const void* data, std::size_t size) override {
        const auto r = pwrite(fd, data, size, open_.at(fd).position);
        if (r > 0) open_.at(fd).position += r;
        return r;
    }
    std::int64_t pwrite(int fd, const void* data, std::size_t size, std::int64_t offset) override {
        if (take(failWrites)) return writeError;
        if (shortWrite > 0 && size > shortWrite) {
            size = shortWrite;
            shortWrite = 0;
        }
        QByteArray& f = files[open_.at(fd).path];
        if (f.size() < offset + static_cast<qsizetype>(size)) f.resize(offset + size, '\0');
        std::memcpy(f.data() + offset, data, size);
        return static_cast<std::int64_t>(size);
    }
    std::int64_t pread(int fd, void* data, std::size_t size, std::int64_t offset) override {
        const QByteArray& f = files[open_.at(fd).path];
        if (offset >= f.size()) return 0;
        const auto n = std::min<std::int64_t>(static_cast<std::int64_t>(size), f.size() - offset);
        std::memcpy(data, f.constData() + offset, static_cast<std::size_t>(n));
        return n;
    }
    int fsync(int fd) override { return sync(fd); }
    int fdatasync(int fd) override { return sync(fd); }
    int allocate(int fd, std::int64_t size) override {
        if (take(failAllocate)) return -ENOSPC;
        QByteArray& f = files[open_.at(fd).path];
        if (f.size() < size) f.resize(size, '\0');
        return 0;
    }
    std::int64_t size(int fd) override { return files[open_.at(fd).path].size(); }
    int rename(const QString& from, const QString& to) override {
        if (take(failRenames)) return -EIO;
        if (!files.contains(from)) return -ENOENT;
        files[to] = files.take(from);
        modes[to] = modes.take(from);
        // A rename is on the disk with the folder's sync; these tests sync the folder.
        synced[to] = synced.take(from);
        return 0;
    }
    int remove(const QString& path) override {
        synced.remove(path);
        modes.remove(path);
        return files.remove(path) ? 0 : -ENOENT;
    }
    int syncFolder(const QString&) override { return 0; }
    int permissions(const QString& path) override {
        return modes.contains(path) ? modes[path] : -ENOENT;
    }
    int setPermissions(int fd, int permissions) override {
        modes[open_.at(fd).path] = permissions;
        return 0;
    }
    QStringList list(const QString& folder, const QString& prefix) override {
        QStringList out;
        for (const QString& path : files.keys()) {
            const QString name = path.section(QLatin1Char('/'), -1);
            if (path == folder + QLatin1Char('/') + name && name.startsWith(prefix)) out << name;
        }
        return out;
    }

    // The power goes: what was not synced is gone.
    void crash() {
        files = synced;
        open_.clear();
    }

  private:
    struct Handle {
        QString path;
        std::int64_t position;
    };
    static bool take(int& count) {
        if (count == 0) return false;
        if (count > 0) --count;
        return true;
    }
    int sync(int fd) {
        if (take(failSyncs)) return syncError;
        synced[open_.at(fd).path] = files[open_.at(fd).path];
        return 0;
    }
    std::map<int, Handle> open_;
    int next_ = 3;
};

}  // namespace lt::test
