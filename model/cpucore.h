#pragma once

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QVariant>

#include "cpupolicy.h"

// One logical CPU as sysfs presents it: its online switch and one record per cpufreq attribute.
class CPUCore
{
public:
    CPUCore();
    explicit CPUCore(const QDir &dir);

    short core_id() const;
    bool isEnabled() const;

    // Writes go to the kernel in a single unbuffered write(2); on false, errno holds the reason.
    bool setEnabled(bool enable);
    bool setPolicy(const QString &name, const QVariant &value);

    // Re-reads the online state and rebuilds every record from the cpufreq directory.
    bool update();

    // Records keyed by attribute name, walked in ascending name order.
    QMap<QString, CPUPolicy> policies;

private:
    QDir dir;
    short id = -1;
    bool enabled = true;
    QByteArray dirPath; // dir's absolute path, encoded once for the system calls of update()
};
