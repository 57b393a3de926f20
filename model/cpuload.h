// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// The kernel's CPU time counters (/proc/stat) at one moment; two of them give each CPU's
// utilisation over the time between.
class CpuLoad
{
public:
    struct Jiffies {
        quint64 busy = 0;
        quint64 total = 0;
    };

    // Reads a file laid out like /proc/stat; empty (and error set) when it cannot be read.
    static CpuLoad read(const QString &statPath);
    // Parses its text: one entry per "cpuN" line, offline CPUs have none.
    static CpuLoad parse(const QString &text);
    // Where /proc/stat is for an inventory whose cpuinfo is at cpuInfoPath: beside it.
    static QString statPathBeside(const QString &cpuInfoPath);
    // Where /proc/stat is for a tree laid out like /sys/devices/system/cpu: /proc/stat for the
    // real one, else beside the tree's sys directory, where the simulator serves it.
    static QString statPathForCpuDir(const QString &cpuDirPath);

    // The share of the time between the two samples that the CPU was busy, 0 to 100; nothing when
    // either sample lacks the CPU or no time passed.
    static std::optional<double> utilisation(const CpuLoad &before, const CpuLoad &after, int cpu);

    bool isEmpty() const { return cpus.isEmpty(); }
    int error = 0;
    QMap<int, Jiffies> cpus;
};
