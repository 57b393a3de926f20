// SPDX-License-Identifier: GPL-3.0-or-later
#include "sysfsio.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace
{

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// sysfs attributes are at most a page; the cap only guards against endless files.
constexpr int maxValueSize = 1024 * 1024;

// Text of a file as a QString. Attribute values are nearly always ASCII, which Latin-1 decoding
// turns into the same string as UTF-8 decoding, only cheaper.
QString decodeValue(const char *begin, const char *end)
{
    unsigned char bits = 0;
    for (const char *c = begin; c < end; ++c) // no early exit, so that it vectorizes
        bits |= static_cast<unsigned char>(*c);
    if (bits & 0x80)
        return QString::fromUtf8(begin, static_cast<int>(end - begin));
    return QString::fromLatin1(begin, static_cast<int>(end - begin));
}

// Reads a whole file through fd. Attribute files are at most a page, so the common case fits the
// stack buffer and is decoded without an intermediate copy. A read that returns less than asked
// for has reached the end: sysfs hands out an attribute's whole text at once and regular files
// only come up short at their end, so the extra read that would return 0 is not made. A read that
// fails (EIO, EBUSY) gives no text, not the part read before it.
SysfsIO::ReadResult readValue(int fd)
{
    char buf[4096];
    QByteArray big;
    ssize_t n;
    for (;;) {
        n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {QString(), errno};
        }
        if (n < static_cast<ssize_t>(sizeof buf))
            break;
        big.append(buf, static_cast<int>(n));
        if (big.size() >= maxValueSize) {
            n = 0;
            break;
        }
    }
    const char *begin = buf;
    qsizetype size = n;
    if (!big.isEmpty()) {
        big.append(buf, static_cast<int>(size));
        begin = big.constData();
        size = big.size();
    }
    const char *end = begin + size;
    while (begin < end && isSpace(*begin))
        ++begin;
    while (end > begin && isSpace(end[-1]))
        --end;
    if (const void *nul = std::memchr(begin, '\0', static_cast<size_t>(end - begin)))
        end = static_cast<const char *>(nul);
    return {decodeValue(begin, end), 0};
}

// Characters that every locale encoding maps to the same character as Latin-1 does; NUL is not
// one, so that it ends the scan in decodeName().
struct PlainNameCharacters {
    constexpr PlainNameCharacters()
    {
        for (int c = 0; c < 256; ++c)
            plain[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                       || c == '-' || c == '.';
    }
    bool plain[256] = {};
};
constexpr PlainNameCharacters plainNameCharacters;

// Attribute names are plain identifiers and take the cheap Latin-1 path; anything else goes
// through the locale as QFile::decodeName does.
QString decodeName(const char *name)
{
    const char *c = name;
    while (plainNameCharacters.plain[static_cast<unsigned char>(*c)])
        ++c;
    if (*c)
        return QFile::decodeName(name);
    return QString::fromLatin1(name, static_cast<int>(c - name));
}

// dir plus a short suffix as a C string, built without the heap for paths of usual length.
class SubPath
{
public:
    SubPath(const QByteArray &dir, const char *suffix)
    {
        const auto dirLen = static_cast<size_t>(dir.size());
        const size_t suffixLen = std::strlen(suffix);
        if (dirLen + suffixLen < sizeof buf) {
            std::memcpy(buf, dir.constData(), dirLen);
            std::memcpy(buf + dirLen, suffix, suffixLen + 1);
            path = buf;
        } else {
            fallback = dir + suffix;
            path = fallback.constData();
        }
    }
    SubPath(const SubPath &) = delete; // path may point into this object
    SubPath &operator=(const SubPath &) = delete;
    const char *c_str() const { return path; }

private:
    char buf[512];
    QByteArray fallback;
    const char *path;
};

SysfsIO::Writer &installedWriter()
{
    static SysfsIO::Writer writer;
    return writer;
}

int closeKeepingErrno(int fd)
{
    const int saved = errno;
    ::close(fd);
    return saved;
}

} // namespace

