// SPDX-License-Identifier: GPL-3.0-or-later
#include "cpuload.h"

#include <QDir>
#include <QFileInfo>
#include <QVector>
#include <QtGlobal>

#include "sysfsio.h"

CpuLoad CpuLoad::read(const QString &statPath)
{
    const SysfsIO::ReadResult result = SysfsIO::readFile(QFile::encodeName(statPath), "");
    CpuLoad load = parse(result.text);
    load.error = result.error;
    return load;
}

CpuLoad CpuLoad::parse(const QString &text)
{
    CpuLoad load;
    for (const QStringRef &line : text.splitRef(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("cpu")) || line.size() < 4 || !line.at(3).isDigit())
            continue;
        const QVector<QStringRef> fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok = false;
        const int cpu = fields.first().mid(3).toInt(&ok);
        if (!ok || fields.size() < 5)
            continue;
        // user nice system idle iowait irq softirq steal; guest time is already in user and nice.
        Jiffies j;
        for (int i = 1; i < fields.size() && i <= 8; ++i) {
            const quint64 value = fields.at(i).toULongLong();
            j.total += value;
            if (i != 4 && i != 5) // idle and iowait
                j.busy += value;
        }
        load.cpus.insert(cpu, j);
    }
    return load;
}

QString CpuLoad::statPathBeside(const QString &cpuInfoPath)
{
    return QFileInfo(cpuInfoPath).absolutePath() + QStringLiteral("/stat");
}

QString CpuLoad::statPathForCpuDir(const QString &cpuDirPath)
{
    const QString sys = QDir::cleanPath(cpuDirPath + QStringLiteral("/../../.."));
    return sys == QLatin1String("/sys") ? QStringLiteral("/proc/stat")
                                        : QDir::cleanPath(sys + QStringLiteral("/../stat"));
}

std::optional<double> CpuLoad::utilisation(const CpuLoad &before, const CpuLoad &after, int cpu)
{
    const auto a = before.cpus.constFind(cpu);
    const auto b = after.cpus.constFind(cpu);
    if (a == before.cpus.constEnd() || b == after.cpus.constEnd() || b->total <= a->total || b->busy < a->busy)
        return std::nullopt;
    return qBound(0.0, 100.0 * double(b->busy - a->busy) / double(b->total - a->total), 100.0);
}
