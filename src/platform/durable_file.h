#pragma once
// The one way the program writes a whole file: a new copy beside it, written in full,
// flushed to the disk and checked, then renamed over the old one, and the folder synced
// so that the rename survives a power cut. Any failure leaves the old file exactly as it
// was, and says why.
#include <QByteArray>
#include <QString>
#include <cstdint>

#include "platform/file_system.h"

namespace lt {

// Replaces the file at path with bytes; false with the reason in *error.
bool replaceFile(FileSystem& fs, const QString& path, const QByteArray& bytes, QString* error);
// Where replaceFile writes its new copy of path.
QString temporaryPathFor(const QString& path);
// Removes the new copies that a program killed in the middle of a write left behind.
void removeLeftovers(FileSystem& fs, const QString& path);
// Writes all of bytes at offset (or at the file position when offset < 0), going on
// after a write the system cut short; 0 or -errno (-ENOSPC for a write that wrote nothing).
int writeAll(FileSystem& fs, int fd, const QByteArray& bytes, std::int64_t offset = -1);

}  // namespace lt
