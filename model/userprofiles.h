// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include "writefailure.h"

class CPUInfo;

// The user's own profiles: each a settings file as CPUInfo::dump() writes it, named NAME.json in
// one directory (/etc/freqdeck/profiles), so that root's units can apply them. Root applies only
// a file that nobody but root can have written (TrustedFile), as with the restore file.
class UserProfiles
{
public:
    static QString defaultDirectory();
    // The longest name, in characters.
    static constexpr int maxNameLength = 64;

    explicit UserProfiles(QString directory = defaultDirectory());

    QString directory() const { return dir; }
    // Why name cannot name a profile ("" when it can): empty, too long, a path separator, a
    // leading dot, characters that are not printable, or a fixed profile's command-line name.
    static QString nameProblem(const QString &name);
    // The profiles there are, in name order; files whose names could not be given are left out.
    QStringList names() const;
    bool contains(const QString &name) const;
    QString path(const QString &name) const;

    // Saves the cores' current settings as the profile name, replacing one of that name.
    bool save(const CPUInfo &cpus, const QString &name, QString *errorString, QStringList *unreadable = nullptr) const;
    // Applies the profile name after checking that only root can have written it. False with the
    // reason when it was refused or unreadable (nothing applied); the writes' failures are in report.
    bool apply(CPUInfo &cpus, const QString &name, ApplyReport &report, QString *errorString) const;
    bool rename(const QString &from, const QString &to, QString *errorString) const;
    bool remove(const QString &name, QString *errorString) const;
    // Copies the profile to a file of the user's choice, as a settings file any freqdeck loads.
    bool exportTo(const QString &name, const QString &target, QString *errorString) const;

    // Applies a fixed profile by its command-line name, or else the own profile of that name.
    bool applyAny(CPUInfo &cpus, const QString &name, ApplyReport &report, QString *errorString) const;
    // Whether name is a fixed profile or an own one.
    bool exists(const QString &name) const;

private:
    // False with the reason unless name is a valid name of an existing profile.
    bool check(const QString &name, QString *errorString) const;

    QString dir;
};
