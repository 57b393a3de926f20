// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

#include "cpupolicy.h"
#include "writefailure.h"

// The one-click profiles; the value is also the segment index of the profile selector. Every value
// outside 0 to 4 acts as Custom.
enum PREDEFINED_GOVERNS : int {
    GOVERN_PERFORMANCE = 0,
    GOVERN_FAST = 1,
    GOVERN_NORMAL = 2,
    GOVERN_SLOW = 3,
    GOVERN_POWERSAVE = 4,
    GOVERN_CUSTOM = 5,
};

// One logical CPU as sysfs presents it: its online switch and one record per cpufreq attribute.
class CPUCore
{
public:
    CPUCore();
    explicit CPUCore(const QDir &dir);
    // A core whose number is already known, as the inventory knows it from the directory's name.
    CPUCore(const QDir &dir, short number);

    // The number of a core directory's name: "cpu" and a number written without leading zeros
    // that fits core_id(); nothing for every other name (cpufreq, cpu, cpu1a, cpu01).
    static std::optional<short> numberOf(const QString &name);

    short core_id() const;
    // The last state read or written; true until one is known.
    bool isEnabled() const;
    // The errno of the last failed read of the online switch, 0 when isEnabled() is what it holds
    // (or the core has no switch).
    int onlineReadError() const;

    // Writes go to the kernel in a single unbuffered write(2) that follows no link and goes only to
    // a regular file; on false, errno holds the reason.
    bool setEnabled(bool enable);
    bool setPolicy(const QString &name, const QVariant &value);
    // The same, returning 0 or the errno.
    int storeEnabled(bool enable);
    int storePolicy(const QString &name, const QVariant &value);

    // The energy-performance bias (power/energy_perf_bias, 0 to 15) where the CPU has one: its
    // text, or the errno of the failed read (ENOENT where there is none, as while offline).
    QString bias(int *readError) const;
    int storeBias(const QString &value);

    // Re-reads the online state and rebuilds every record from the cpufreq directory. Values that
    // could not be read are empty and carry their readError.
    bool update();
    // The same for the settings alone: the current-frequency files, which some kernels take tens of
    // milliseconds to read, keep their last values. For reading back right after a write.
    bool updateSettings();

    // Brings the core online (and reads it again if it was offline) and writes the profile's
    // governor and limits, computed from the core's fresh values (see Profile). A failed write
    // does not stop the others; it is only passed to onFailure, if given.
    void setPredefinedGoverns(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure = {});
    // The same without the online switch: the profile's governor and limits, which belong to the
    // core's policy and so reach every CPU that shares it.
    void writeProfile(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure = {});
    // Whether the core's current records match the profile; reads nothing from the system.
    bool checkPredefinedGoverns(PREDEFINED_GOVERNS govern);

    // The core's number, online state and writable attribute values as a settings-file object;
    // what could not be read is left out.
    QJsonObject dumpSettings() const;
    // One printable line per value that dumpSettings() leaves out because it could not be read.
    QStringList unreadableSettings() const;
    // Applies one settings-file object meant for this core as SettingsFile::applyToCore does; the
    // failures are passed to onFailure, if given, and do not stop the rest.
    void loadSettings(const QJsonObject &settings, const WriteFailureHandler &onFailure = {});

    // Records keyed by attribute name, walked in ascending name order.
    QMap<QString, CPUPolicy> policies;

private:
    QDir dir;
    short id = -1;
    bool enabled = true;
    int onlineError = 0;
    QByteArray dirPath; // dir's absolute path, encoded once for the system calls of update()
};
