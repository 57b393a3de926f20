// SPDX-License-Identifier: GPL-3.0-or-later
#include "userprofiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

#include "cpuinfo.h"
#include "profiles.h"
#include "safesave.h"
#include "safetext.h"
#include "trustedfile.h"

namespace
{
const QString suffix = QStringLiteral(".json");

bool fail(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
    return false;
}

QString quoted(const QString &name)
{
    return QLatin1Char('\'') + SafeText::printable(name) + QLatin1Char('\'');
}
} // namespace

QString UserProfiles::defaultDirectory()
{
    return QStringLiteral("/etc/freqdeck/profiles");
}

UserProfiles::UserProfiles(QString directory)
    : dir(std::move(directory))
{
}

QString UserProfiles::nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("a profile needs a name");
    if (name.size() > maxNameLength)
        return QStringLiteral("a profile's name has at most %1 characters").arg(maxNameLength);
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("a profile's name cannot contain '/'");
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("a profile's name cannot start with '.'");
    if (name != name.trimmed())
        return QStringLiteral("a profile's name cannot start or end with a space");
    for (const QChar c : name) {
        if (!c.isPrint() || c.category() == QChar::Other_Format)
            return QStringLiteral("a profile's name can hold printable characters only");
    }
    if (Profile::find(name))
        return QStringLiteral("%1 is the name of a fixed profile").arg(quoted(name));
    return QString();
}

QStringList UserProfiles::names() const
{
    QStringList found;
    const QStringList files =
        QDir(dir).entryList({QLatin1Char('*') + suffix}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &file : files) {
        const QString name = file.chopped(suffix.size());
        if (nameProblem(name).isEmpty())
            found << name;
    }
    return found;
}

bool UserProfiles::contains(const QString &name) const
{
    return nameProblem(name).isEmpty() && QFileInfo(path(name)).isFile();
}

QString UserProfiles::path(const QString &name) const
{
    return dir + QLatin1Char('/') + name + suffix;
}

bool UserProfiles::check(const QString &name, QString *errorString) const
{
    const QString problem = nameProblem(name);
    if (!problem.isEmpty())
        return fail(errorString, problem);
    if (!QFileInfo(path(name)).isFile())
        return fail(errorString, QStringLiteral("there is no profile %1").arg(quoted(name)));
    return true;
}

bool UserProfiles::save(const CPUInfo &cpus, const QString &name, QString *errorString, QStringList *unreadable) const
{
    const QString problem = nameProblem(name);
    if (!problem.isEmpty())
        return fail(errorString, problem);
    // Readable by all, so that the window shows them to users; written by root alone.
    if (!QDir().mkpath(dir))
        return fail(errorString, QStringLiteral("cannot make the directory %1").arg(quoted(dir)));
    return cpus.dump(path(name), errorString, unreadable);
}

bool UserProfiles::apply(CPUInfo &cpus, const QString &name, ApplyReport &report, QString *errorString) const
{
    if (!check(name, errorString))
        return false;
    QString distrust;
    if (!TrustedFile::check(path(name), &distrust))
        return fail(errorString, QStringLiteral("refusing profile %1: %2").arg(quoted(name), distrust));
    return cpus.load(path(name), report, errorString);
}

bool UserProfiles::rename(const QString &from, const QString &to, QString *errorString) const
{
    if (!check(from, errorString))
        return false;
    const QString problem = nameProblem(to);
    if (!problem.isEmpty())
        return fail(errorString, problem);
    if (QFileInfo::exists(path(to)))
        return fail(errorString, QStringLiteral("there is a profile %1 already").arg(quoted(to)));
    if (!QFile::rename(path(from), path(to)))
        return fail(errorString,
                    QStringLiteral("cannot rename %1: %2").arg(quoted(from), QFile(path(from)).errorString()));
    return true;
}

bool UserProfiles::remove(const QString &name, QString *errorString) const
{
    if (!check(name, errorString))
        return false;
    QFile file(path(name));
    if (!file.remove())
        return fail(errorString, QStringLiteral("cannot delete %1: %2").arg(quoted(name), file.errorString()));
    return true;
}

bool UserProfiles::exportTo(const QString &name, const QString &target, QString *errorString) const
{
    if (!check(name, errorString))
        return false;
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return fail(errorString, QStringLiteral("cannot read %1: %2").arg(quoted(name), file.errorString()));
    return SafeSave::writeFile(target, file.readAll(), errorString);
}

bool UserProfiles::applyAny(CPUInfo &cpus, const QString &name, ApplyReport &report, QString *errorString) const
{
    if (const Profile *fixed = Profile::find(name)) {
        report = cpus.applyProfile(fixed->govern);
        for (CPUCore &core : cpus.cores)
            core.update();
        return true;
    }
    return apply(cpus, name, report, errorString);
}

bool UserProfiles::exists(const QString &name) const
{
    return Profile::find(name) || contains(name);
}
