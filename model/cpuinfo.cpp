#include "cpuinfo.h"

#include <QFile>

#include <algorithm>

namespace
{

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// cpu0 to cpu99 are cores; cpufreq, cpuidle and cpu100 are not.
bool isCoreName(const QString &name)
{
    if (!name.startsWith(QLatin1String("cpu")) || name.size() <= 3 || !isAsciiDigit(name.at(3)))
        return false;
    return name.size() == 4 || (name.size() == 5 && isAsciiDigit(name.at(4)));
}

QString readModelName(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // /proc/cpuinfo reports size 0, and atEnd() trusts the size: read up to the end of file instead.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw);
        if (!line.startsWith(QLatin1String("model name")))
            continue;
        // The name is the text between the first colon and the next one.
        const QStringList pieces = line.split(QLatin1Char(':'));
        return pieces.size() > 1 ? pieces.at(1).trimmed() : QString();
    }
    return QString();
}

} // namespace

CPUInfo *CPUInfo::instance()
{
    static CPUInfo info(QStringLiteral("/sys/devices/system/cpu"), QStringLiteral("/proc/cpuinfo"));
    return &info;
}

CPUInfo::CPUInfo(const QString &cpuDirPath, const QString &cpuInfoPath)
    : cpuDir(cpuDirPath)
{
    QStringList names = cpuDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString &n) { return !isCoreName(n); }),
                names.end());
    std::stable_sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.midRef(3).toInt() < b.midRef(3).toInt(); });

    cores.reserve(static_cast<size_t>(names.size()));
    for (const QString &name : qAsConst(names))
        cores.emplace_back(QDir(cpuDir.absoluteFilePath(name)));

    modelName = readModelName(cpuInfoPath);
}
