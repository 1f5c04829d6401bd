#include "platform/durable_file.h"

#include <QFileInfo>
#include <cerrno>

namespace lt {

namespace {

QString failure(const QString& what, const QString& path, int negativeErrno) {
    return QStringLiteral("%1 %2: %3").arg(what, path, errorText(negativeErrno));
}

}  // namespace

QString temporaryPathFor(const QString& path) {
    const QFileInfo info(path);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".new");
}

void removeLeftovers(FileSystem& fs, const QString& path) {
    const QString temporary = temporaryPathFor(path);
    if (fs.remove(temporary) == 0) fs.syncFolder(QFileInfo(path).path());
}

int writeAll(FileSystem& fs, int fd, const QByteArray& bytes, std::int64_t offset) {
    std::int64_t done = 0;
    const auto total = static_cast<std::int64_t>(bytes.size());
    while (done < total) {
        const char* from = bytes.constData() + done;
        const auto left = static_cast<std::size_t>(total - done);
        const std::int64_t n =
            offset < 0 ? fs.write(fd, from, left) : fs.pwrite(fd, from, left, offset + done);
        if (n < 0) return static_cast<int>(n);
        // A write that takes nothing and says no error is a disk that has no room.
        if (n == 0) return -ENOSPC;
        done += n;
    }
    return 0;
}

bool replaceFile(FileSystem& fs, const QString& path, const QByteArray& bytes, QString* error) {
    const QString temporary = temporaryPathFor(path);
    const QString folder = QFileInfo(path).path();
    auto fail = [&](const QString& what, const QString& on, int r) {
        if (error) *error = failure(what, on, r);
        return false;
    };
    const int existing = fs.permissions(path);
    const int fd = fs.open(temporary, FileSystem::CreateTruncate, existing >= 0 ? existing : 0644);
    if (fd < 0) return fail(QStringLiteral("cannot create"), temporary, fd);
    int r = writeAll(fs, fd, bytes);
    // The copy takes the old file's permissions whatever the creation mask made of them.
    if (r == 0 && existing >= 0) r = fs.setPermissions(fd, existing);
    if (r == 0) r = fs.fsync(fd);
    const int closed = fs.close(fd);
    if (r == 0) r = closed;
    if (r != 0) {
        fs.remove(temporary);
        return fail(QStringLiteral("cannot write"), path, r);
    }
    if ((r = fs.rename(temporary, path)) != 0) {
        fs.remove(temporary);
        return fail(QStringLiteral("cannot replace"), path, r);
    }
    if ((r = fs.syncFolder(folder)) != 0) return fail(QStringLiteral("cannot sync"), folder, r);
    return true;
}

}  // namespace lt
