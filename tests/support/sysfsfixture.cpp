// SPDX-License-Identifier: GPL-3.0-or-later
#include "sysfsfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace
{
void check(bool ok, const QString &what)
{
    if (!ok)
        qFatal("fixture: %s", qPrintable(what));
}
} // namespace

SysfsFixture::SysfsFixture()
{
    check(dir.isValid(), QStringLiteral("no temporary directory"));
    check(QDir(dir.path()).mkpath(QStringLiteral("cpu")), cpuDir());
    writeCpuInfo(QByteArray());
}

bool SysfsFixture::isValid() const
{
    return dir.isValid();
}

QString SysfsFixture::root() const
{
    return dir.path();
}

QString SysfsFixture::cpuDir() const
{
    return dir.path() + QStringLiteral("/cpu");
}

QString SysfsFixture::cpuInfoPath() const
{
    return dir.path() + QStringLiteral("/cpuinfo");
}

QString SysfsFixture::coreDir(int core) const
{
    return cpuDir() + QStringLiteral("/cpu") + QString::number(core);
}

QString SysfsFixture::attributePath(int core, const QString &name) const
{
    return coreDir(core) + QStringLiteral("/cpufreq/") + name;
}

void SysfsFixture::addCore(int core, Online online)
{
    check(QDir().mkpath(coreDir(core) + QStringLiteral("/cpufreq")), coreDir(core));
    if (online != Online::Missing)
        setOnline(core, online == Online::On ? "1\n" : "0\n");
}

void SysfsFixture::addTypicalCore(int core, int minKHz, int maxKHz, Online online)
{
    addCore(core, online);
    const QByteArray min = QByteArray::number(minKHz) + '\n';
    const QByteArray max = QByteArray::number(maxKHz) + '\n';
    const QByteArray mid = QByteArray::number((minKHz + maxKHz) / 2) + '\n';
    writeAttribute(core, QStringLiteral("affected_cpus"), QByteArray::number(core) + '\n', 0444);
    writeAttribute(core, QStringLiteral("cpuinfo_max_freq"), max, 0444);
    writeAttribute(core, QStringLiteral("cpuinfo_min_freq"), min, 0444);
    writeAttribute(core, QStringLiteral("cpuinfo_transition_latency"), "10000\n", 0444);
    writeAttribute(core, QStringLiteral("related_cpus"), QByteArray::number(core) + '\n', 0444);
    writeAttribute(core, QStringLiteral("scaling_available_frequencies"),
                   max.trimmed() + ' ' + mid.trimmed() + ' ' + min, 0444);
    writeAttribute(core, QStringLiteral("scaling_available_governors"), "performance powersave schedutil ondemand\n",
                   0444);
    writeAttribute(core, QStringLiteral("scaling_cur_freq"), mid, 0444);
    writeAttribute(core, QStringLiteral("scaling_driver"), "acpi-cpufreq\n", 0444);
    writeAttribute(core, QStringLiteral("scaling_governor"), "schedutil\n", 0644);
    writeAttribute(core, QStringLiteral("scaling_max_freq"), max, 0644);
    writeAttribute(core, QStringLiteral("scaling_min_freq"), min, 0644);
}

void SysfsFixture::linkCpufreqToPolicy(int core)
{
    const QString policy = cpuDir() + QStringLiteral("/cpufreq/policy") + QString::number(core);
    const QString cpufreq = coreDir(core) + QStringLiteral("/cpufreq");
    check(QDir().mkpath(cpuDir() + QStringLiteral("/cpufreq")), policy);
    QDir().rmdir(policy);
    check(QDir().rename(cpufreq, policy), policy);
    check(QFile::link(QStringLiteral("../cpufreq/policy") + QString::number(core), cpufreq), cpufreq);
}

void SysfsFixture::writeAttribute(int core, const QString &name, const QByteArray &content, mode_t mode)
{
    writeFile(attributePath(core, name), content, mode);
}

QByteArray SysfsFixture::readAttribute(int core, const QString &name) const
{
    QFile file(attributePath(core, name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SysfsFixture::removeAttribute(int core, const QString &name)
{
    check(QFile::remove(attributePath(core, name)), attributePath(core, name));
}

void SysfsFixture::replaceWithSymlink(int core, const QString &name, const QString &target)
{
    QFile::remove(attributePath(core, name));
    addSymlink(core, name, target);
}

void SysfsFixture::addSymlink(int core, const QString &name, const QString &target)
{
    check(QFile::link(target, attributePath(core, name)), attributePath(core, name));
}

void SysfsFixture::addSubdirectory(int core, const QString &name)
{
    check(QDir().mkpath(attributePath(core, name)), attributePath(core, name));
}

void SysfsFixture::setOnline(int core, const QByteArray &content)
{
    writeFile(coreDir(core) + QStringLiteral("/online"), content, 0644);
}

QByteArray SysfsFixture::readOnline(int core) const
{
    QFile file(coreDir(core) + QStringLiteral("/online"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SysfsFixture::removeOnline(int core)
{
    QFile::remove(coreDir(core) + QStringLiteral("/online"));
}

void SysfsFixture::addTopDirectory(const QString &name)
{
    check(QDir().mkpath(cpuDir() + QLatin1Char('/') + name), name);
}

void SysfsFixture::addTopFile(const QString &name, const QByteArray &content)
{
    writeFile(cpuDir() + QLatin1Char('/') + name, content, 0644);
}

void SysfsFixture::writeCpuInfo(const QByteArray &content)
{
    writeFile(cpuInfoPath(), content, 0444);
}

void SysfsFixture::writeCpuInfoForModel(const QString &model, int cores)
{
    QByteArray text;
    for (int i = 0; i < cores; ++i) {
        text += "processor\t: " + QByteArray::number(i) + "\nvendor_id\t: GenuineIntel\n";
        text += "model name\t: " + model.toUtf8() + "\ncpu MHz\t\t: 2400.000\n\n";
    }
    writeCpuInfo(text);
}

void SysfsFixture::writeFile(const QString &path, const QByteArray &content, mode_t mode) const
{
    // Never write through a link a test left behind (for example one to /dev/full).
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
    QFile file(path);
    if (file.exists())
        ::chmod(QFile::encodeName(path).constData(), 0600);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), path);
    check(file.write(content) == content.size(), path);
    file.close();
    check(::chmod(QFile::encodeName(path).constData(), mode) == 0, path);
}

QMap<QString, QByteArray> SysfsFixture::snapshot(bool trimmed) const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(cpuDir(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray content = readFile(path);
        files.insert(path, trimmed ? content.trimmed() : content);
    }
    return files;
}

QByteArray SysfsFixture::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SysfsFixture::writePlainFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), path);
    check(file.write(content) == content.size(), path);
}
