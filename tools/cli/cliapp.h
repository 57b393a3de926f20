// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

#include "cpuinfo.h"
#include "driftwatch.h"
#include "verifiedapply.h"

// The command-line companion of the window: runs one command (show, profile, save, load, boost,
// mode, set) over the
// inventory, prints results on out and every refused write, skipped setting and note on err, and
// yields the exit status.
class CliApp
{
public:
    enum ExitStatus { Success = 0, WritesFailed = 1, UsageError = 2 };

    // Works on the machine's own inventory, CPUInfo::instance().
    CliApp(QTextStream &out, QTextStream &err);
    // Works on an inventory read from a tree laid out like /sys/devices/system/cpu.
    CliApp(const QString &cpuDirPath, const QString &cpuInfoPath, QTextStream &out, QTextStream &err);

    // Runs the command that the arguments (without the program name) ask for.
    int run(const QStringList &arguments);

    // The cores, read on first use and kept for the rest of the run, as the window keeps its own.
    CPUInfo &inventory();

private:
    int show(bool json);
    // What freqdeck set that reads otherwise now (and, below, other power tools).
    int status(bool json);
    // Where the values this run sets are recorded, read on first use.
    DriftWatch &drift();
    // Records the writes of one command from the time it is made until it ends; then what the
    // cores show is what freqdeck set, and the state file is saved.
    class Recording;
    // show once per interval until interrupted, with each CPU's utilisation (cliwatch.cpp).
    int watch(double seconds, bool json);
    // The chain of ceilings of one CPU and the one that holds it down (cliwatch.cpp).
    int why(const QString &cpu, bool json);
    QString statPath() const;
    // A core's values and a value's cell as show prints them.
    static QJsonObject describeCore(const CPUCore &core, const CpuPlace *place);
    static QString cellText(const QJsonValue &value);
    int applyProfile(PREDEFINED_GOVERNS govern);
    int save(const QString &path);
    // What load prints on out besides its summary line: the attributes that were not kept as
    // written: nothing more, every attribute, or everything as JSON.
    enum class LoadDetail { Summary, Lines, Json };
    int load(const QString &path, const VerifiedApply::Options &options, LoadDetail detail);
    int setSwitch(const QString &name, const QString &value);
    int switchMode(const QString &mode, bool reapply);
    int setAttribute(const QString &attribute, const QString &value, const QString &list);
    // Names one failure on err; WritesFailed.
    int failed(const WriteFailure &failure);
    int usageError(const QString &reason);
    // Names every failure and note of a bulk operation on err; the exit status it earns.
    int report(const ApplyReport &report);

    QString cpuDirPath;
    QString cpuInfoPath;
    QTextStream &out;
    QTextStream &err;
    std::optional<CPUInfo> ownInventory;
    std::optional<DriftWatch> driftWatch;
    CPUInfo *info = nullptr;
};
