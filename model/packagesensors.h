// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVector>

#include <optional>

// The files around the CPUs that say how hot and power-limited the package is: the RAPL package
// zones (energy counter and power limits), the package temperature (hwmon coretemp or k10temp, else
// the x86_pkg_temp thermal zone), the CPUs' thermal throttle counters and the ACPI platform
// profile. Found once in the sysfs tree around a directory laid out like /sys/devices/system/cpu
// (its ../../.. stands for /sys); each sample then reads only those files.
class PackageSensors
{
public:
    struct PowerLimit {
        QString name;     // "long_term", "short_term"
        double watts = 0; // constraint_N_power_limit_uw
        int zone = 0;     // index into Sample::energyUj
    };
    struct Sample {
        qint64 monotonicNs = 0;
        // Per RAPL package zone; nothing where the counter cannot be read (energyError says why,
        // EACCES for a user, as the counter is root's only).
        QVector<std::optional<quint64>> energyUj;
        QVector<quint64> energyRangeUj;
        int energyError = 0;
        QVector<PowerLimit> powerLimits;
        std::optional<double> temperatureC;
        QString platformProfile;           // empty where the platform has none
        QMap<int, quint64> throttleCounts; // per CPU asked for: its core and package events together
    };

    explicit PackageSensors(const QString &cpuDirPath);

    // Reads the package files, and the throttle counters of the CPUs given.
    Sample sample(const QVector<int> &throttleCpus = {}) const;

    // The package power between two samples in watts, all zones together, the counters' wrap
    // allowed for; nothing when either sample lacks a counter or no time passed.
    static std::optional<double> powerW(const Sample &before, const Sample &after);

    bool hasRapl() const { return !raplZones.isEmpty(); }
    QString temperatureLabel() const { return tempLabel; }

private:
    QByteArray cpuDir;
    QByteArray sysRoot;
    QVector<QByteArray> raplZones; // directories
    QByteArray tempFile;
    QString tempLabel;
};
