// SPDX-License-Identifier: GPL-3.0-or-later
#include "trustedfile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sys/stat.h>

#include "safetext.h"
#include "sysfsio.h"

namespace
{
QString quoted(const QString &path)
{
    return QLatin1Char('\'') + SafeText::printable(path) + QLatin1Char('\'');
}

// Why someone other than root could change what is at path; empty if nobody can.
QString openToOthers(const QString &what, const QString &path, const struct stat &st)
{
    if (st.st_uid != 0)
        return QStringLiteral("%1 %2 is owned by uid %3, not by root").arg(what, quoted(path)).arg(st.st_uid);
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("%1 %2 is writable by %3 (mode %4)")
            .arg(what, quoted(path),
                 (st.st_mode & S_IWOTH) != 0 ? QStringLiteral("everyone") : QStringLiteral("its group"),
                 QString::number(st.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0')));
    return QString();
}

// Every directory above path, nearest first, ending with /.
QStringList directoriesAbove(const QString &path)
{
    QStringList directories;
    int slash = path.lastIndexOf(QLatin1Char('/'));
    while (slash > 0) {
        directories << path.left(slash);
        slash = path.lastIndexOf(QLatin1Char('/'), slash - 1);
    }
    directories << QStringLiteral("/");
    return directories;
}
} // namespace

bool TrustedFile::check(const QString &path, QString *reason)
{
    const auto refuse = [reason](const QString &why) {
        *reason = why;
        return false;
    };
    // Both the directories named on the way and those the links lead through: whoever may change
    // either may put another file in its place.
    const QString named = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    QByteArray resolved;
    if (const int error = SysfsIO::resolvePath(QFile::encodeName(named), resolved))
        return refuse(QStringLiteral("cannot resolve %1: %2").arg(quoted(path), SysfsIO::errorText(error)));
    const QString real = QFile::decodeName(resolved);

    struct stat st;
    if (const int error = SysfsIO::statPath(resolved, st))
        return refuse(QStringLiteral("cannot examine %1: %2").arg(quoted(real), SysfsIO::errorText(error)));
    if (!S_ISREG(st.st_mode))
        return refuse(QStringLiteral("%1 is not a regular file").arg(quoted(real)));
    QString why = openToOthers(QStringLiteral("the file"), real, st);
    if (!why.isEmpty())
        return refuse(why);

    QStringList directories = directoriesAbove(named) + directoriesAbove(real);
    directories.removeDuplicates();
    for (const QString &directory : qAsConst(directories)) {
        if (const int error = SysfsIO::statPath(QFile::encodeName(directory), st))
            return refuse(QStringLiteral("cannot examine %1: %2").arg(quoted(directory), SysfsIO::errorText(error)));
        why = openToOthers(QStringLiteral("the directory"), directory, st);
        if (!why.isEmpty())
            return refuse(why);
    }
    return true;
}
