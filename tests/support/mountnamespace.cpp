// SPDX-License-Identifier: GPL-3.0-or-later
#include "mountnamespace.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace
{
bool entered = false;
QString failure = QStringLiteral("the mount namespace was not entered");

bool writeProcFile(const char *path, const QByteArray &text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    ::close(fd);
    return ok;
}

QString errorText(const char *what)
{
    return QStringLiteral("%1 failed: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

bool MountNamespace::enter()
{
    if (entered)
        return true;
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0) {
            failure = errorText("unshare(CLONE_NEWNS)");
            return false;
        }
    } else {
        // Without root, an unprivileged user namespace grants the right to mount inside it.
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            failure = errorText("unshare(CLONE_NEWUSER | CLONE_NEWNS)");
            return false;
        }
        writeProcFile("/proc/self/setgroups", "deny");
        if (!writeProcFile("/proc/self/uid_map", QByteArray::number(uid) + ' ' + QByteArray::number(uid) + " 1")
            || !writeProcFile("/proc/self/gid_map", QByteArray::number(gid) + ' ' + QByteArray::number(gid) + " 1")) {
            failure = errorText("writing the user namespace's id maps");
            return false;
        }
    }
    // Keep every mount made from here on inside this namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        failure = errorText("making / private");
        return false;
    }
    entered = true;
    failure.clear();
    return true;
}

bool MountNamespace::available()
{
    return entered;
}

QString MountNamespace::reason()
{
    return failure;
}

bool MountNamespace::bind(const QString &source, const QString &target)
{
    if (!entered)
        return false;
    if (::mount(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(), nullptr, MS_BIND, nullptr)
        != 0) {
        failure = errorText("bind mount");
        return false;
    }
    return true;
}

bool MountNamespace::mountTmpfs(const QString &target, const QString &options)
{
    if (!entered)
        return false;
    if (::mount("tmpfs", QFile::encodeName(target).constData(), "tmpfs", 0, options.toLatin1().constData()) != 0) {
        failure = errorText("tmpfs mount");
        return false;
    }
    return true;
}

bool MountNamespace::makeReadOnly(const QString &directory)
{
    if (!bind(directory, directory))
        return false;
    const QByteArray path = QFile::encodeName(directory);
    if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        failure = errorText("read-only remount");
        return false;
    }
    return true;
}

bool MountNamespace::unmount(const QString &target)
{
    return entered && ::umount2(QFile::encodeName(target).constData(), MNT_DETACH) == 0;
}
