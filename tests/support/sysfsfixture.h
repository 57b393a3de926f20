// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

// Builds fake /sys/devices/system/cpu trees (and a cpuinfo file) in a temporary directory.
class SysfsFixture final
{
public:
    enum class Online { On, Off, Missing };

    SysfsFixture();

    bool isValid() const;
    QString root() const;
    QString cpuDir() const;      // stands in for /sys/devices/system/cpu
    QString cpuInfoPath() const; // stands in for /proc/cpuinfo
    QString coreDir(int core) const;
    QString attributePath(int core, const QString &name) const;

    // An empty core: its directory, an online file (unless Missing) and an empty cpufreq directory.
    void addCore(int core, Online online = Online::On);
    // A core as acpi-cpufreq shows it: eight common attributes plus available lists.
    void addTypicalCore(int core, int minKHz = 800000, int maxKHz = 3400000, Online online = Online::On);
    // The same attributes as in addTypicalCore, with the cpufreq directory a symbolic link to
    // ../cpufreq/policyN as on a real machine.
    void linkCpufreqToPolicy(int core);

    void writeAttribute(int core, const QString &name, const QByteArray &content, mode_t mode = 0644);
    QByteArray readAttribute(int core, const QString &name) const;
    void removeAttribute(int core, const QString &name);
    // Replaces an attribute by a symbolic link, for example to /dev/full to make writes fail.
    void replaceWithSymlink(int core, const QString &name, const QString &target);
    void addSymlink(int core, const QString &name, const QString &target);
    void addSubdirectory(int core, const QString &name);

    void setOnline(int core, const QByteArray &content);
    QByteArray readOnline(int core) const;
    void removeOnline(int core);

    // Entries beside the cores, such as cpufreq, cpuidle, cpu100 or a plain file.
    void addTopDirectory(const QString &name);
    void addTopFile(const QString &name, const QByteArray &content);

    void writeCpuInfo(const QByteArray &content);
    // A cpuinfo file with one "model name" line per core, as x86 kernels write it.
    void writeCpuInfoForModel(const QString &model, int cores);

    // Every file below the cpu directory with its content, to see what an operation touched; trimmed
    // content ignores the line ends that the program never writes.
    QMap<QString, QByteArray> snapshot(bool trimmed = false) const;

    // Plain file helpers for settings files and the like; an unreadable file reads as empty.
    static QByteArray readFile(const QString &path);
    static void writePlainFile(const QString &path, const QByteArray &content);

private:
    void writeFile(const QString &path, const QByteArray &content, mode_t mode) const;

    QTemporaryDir dir;
};
