// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>

#include <sys/stat.h>
#include <sys/types.h>

#include "cpupolicy.h"

// The model's system calls: reading a core's files, the unbuffered write of a value, and the calls
// a safe save is made of. Every result comes back as a value (0 or an errno); no other code of the
// model looks at errno.
namespace SysfsIO
{

// A file's text, white space trimmed at both ends and cut at the first NUL; or the errno of the open
// or read that failed, and then no text at all.
struct ReadResult {
    QString text;
    int error = 0;
};

// Reads dir + suffix (suffix such as "/online") whole.
ReadResult readFile(const QByteArray &dir, const char *suffix);

// Replaces records by one per regular file of dir + suffix, in name order. A file that cannot be
// opened or read keeps its record, with an empty value and the errno in readError. Returns 0, or
// the errno of opening the directory (then records is empty). Files for which skip returns true are
// neither read nor listed.
int readAttributes(const QByteArray &dir, const char *suffix, QMap<QString, CPUPolicy> &records,
                   bool (*skip)(const char *name) = nullptr);

// Stores bytes in the regular file at path with one write(2), as sysfs wants a value: the last
// component is never followed if it is a link (ELOOP), anything but a regular file is refused
// (EPERM) and a short write leaves a cut value (EIO). Returns 0 or the errno.
// Goes to the writer installed with setWriter() instead, if there is one.
int writeValue(const QByteArray &path, const QByteArray &bytes);
// writeValue() itself, whatever writer is installed: for the one that finally writes.
int writeDirect(const QByteArray &path, const QByteArray &bytes);

// Where writeValue() sends its writes from now on (an empty function: back to writeDirect()). A
// process that is not root installs one that asks the root helper; it returns 0 or an errno as
// writeDirect() does. Set it before other threads write.
using Writer = std::function<int(const QByteArray &path, const QByteArray &bytes)>;
void setWriter(Writer writer);

// The symbolic name of an errno ("EINVAL"), empty for one the C library does not name; and back,
// 0 for a name that is not an errno's.
QByteArray errnoName(int error);
int errnoFromName(const QByteArray &name);

// For interfaces that report through errno: sets it to error unless that is 0; true for 0.
bool passErrno(int error);

// The system's text for an errno ("No space left on device").
QString errorText(int error);

// The calls of a safe save, each 0 or an errno.
struct OpenResult {
    int fd = -1;
    int error = 0;
};
OpenResult openAt(int dirFd, const QByteArray &name, int flags, mode_t mode = 0);
int statAt(int dirFd, const QByteArray &name, struct stat &st); // the link itself, not its target
int writeAll(int fd, const QByteArray &bytes);                  // every byte, or the errno of the failing write
int changeMode(int fd, mode_t mode);
int syncFile(int fd);
int closeFile(int fd);
int renameAt(int dirFd, const QByteArray &from, const QByteArray &to);
int unlinkAt(int dirFd, const QByteArray &name);
// For checking who may change a file: the path with every link resolved, and the status of what
// a path leads to (links followed); each with 0 or an errno.
int resolvePath(const QByteArray &path, QByteArray &resolved);
int statPath(const QByteArray &path, struct stat &st);
// The process's file mode creation mask, read without changing it where the kernel tells it.
mode_t creationMask();

} // namespace SysfsIO