namespace SysfsIO
{

ReadResult readFile(const QByteArray &dir, const char *suffix)
{
    const int fd = ::open(SubPath(dir, suffix).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {QString(), errno};
    ReadResult result = readValue(fd);
    ::close(fd);
    return result;
}

int readAttributes(const QByteArray &dir, const char *suffix, QMap<QString, CPUPolicy> &records,
                   bool (*skip)(const char *name))
{
    records.clear();
    // The flags and the skipping of entries without an inode are those of opendir and readdir.
    const int listingFd = ::open(SubPath(dir, suffix).c_str(), O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC);
    if (listingFd < 0)
        return errno;
    // getdents64 into the stack rather than opendir: the 32 KiB buffer opendir allocates made
    // malloc consolidate its free lists on every update.
    alignas(dirent64) char entries[4096];
    for (;;) {
        const ssize_t n = ::getdents64(listingFd, entries, sizeof entries);
        if (n <= 0)
            break;
        for (ssize_t offset = 0; offset < n;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(entries + offset);
            offset += entry->d_reclen;
            if (entry->d_ino == 0 || entry->d_name[0] == '.' || (skip && skip(entry->d_name)))
                continue;
            struct stat st;
            if (::fstatat(listingFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
                continue;
            // The record is filled where it lies in the map: copying a finished one would cost
            // atomic reference count updates for each of its strings.
            QString name = decodeName(entry->d_name);
            CPUPolicy &policy = *records.insert(name, CPUPolicy());
            policy.name = std::move(name);
            policy.readable = st.st_mode & S_IRUSR;
            policy.writable = st.st_mode & S_IWUSR;
            const int fd = ::openat(listingFd, entry->d_name, O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                policy.readError = errno;
                continue;
            }
            ReadResult read = readValue(fd);
            policy.value = std::move(read.text);
            policy.readError = read.error;
            ::close(fd);
        }
    }
    ::close(listingFd);
    return 0;
}

// O_TRUNC is what a shell redirection does; sysfs ignores it, plain files need it. O_NONBLOCK keeps
// the open of a fifo from waiting for a reader; it is refused right after anyway.
int writeDirect(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return closeKeepingErrno(fd);
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return EPERM;
    }
    ssize_t n;
    do {
        n = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    } while (n < 0 && errno == EINTR);
    // sysfs reports a refused value from this very call; a partial write left a truncated value.
    const int error = n < 0 ? errno : (n < bytes.size() ? EIO : 0);
    ::close(fd);
    return error;
}

int writeValue(const QByteArray &path, const QByteArray &bytes)
{
    const Writer &writer = installedWriter();
    return writer ? writer(path, bytes) : writeDirect(path, bytes);
}

void setWriter(Writer writer)
{
    installedWriter() = std::move(writer);
}

QByteArray errnoName(int error)
{
    const char *name = error > 0 ? ::strerrorname_np(error) : nullptr;
    return name ? QByteArray(name) : QByteArray();
}

int errnoFromName(const QByteArray &name)
{
    // Linux numbers its errors below 134; the C library names each.
    for (int error = 1; error < 200; ++error) {
        const char *known = ::strerrorname_np(error);
        if (known && name == known)
            return error;
    }
    return 0;
}

bool passErrno(int error)
{
    if (error != 0)
        errno = error;
    return error == 0;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

OpenResult openAt(int dirFd, const QByteArray &name, int flags, mode_t mode)
{
    int fd;
    do {
        fd = ::openat(dirFd, name.constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? OpenResult{-1, errno} : OpenResult{fd, 0};
}

int statAt(int dirFd, const QByteArray &name, struct stat &st)
{
    return ::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

int resolvePath(const QByteArray &path, QByteArray &resolved)
{
    char *result = ::realpath(path.constData(), nullptr);
    if (!result)
        return errno;
    resolved = QByteArray(result);
    std::free(result);
    return 0;
}

int statPath(const QByteArray &path, struct stat &st)
{
    return ::stat(path.constData(), &st) == 0 ? 0 : errno;
}

int writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    auto left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO; // no progress and no reason: never take it for success
        data += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

int changeMode(int fd, mode_t mode)
{
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

int syncFile(int fd)
{
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

int closeFile(int fd)
{
    // Linux releases the descriptor even when close fails, so it is never retried; the error (a
    // delayed write error of a network file system) still counts.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

int renameAt(int dirFd, const QByteArray &from, const QByteArray &to)
{
    return ::renameat(dirFd, from.constData(), dirFd, to.constData()) == 0 ? 0 : errno;
}

int unlinkAt(int dirFd, const QByteArray &name)
{
    return ::unlinkat(dirFd, name.constData(), 0) == 0 ? 0 : errno;
}

mode_t creationMask()
{
    // umask() can only be read by setting it, which would race with other threads creating files;
    // the kernel shows it in the status file since Linux 4.7.
    const ReadResult status = readFile(QByteArrayLiteral("/proc/self"), "/status");
    const int at = status.text.indexOf(QLatin1String("\nUmask:"));
    if (at >= 0) {
        bool ok = false;
        const uint mask = status.text.mid(at + 7, 6).trimmed().toUInt(&ok, 8);
        if (ok)
            return static_cast<mode_t>(mask & 0777);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace SysfsIO
