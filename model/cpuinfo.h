// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "cpucore.h"
#include "processorswitches.h"
#include "topology.h"

// The machine's logical CPUs, listed once, and the processor's model name.
class CPUInfo
{
public:
    // The one inventory of this process, built from sysfs and /proc/cpuinfo on first use.
    static CPUInfo *instance();

    // Builds an inventory from any directory laid out like /sys/devices/system/cpu.
    CPUInfo(const QString &cpuDirPath, const QString &cpuInfoPath);

    // Applies a profile to every core: each CPU's online switch, then the governor and limits once
    // per policy, through its first online CPU; failed writes go to onFailure, if given, naming a
    // shared policy and its CPUs.
    void setPredefinedGoverns(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure = {});
    // The same, collecting every failed write in the report.
    ApplyReport applyProfile(PREDEFINED_GOVERNS govern);
    // The first profile that every core matches, in the order Performance to Powersave; else Custom.
    PREDEFINED_GOVERNS detectPredefinedGoverns();

    // Saves the writable settings of all cores as JSON, replacing the file only once the new one is
    // complete and on disk, and never following a link at its name. False with a reason for the
    // user in errorString when it could not be saved; then the earlier file is unchanged.
    bool dump(const QString &path, QString *errorString = nullptr) const;
    // The same; unreadable receives a printable line for each value left out because it could not
    // be read (empty when every value was saved).
    bool dump(const QString &path, QString *errorString, QStringList *unreadable) const;
    // Reads a settings file and applies it to the cores. False with a reason when the file cannot
    // be read or is not a settings file; then nothing has been applied. True once the file was
    // applied, even where single writes failed: those go to onFailure, if given.
    bool load(const QString &path, QString *errorString = nullptr, const WriteFailureHandler &onFailure = {});
    // The same, collecting every failed write, every skipped setting and notes in the report.
    bool load(const QString &path, ApplyReport &report, QString *errorString = nullptr);
    bool load(const QString &path, ApplyReport &report, QString *errorString, const WriteFailureHandler &onFailure);

    // Which CPUs share a policy, and their kinds of core; read from the system on first use.
    const Topology &topology() const;
    // The core with this number; nullptr when there is none.
    CPUCore *coreNumbered(int number);
    // The core to write a policy through: the first online one of cpus (the CPUs of one policy, as
    // Topology::byPolicy gives them), else the first present; nullptr when none is present.
    CPUCore *policyWriter(const QVector<int> &cpus);
    // After a write through one CPU of a policy, the others read their settings again.
    void refreshPolicy(const QVector<int> &cpus, const CPUCore *writer);

    QString modelName;
    // The processor-wide switches and biases; saved and loaded with the cores.
    ProcessorSwitches processor;
    // Filled once and never resized: pages keep references to its elements.
    std::vector<CPUCore> cores;
    QDir cpuDir;

private:
    mutable std::optional<Topology> places;
};
