// SPDX-License-Identifier: GPL-3.0-or-later
#include "processorswitches.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include "settingsfile.h"
#include "sysfsio.h"

namespace
{

const QString boostName = QStringLiteral("boost");
const QString modeName = QStringLiteral("mode");
const QString noTurboFile = QStringLiteral("intel_pstate/no_turbo");
const QString biasKey = QStringLiteral("energy_perf_bias");

// Display order, and the files that may stand behind each name.
const struct {
    const char *name;
    const char *files[2];
} candidates[] = {
    {"boost", {"cpufreq/boost", "intel_pstate/no_turbo"}},
    {"mode", {"intel_pstate/status", "amd_pstate/status"}},
    {"max_perf_pct", {"intel_pstate/max_perf_pct", nullptr}},
    {"min_perf_pct", {"intel_pstate/min_perf_pct", nullptr}},
    {"hwp_dynamic_boost", {"intel_pstate/hwp_dynamic_boost", nullptr}},
    {"prefcore", {"amd_pstate/prefcore", nullptr}},
};

QString flipped(const QString &bit)
{
    if (bit == QLatin1String("0"))
        return QStringLiteral("1");
    if (bit == QLatin1String("1"))
        return QStringLiteral("0");
    return bit;
}

} // namespace

ProcessorSwitches::ProcessorSwitches(const QString &cpuDirPath)
    : dir(QFile::encodeName(cpuDirPath))
{
    update();
}

void ProcessorSwitches::update()
{
    values.clear();
    files.clear();
    if (dir.isEmpty())
        return;
    for (const auto &candidate : candidates) {
        for (const char *file : candidate.files) {
            if (!file || !QFileInfo::exists(QFile::decodeName(dir + '/' + file)))
                continue;
            const QString name = QLatin1String(candidate.name);
            const SysfsIO::ReadResult read = SysfsIO::readFile(dir, (QByteArray("/") + file).constData());
            // The owner's write bit, as sysfs sets it: root may open anything, but not store to it.
            const bool writable =
                QFileInfo(QFile::decodeName(dir + '/' + file)).permissions().testFlag(QFileDevice::WriteOwner);
            Value value{read.text, read.error, writable};
            if (QLatin1String(file) == noTurboFile && read.error == 0)
                value.text = flipped(read.text);
            values.insert(name, value);
            files.insert(name, QLatin1String(file));
            break;
        }
    }
}

QStringList ProcessorSwitches::names() const
{
    QStringList present;
    for (const auto &candidate : candidates) {
        if (values.contains(QLatin1String(candidate.name)))
            present << QLatin1String(candidate.name);
    }
    return present;
}

bool ProcessorSwitches::has(const QString &name) const
{
    return values.contains(name);
}

ProcessorSwitches::Value ProcessorSwitches::value(const QString &name) const
{
    return values.value(name);
}

QString ProcessorSwitches::modeOwner() const
{
    return files.value(modeName).section(QLatin1Char('/'), 0, 0);
}

QStringList ProcessorSwitches::modes() const
{
    const QString owner = modeOwner();
    if (owner == QLatin1String("intel_pstate"))
        return {QStringLiteral("active"), QStringLiteral("passive")};
    if (owner == QLatin1String("amd_pstate"))
        return {QStringLiteral("active"), QStringLiteral("guided"), QStringLiteral("passive")};
    return {};
}

QString ProcessorSwitches::fileOf(const QString &name) const
{
    return files.value(name);
}

int ProcessorSwitches::store(const QString &relativePath, const QString &text) const
{
    return SysfsIO::writeValue(dir + '/' + QFile::encodeName(relativePath), text.toLatin1());
}

std::optional<WriteFailure> ProcessorSwitches::write(const QString &name, const QString &value)
{
    const QString file = fileOf(name);
    if (file.isEmpty())
        return WriteFailure{-1, name, value, 0, QStringLiteral("this machine has no such switch")};
    if (!values.value(name).writable && name == QLatin1String("prefcore"))
        return WriteFailure{-1, name, value, 0, QStringLiteral("the switch is read-only")};
    if (name == modeName && !modes().contains(value))
        return WriteFailure{-1, name, value, 0,
                            QStringLiteral("the driver's modes are %1").arg(modes().join(QStringLiteral(", ")))};
    if (name == boostName && value != QLatin1String("0") && value != QLatin1String("1"))
        return WriteFailure{-1, name, value, 0, QStringLiteral("boost is 1 (on) or 0 (off)")};

    const QString text = file == noTurboFile ? flipped(value) : value;
    const int error = store(file, text);
    update();
    if (error == 0)
        return std::nullopt;
    QString reason;
    if (error == EBUSY && name == modeName)
        reason = QStringLiteral("the driver refuses this mode now");
    return WriteFailure{-1, file, text, error, reason};
}

