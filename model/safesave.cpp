// SPDX-License-Identifier: GPL-3.0-or-later
#include "safesave.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "safetext.h"
#include "sysfsio.h"

namespace
{

bool fail(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
    return false;
}

QString typeName(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a directory");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a fifo");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

// A name beside the target that nobody else can have made: hidden, and short enough for NAME_MAX.
QByteArray temporaryName(const QByteArray &name)
{
    return '.' + name.left(200) + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
}

// Closes the directory on every way out.
class DirectoryFd
{
public:
    explicit DirectoryFd(int fd)
        : fd(fd)
    {
    }
    DirectoryFd(const DirectoryFd &) = delete;
    DirectoryFd &operator=(const DirectoryFd &) = delete;
    ~DirectoryFd() { SysfsIO::closeFile(fd); }
    int get() const { return fd; }

private:
    int fd;
};

} // namespace

bool SafeSave::writeFile(const QString &path, const QByteArray &text, QString *errorString)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString dirPath = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
    const QString fileName = path.mid(slash + 1);
    const QString shownPath = SafeText::printable(path);
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return fail(errorString, QStringLiteral("%1 does not name a file.").arg(shownPath));

    const SysfsIO::OpenResult opened =
        SysfsIO::openAt(AT_FDCWD, QFile::encodeName(dirPath), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened.error != 0)
        return fail(errorString, QStringLiteral("Cannot open the directory %1: %2")
                                     .arg(SafeText::printable(dirPath), SysfsIO::errorText(opened.error)));
    const DirectoryFd dir(opened.fd);
    const QByteArray name = QFile::encodeName(fileName);

    // An existing file keeps its permissions; a new one (or one replacing a link) gets those
    // open(2) would give it.
    mode_t mode = 0666 & ~SysfsIO::creationMask();
    struct stat st;
    if (const int error = SysfsIO::statAt(dir.get(), name, st); error == 0) {
        if (S_ISREG(st.st_mode))
            mode = st.st_mode & 0777;
        else if (!S_ISLNK(st.st_mode))
            return fail(errorString, QStringLiteral("%1 is %2, not a regular file; it is left as it is.")
                                         .arg(shownPath, typeName(st.st_mode)));
    } else if (error != ENOENT) {
        return fail(errorString, QStringLiteral("Cannot look at %1: %2").arg(shownPath, SysfsIO::errorText(error)));
    }

    QByteArray tempName;
    SysfsIO::OpenResult temp;
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempName = temporaryName(name);
        temp = SysfsIO::openAt(dir.get(), tempName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (temp.error != EEXIST)
            break;
    }
    if (temp.error != 0)
        return fail(errorString, QStringLiteral("Cannot create a temporary file beside %1: %2")
                                     .arg(shownPath, SysfsIO::errorText(temp.error)));

    // Each step runs only when all before it succeeded; the descriptor is closed whatever happened.
    int error = SysfsIO::writeAll(temp.fd, text);
    if (error == 0)
        error = SysfsIO::changeMode(temp.fd, mode);
    if (error == 0)
        error = SysfsIO::syncFile(temp.fd);
    const int closeError = SysfsIO::closeFile(temp.fd);
    if (error == 0)
        error = closeError;
    if (error == 0)
        error = SysfsIO::renameAt(dir.get(), tempName, name);
    if (error != 0) {
        SysfsIO::unlinkAt(dir.get(), tempName);
        return fail(errorString, QStringLiteral("Cannot write %1: %2").arg(shownPath, SysfsIO::errorText(error)));
    }

    // The new name is in place; only syncing the directory makes it survive a crash. File systems
    // that cannot sync a directory say so with EINVAL, and there is nothing more to do then.
    error = SysfsIO::syncFile(dir.get());
    if (error != 0 && error != EINVAL)
        return fail(errorString, QStringLiteral("%1 was written, but may not survive a crash: %2")
                                     .arg(shownPath, SysfsIO::errorText(error)));
    return true;
}
