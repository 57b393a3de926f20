// SPDX-License-Identifier: GPL-3.0-or-later
#include "packagesensors.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include "sysfsio.h"

namespace
{

SysfsIO::ReadResult readAt(const QByteArray &dir, const QString &name)
{
    return SysfsIO::readFile(dir + '/' + QFile::encodeName(name), "");
}

std::optional<quint64> number(const SysfsIO::ReadResult &r)
{
    bool ok = false;
    const quint64 value = r.text.toULongLong(&ok);
    return r.error == 0 && ok ? std::optional<quint64>(value) : std::nullopt;
}

qint64 monotonicNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.nsecsElapsed();
}

} // namespace

PackageSensors::PackageSensors(const QString &cpuDirPath)
    : cpuDir(QFile::encodeName(QDir::cleanPath(cpuDirPath)))
    , sysRoot(QFile::encodeName(QDir::cleanPath(cpuDirPath + QStringLiteral("/../../.."))))
{
    const QString sys = QFile::decodeName(sysRoot);
    // Package zones are intel-rapl:N; their subzones (intel-rapl:N:M) are parts of them.
    const QDir powercap(sys + QStringLiteral("/class/powercap"));
    static const QRegularExpression packageZone(QStringLiteral("^intel-rapl:\\d+$"));
    for (const QString &zone : powercap.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (packageZone.match(zone).hasMatch())
            raplZones << QFile::encodeName(powercap.filePath(zone));

    // The package sensor of coretemp or k10temp, else the thermal zone the package reports to.
    const QDir hwmon(sys + QStringLiteral("/class/hwmon"));
    for (const QString &entry : hwmon.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QByteArray dir = QFile::encodeName(hwmon.filePath(entry));
        const QString name = readAt(dir, QStringLiteral("name")).text;
        if (name != QLatin1String("coretemp") && name != QLatin1String("k10temp"))
            continue;
        for (int i = 1; i <= 8 && tempFile.isEmpty(); ++i) {
            const QString label = readAt(dir, QStringLiteral("temp%1_label").arg(i)).text;
            if (label.startsWith(QLatin1String("Package")) || label == QLatin1String("Tctl")
                || label == QLatin1String("Tdie")) {
                tempFile = dir + "/temp" + QByteArray::number(i) + "_input";
                tempLabel = name + QStringLiteral(" ") + label;
            }
        }
        if (!tempFile.isEmpty())
            break;
    }
    if (tempFile.isEmpty()) {
        const QDir thermal(sys + QStringLiteral("/class/thermal"));
        for (const QString &entry :
             thermal.entryList({QStringLiteral("thermal_zone*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QByteArray dir = QFile::encodeName(thermal.filePath(entry));
            if (readAt(dir, QStringLiteral("type")).text == QLatin1String("x86_pkg_temp")) {
                tempFile = dir + "/temp";
                tempLabel = entry + QStringLiteral(" x86_pkg_temp");
                break;
            }
        }
    }
}

PackageSensors::Sample PackageSensors::sample(const QVector<int> &throttleCpus) const
{
    Sample s;
    s.monotonicNs = monotonicNs();
    for (int zone = 0; zone < raplZones.size(); ++zone) {
        const QByteArray &dir = raplZones.at(zone);
        const SysfsIO::ReadResult energy = readAt(dir, QStringLiteral("energy_uj"));
        if (energy.error)
            s.energyError = energy.error;
        s.energyUj << number(energy);
        s.energyRangeUj << number(readAt(dir, QStringLiteral("max_energy_range_uj"))).value_or(0);
        if (readAt(dir, QStringLiteral("enabled")).text == QLatin1String("0"))
            continue;
        for (int c = 0; c < 4; ++c) {
            const QString prefix = QStringLiteral("constraint_%1_").arg(c);
            const std::optional<quint64> limit = number(readAt(dir, prefix + QStringLiteral("power_limit_uw")));
            if (!limit)
                break;
            if (*limit > 0)
                s.powerLimits << PowerLimit{readAt(dir, prefix + QStringLiteral("name")).text, double(*limit) / 1e6,
                                            zone};
        }
    }
    if (!tempFile.isEmpty())
        if (const std::optional<quint64> milli = number(SysfsIO::readFile(tempFile, "")))
            s.temperatureC = double(*milli) / 1000.0;
    s.platformProfile = SysfsIO::readFile(sysRoot, "/firmware/acpi/platform_profile").text;
    for (int cpu : throttleCpus) {
        const QByteArray dir = cpuDir + "/cpu" + QByteArray::number(cpu) + "/thermal_throttle";
        const std::optional<quint64> core = number(SysfsIO::readFile(dir, "/core_throttle_count"));
        const std::optional<quint64> package = number(SysfsIO::readFile(dir, "/package_throttle_count"));
        if (core || package)
            s.throttleCounts.insert(cpu, core.value_or(0) + package.value_or(0));
    }
    return s;
}

std::optional<double> PackageSensors::powerW(const Sample &before, const Sample &after)
{
    const qint64 ns = after.monotonicNs - before.monotonicNs;
    if (ns <= 0 || before.energyUj.isEmpty() || before.energyUj.size() != after.energyUj.size())
        return std::nullopt;
    double joules = 0;
    for (int zone = 0; zone < after.energyUj.size(); ++zone) {
        const std::optional<quint64> a = before.energyUj.at(zone);
        const std::optional<quint64> b = after.energyUj.at(zone);
        if (!a || !b)
            return std::nullopt;
        // The counter wraps at max_energy_range_uj.
        const quint64 range = after.energyRangeUj.value(zone);
        const quint64 delta = *b >= *a ? *b - *a : (range > *a ? range - *a + *b : 0);
        joules += double(delta) / 1e6;
    }
    return joules / (double(ns) / 1e9);
}
