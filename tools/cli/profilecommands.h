// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

#include "userprofiles.h"
#include "writefailure.h"

class CPUInfo;

// The command-line companion's own profiles and power rules: profiles, save-profile, apply,
// rename-profile, delete-profile, export-profile and power-rules. Exit statuses as CliApp's.
class ProfileCommands
{
public:
    struct Places {
        QString configDirectory = QStringLiteral("/etc/freqdeck"); // profiles/ and power-rules.json
        QString stateDirectory;                                    // "": the runner's default
    };

    ProfileCommands(std::function<CPUInfo &()> inventory, Places places, QTextStream &out, QTextStream &err);

    static bool handles(const QString &command);
    // Runs command with its arguments; usageError receives the reason for wrong usage.
    int run(const QString &command, const QStringList &words, const std::function<int(const QString &)> &usageError);

private:
    int list();
    int saveProfile(const QString &name);
    int apply(const QString &name);
    int rename(const QString &from, const QString &to);
    int remove(const QString &name);
    int exportProfile(const QString &name, const QString &file);
    int powerRules(const QStringList &words, const std::function<int(const QString &)> &usageError);
    int showRules();
    int setRule(const QStringList &words, const std::function<int(const QString &)> &usageError);
    int applyRule();
    int watch();
    // A one-line reason on err; status.
    int problem(const QString &text, int status);
    int report(const ApplyReport &report);

    UserProfiles profiles() const;
    QString rulesPath() const;
    QString stateDirectory() const;

    std::function<CPUInfo &()> inventory;
    Places places;
    QTextStream &out;
    QTextStream &err;
};