std::optional<WriteFailure> ProcessorSwitches::writeBias(CPUCore &core, const QString &value)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < 0 || number > 15)
        return WriteFailure{core.core_id(), biasKey, value, 0,
                            QStringLiteral("the bias is a number from 0 (performance) to 15 (power saving)")};
    const int error = core.storeBias(value);
    if (error == 0)
        return std::nullopt;
    QString reason;
    if (error == ENOENT)
        reason = core.isEnabled() ? QStringLiteral("this CPU has no energy-performance bias")
                                  : QStringLiteral("cpu%1 is offline; the kernel takes no settings for an offline CPU")
                                        .arg(core.core_id());
    return WriteFailure{core.core_id(), biasKey, value, error, reason};
}

QJsonObject ProcessorSwitches::dumpSettings(const std::vector<CPUCore> &cores) const
{
    QJsonObject settings;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it->writable && it->readError == 0 && !it->text.isEmpty())
            settings.insert(it.key(), it->text);
    }
    QJsonObject biases;
    for (const CPUCore &core : cores) {
        int error = 0;
        const QString text = core.bias(&error);
        if (error == 0)
            biases.insert(QString::number(core.core_id()), text);
    }
    if (!biases.isEmpty())
        settings.insert(biasKey, biases);
    return settings;
}

QStringList ProcessorSwitches::unreadableSettings(const std::vector<CPUCore> &cores) const
{
    QStringList lines;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it->writable && it->readError != 0)
            lines << QStringLiteral("%1: not saved, it could not be read: %2")
                         .arg(files.value(it.key()), SysfsIO::errorText(it->readError));
    }
    for (const CPUCore &core : cores) {
        int error = 0;
        core.bias(&error);
        // No file is no bias, not an unreadable one.
        if (error != 0 && error != ENOENT)
            lines << QStringLiteral("cpu%1: %2: not saved, it could not be read: %3")
                         .arg(core.core_id())
                         .arg(biasKey, SysfsIO::errorText(error));
    }
    return lines;
}

void ProcessorSwitches::loadSettings(const QJsonObject &settings, std::vector<CPUCore> &cores, ApplyReport &report,
                                     const WriteFailureHandler &onFailure)
{
    QStringList order{modeName};
    for (const QString &name : settings.keys()) {
        if (name != modeName && name != biasKey)
            order << name;
    }
    for (const QString &name : qAsConst(order)) {
        if (!settings.contains(name))
            continue;
        const QJsonValue value = settings.value(name);
        if (!value.isString()) {
            report.fail({-1, name, QString(), 0, QStringLiteral("the saved value is not text")}, onFailure);
            continue;
        }
        if (values.value(name).readError == 0 && values.value(name).text == value.toString())
            continue;
        if (const auto failure = write(name, value.toString()))
            report.fail(*failure, onFailure);
        else
            ++report.written;
    }
    const QJsonObject biases = settings.value(biasKey).toObject();
    for (auto it = biases.constBegin(); it != biases.constEnd(); ++it) {
        bool ok = false;
        const int cpu = it.key().toInt(&ok);
        const auto core =
            std::find_if(cores.begin(), cores.end(), [&](const CPUCore &c) { return c.core_id() == cpu; });
        if (!ok || core == cores.end()) {
            report.fail({ok ? cpu : -1, biasKey, it.value().toString(), 0, QStringLiteral("no such CPU here; skipped")},
                        onFailure);
            continue;
        }
        // An offline CPU has no bias file; the note on its other settings covers it.
        if (!core->isEnabled())
            continue;
        int readError = 0;
        if (core->bias(&readError) == it.value().toString() && readError == 0)
            continue;
        if (const auto failure = writeBias(*core, it.value().toString()))
            report.fail(*failure, onFailure);
        else
            ++report.written;
    }
}

QJsonArray ProcessorSwitches::snapshot(const std::vector<CPUCore> &cores)
{
    QJsonArray settings;
    for (const CPUCore &core : cores)
        settings.append(core.dumpSettings());
    return settings;
}

ApplyReport ProcessorSwitches::reapply(std::vector<CPUCore> &cores, const QJsonArray &snapshot)
{
    for (CPUCore &core : cores)
        core.update();
    ApplyReport report;
    SettingsFile::apply(cores, snapshot, report);
    for (WriteFailure &failure : report.failures) {
        if (failure.error == 0 && failure.reason == QLatin1String("this CPU has no such attribute"))
            failure.reason = QStringLiteral("the new mode has no such attribute");
    }
    for (CPUCore &core : cores)
        core.update();
    return report;
}
