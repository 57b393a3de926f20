#pragma once

#include <QDir>
#include <QString>

#include <vector>

#include "cpucore.h"

// The machine's logical CPUs, listed once, and the processor's model name.
class CPUInfo
{
public:
    // The one inventory of this process, built from sysfs and /proc/cpuinfo on first use.
    static CPUInfo *instance();

    // Builds an inventory from any directory laid out like /sys/devices/system/cpu.
    CPUInfo(const QString &cpuDirPath, const QString &cpuInfoPath);

    QString modelName;
    // Filled once and never resized: pages keep references to its elements.
    std::vector<CPUCore> cores;
    QDir cpuDir;
};
