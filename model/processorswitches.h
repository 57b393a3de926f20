// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "cpucore.h"
#include "writefailure.h"

// The processor-wide switches of the cpufreq drivers and the per-CPU energy-performance bias:
// which of them the machine has, their values, and writes that come back as failures. Each switch
// has a name of its own, used by the settings file and the command line:
//   boost             "1" or "0": cpufreq/boost, or intel_pstate/no_turbo with the meaning turned
//   mode              intel_pstate/status or amd_pstate/status ("active", "passive", "guided")
//   max_perf_pct      intel_pstate's bounds of every policy, in percent of the maximum
//   min_perf_pct
//   hwp_dynamic_boost intel_pstate, "1" or "0"
//   prefcore          amd_pstate/prefcore, read-only
class ProcessorSwitches
{
public:
    struct Value {
        QString text; // as the kernel reports it, boost already turned to "1" = on
        int readError = 0;
        bool writable = false;
    };

    // Works on a directory laid out like /sys/devices/system/cpu; reads everything once.
    explicit ProcessorSwitches(const QString &cpuDirPath = QString());

    // Finds the switches again and reads every value.
    void update();

    // The switches present, in the order they are shown.
    QStringList names() const;
    bool has(const QString &name) const;
    Value value(const QString &name) const;
    // The modes the driver can be switched to; "off" is not among them, as it would leave the
    // machine without frequency scaling.
    QStringList modes() const;
    // "intel_pstate", "amd_pstate", or empty for a driver without modes.
    QString modeOwner() const;

    // Writes one switch; nothing, or the failure (error 0 and a reason where nothing was written).
    // Reads the switches again afterwards.
    std::optional<WriteFailure> write(const QString &name, const QString &value);

    // Writes the energy-performance bias of a CPU (0 to 15), where it has one.
    static std::optional<WriteFailure> writeBias(CPUCore &core, const QString &value);

    // The writable switches and every bias, for the settings file; unreadable ones are left out.
    QJsonObject dumpSettings(const std::vector<CPUCore> &cores) const;
    // One printable line for each switch or bias that dumpSettings leaves out as unreadable.
    QStringList unreadableSettings(const std::vector<CPUCore> &cores) const;
    // Applies such an object: the mode first (it resets every policy), then the rest.
    void loadSettings(const QJsonObject &settings, std::vector<CPUCore> &cores, ApplyReport &report,
                      const WriteFailureHandler &onFailure = {});

    // The settings of every core, taken before a mode switch.
    static QJsonArray snapshot(const std::vector<CPUCore> &cores);
    // Reads every core again and applies the snapshot; what could not be re-applied is in the report.
    static ApplyReport reapply(std::vector<CPUCore> &cores, const QJsonArray &snapshot);

private:
    // The one place processor-wide values are written; 0 or the errno.
    int store(const QString &relativePath, const QString &text) const;
    QString fileOf(const QString &name) const;

    QByteArray dir;
    QMap<QString, Value> values;
    QMap<QString, QString> files; // name -> path below dir
};
