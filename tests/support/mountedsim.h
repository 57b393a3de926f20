// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

// The simulator (freqdeck-cpufreq-sim) running in the foreground on a fresh temporary mount point.
// Whatever happens to the test, the destructor stops it and leaves nothing mounted; should the test
// process die, the parent-death signal stops the simulator, which unmounts.
class MountedSim final
{
public:
    explicit MountedSim(QString simulator, QStringList args = {});
    MountedSim(const MountedSim &) = delete;
    MountedSim &operator=(const MountedSim &) = delete;
    ~MountedSim();

    // Why the simulator cannot be mounted here (not built, no usable /dev/fuse, no fusermount3), for
    // QSKIP; empty when it can.
    static QString unavailableReason(const QString &simulator);

    QString root() const;
    QString mnt() const;
    QString cpu() const;     // stands in for /sys/devices/system/cpu
    QString sys() const;     // stands in for /sys, with the same CPU tree in it
    QString cpuInfo() const; // stands in for /proc/cpuinfo
    QString policy(int cpu, const QString &name) const;
    pid_t pid() const;
    QString log() const;

    // Starts and waits until the tree is there; false with the reason otherwise.
    bool start(QString *why);
    // SIGTERM, then the exit status as waitpid gives it; -1 if it had to be killed.
    int stop();

private:
    QString simulator;
    QStringList args;
    QTemporaryDir dir;
    pid_t child = -1;
};

// Whether path is a mount point in this process's mount namespace.
bool isMountPoint(const QString &path);
// The mount points at or below directory in this process's mount namespace: what a test mounted
// there, and nothing of other programs, such as a simulator demo running on the same machine.
QStringList mountsUnder(const QString &directory);
