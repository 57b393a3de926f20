#include "cpuinfo.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <limits>

#include "safesave.h"

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
    // Not atEnd(): /proc files report a size of 0, so it is true before the first read.
    for (QByteArray raw = file.readLine(); !raw.isEmpty(); raw = file.readLine()) {
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

void CPUInfo::setPredefinedGoverns(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure)
{
    for (CPUCore &core : cores)
        core.setPredefinedGoverns(govern, onFailure);
}

ApplyReport CPUInfo::applyProfile(PREDEFINED_GOVERNS govern)
{
    ApplyReport report;
    setPredefinedGoverns(govern, [&report](const WriteFailure &failure) { report.fail(failure); });
    return report;
}

PREDEFINED_GOVERNS CPUInfo::detectPredefinedGoverns()
{
    for (PREDEFINED_GOVERNS govern : {GOVERN_PERFORMANCE, GOVERN_FAST, GOVERN_NORMAL, GOVERN_SLOW, GOVERN_POWERSAVE}) {
        if (std::all_of(cores.begin(), cores.end(),
                        [govern](CPUCore &core) { return core.checkPredefinedGoverns(govern); }))
            return govern;
    }
    return GOVERN_CUSTOM;
}

namespace
{

constexpr qint64 mebibyte = qint64(1024) * 1024;
// A settings file holds a few kilobytes per core; anything far larger is not one.
constexpr qint64 maxSettingsFileSize = 4 * mebibyte;

void setError(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
}

// The element's "id" as a whole number in int range, else 0.
int elementId(const QJsonValue &id)
{
    if (!id.isDouble())
        return 0;
    const double number = id.toDouble();
    if (!(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
        || number != std::trunc(number))
        return 0;
    return static_cast<int>(number);
}

} // namespace

bool CPUInfo::dump(const QString &path, QString *errorString) const
{
    return dump(path, errorString, nullptr);
}

bool CPUInfo::dump(const QString &path, QString *errorString, QStringList *unreadable) const
{
    QJsonArray array;
    QStringList leftOut;
    for (const CPUCore &core : cores) {
        array.append(core.dumpSettings());
        leftOut += core.unreadableSettings();
    }
    if (unreadable)
        *unreadable = leftOut;
    return SafeSave::writeFile(path, QJsonDocument(array).toJson(QJsonDocument::Indented), errorString);
}

bool CPUInfo::load(const QString &path, QString *errorString, const WriteFailureHandler &onFailure)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        setError(errorString, QFileInfo::exists(path) ? QStringLiteral("Not a regular file.")
                                                      : QStringLiteral("The file does not exist."));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setError(errorString, QStringLiteral("Cannot open the file: %1").arg(file.errorString()));
        return false;
    }
    const QByteArray text = file.read(maxSettingsFileSize + 1);
    if (text.size() > maxSettingsFileSize) {
        setError(errorString, QStringLiteral("The file is larger than %1 MiB; it is not a settings file.")
                                  .arg(maxSettingsFileSize / mebibyte));
        return false;
    }
    file.close();

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        setError(errorString, QStringLiteral("The file is not JSON: %1 at offset %2.")
                                  .arg(parseError.errorString())
                                  .arg(parseError.offset));
        return false;
    }
    if (!document.isArray()) {
        setError(errorString, QStringLiteral("The file is not a settings file: its top level is not an array."));
        return false;
    }

    const QJsonArray array = document.array();
    for (const QJsonValue &element : array) {
        const QJsonObject settings = element.toObject();
        const int id = elementId(settings.value(QStringLiteral("id")));
        if (id >= 0 && static_cast<size_t>(id) < cores.size())
            cores[static_cast<size_t>(id)].loadSettings(settings, onFailure);
    }
    return true;
}

bool CPUInfo::load(const QString &path, ApplyReport &report, QString *errorString)
{
    return load(path, errorString, [&report](const WriteFailure &failure) { report.fail(failure); });
}
