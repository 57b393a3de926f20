// SPDX-License-Identifier: GPL-3.0-or-later
#include "cpuinfo.h"

#include "profiles.h"
#include "settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "safesave.h"
#include "settingsfile.h"

namespace
{

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
    : processor(cpuDirPath)
    , cpuDir(cpuDirPath)
{
    // Every cpuN, whatever the number of digits; each number is read from its name once.
    std::vector<std::pair<short, QString>> found;
    const QStringList names = cpuDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (const std::optional<short> number = CPUCore::numberOf(name))
            found.emplace_back(*number, name);
    }
    std::sort(found.begin(), found.end());

    cores.reserve(found.size());
    for (const auto &[number, name] : found)
        cores.emplace_back(QDir(cpuDir.absoluteFilePath(name)), number);

    modelName = readModelName(cpuInfoPath);
}

const Topology &CPUInfo::topology() const
{
    if (!places) {
        QVector<int> numbers;
        numbers.reserve(int(cores.size()));
        for (const CPUCore &core : cores)
            numbers.append(core.core_id());
        places = Topology::read(cpuDir, numbers);
    }
    return *places;
}

CPUCore *CPUInfo::coreNumbered(int number)
{
    const auto it = std::lower_bound(cores.begin(), cores.end(), number,
                                     [](const CPUCore &core, int n) { return core.core_id() < n; });
    return it != cores.end() && it->core_id() == number ? &*it : nullptr;
}

CPUCore *CPUInfo::policyWriter(const QVector<int> &cpus)
{
    CPUCore *first = nullptr;
    for (const int cpu : cpus) {
        CPUCore *core = coreNumbered(cpu);
        if (core && core->isEnabled())
            return core;
        if (!first)
            first = core;
    }
    return first;
}

void CPUInfo::refreshPolicy(const QVector<int> &cpus, const CPUCore *writer)
{
    for (const int cpu : cpus) {
        CPUCore *core = coreNumbered(cpu);
        if (core && core != writer)
            core->updateSettings();
    }
}

void CPUInfo::setPredefinedGoverns(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure)
{
    QVector<int> numbers;
    for (const CPUCore &core : cores)
        numbers.append(core.core_id());
    const Topology &places = topology();
    const WriteFailureHandler named = [&places, &onFailure](const WriteFailure &failure) {
        if (onFailure)
            onFailure(places.onPolicy(failure));
    };
    for (const QVector<int> &policy : places.byPolicy(numbers)) {
        // The online switch is each CPU's own; an offline core's files cannot be read, so its
        // limits are computed once it is back.
        for (const int cpu : policy) {
            CPUCore &core = *coreNumbered(cpu);
            const bool wasOffline = !core.isEnabled();
            const int error = core.storeEnabled(true);
            if (error != 0 && error != ENOENT && onFailure)
                onFailure({cpu, QStringLiteral("online"), QStringLiteral("1"), error, QString()});
            if (wasOffline && core.isEnabled())
                core.update();
        }
        // The governor and limits belong to the policy: one write each reaches all its CPUs.
        CPUCore *writer = policyWriter(policy);
        writer->writeProfile(govern, named);
        refreshPolicy(policy, writer);
    }
}

ApplyReport CPUInfo::applyProfile(PREDEFINED_GOVERNS govern)
{
    ApplyReport report;
    setPredefinedGoverns(govern, [&report](const WriteFailure &failure) { report.fail(failure); });
    return report;
}

PREDEFINED_GOVERNS CPUInfo::detectPredefinedGoverns()
{
    for (const Profile &profile : Profile::all()) {
        if (std::all_of(cores.begin(), cores.end(),
                        [&profile](CPUCore &core) { return core.checkPredefinedGoverns(profile.govern); }))
            return profile.govern;
    }
    return GOVERN_CUSTOM;
}

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
    leftOut += processor.unreadableSettings(cores);
    const QJsonObject processorSettings = processor.dumpSettings(cores);
    if (!processorSettings.isEmpty())
        array.append(QJsonObject{{SettingsFile::processorKey(), processorSettings}});
    if (unreadable)
        *unreadable = leftOut;
    return SafeSave::writeFile(path, QJsonDocument(array).toJson(QJsonDocument::Indented), errorString);
}

bool CPUInfo::load(const QString &path, QString *errorString, const WriteFailureHandler &onFailure)
{
    ApplyReport report;
    return load(path, report, errorString, onFailure);
}

bool CPUInfo::load(const QString &path, ApplyReport &report, QString *errorString)
{
    return load(path, report, errorString, {});
}

bool CPUInfo::load(const QString &path, ApplyReport &report, QString *errorString, const WriteFailureHandler &onFailure)
{
    const std::optional<QJsonArray> entries = SettingsFile::read(path, errorString);
    if (!entries)
        return false;
    // The processor-wide settings first: a mode switch resets every policy, and the cores' own
    // settings are to come after it.
    for (const QJsonValue &entry : *entries) {
        const QJsonObject object = entry.toObject();
        if (object.contains(SettingsFile::processorKey()) && !object.contains(QStringLiteral("id"))) {
            processor.loadSettings(object.value(SettingsFile::processorKey()).toObject(), cores, report, onFailure);
            for (CPUCore &core : cores)
                core.update();
        }
    }
    SettingsFile::apply(cores, *entries, topology(), report, onFailure);
    return true;
}
