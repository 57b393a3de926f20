// SPDX-License-Identifier: GPL-3.0-or-later
#include "cpucore.h"

#include "profiles.h"
#include "settingsfile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include "safetext.h"
#include "sysfsio.h"
#include "writeobserver.h"

CPUCore::CPUCore() = default;

namespace
{

// The digits that end a path, as a core number; 0 where there are none or too many.
short trailingNumber(const QString &path)
{
    int start = path.size();
    while (start > 0 && path.at(start - 1) >= QLatin1Char('0') && path.at(start - 1) <= QLatin1Char('9'))
        --start;
    bool ok = false;
    const short number = path.midRef(start).toShort(&ok);
    return ok ? number : short(0);
}

} // namespace

CPUCore::CPUCore(const QDir &dir)
    : CPUCore(dir, trailingNumber(dir.absolutePath()))
{
}

CPUCore::CPUCore(const QDir &dir, short number)
    : dir(dir)
    , id(number)
{
    if (!dir.exists()) {
        qDebug().noquote() << "CPU Dir is not exist";
        return;
    }
    dirPath = QFile::encodeName(dir.absolutePath());
    update();
}

std::optional<short> CPUCore::numberOf(const QString &name)
{
    const QStringRef digits = name.midRef(3);
    if (!name.startsWith(QLatin1String("cpu")) || digits.isEmpty() || (digits.size() > 1 && digits.at(0) == '0'))
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const short number = digits.toShort(&ok);
    return ok ? std::optional<short>(number) : std::nullopt;
}

short CPUCore::core_id() const
{
    return id;
}

bool CPUCore::isEnabled() const
{
    return enabled;
}

int CPUCore::onlineReadError() const
{
    return onlineError;
}

bool CPUCore::setEnabled(bool enable)
{
    return SysfsIO::passErrno(storeEnabled(enable));
}

int CPUCore::storeEnabled(bool enable)
{
    if (dirPath.isEmpty())
        return ENOENT;
    const int error =
        SysfsIO::writeValue(dirPath + "/online", enable ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
    if (error == 0) {
        enabled = enable;
        onlineError = 0; // the kernel took the state, so it is known again
        WriteObserver::notify(QFileInfo(dir.absolutePath()).absolutePath(), id, QStringLiteral("online"),
                              enable ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return error;
}

bool CPUCore::setPolicy(const QString &name, const QVariant &value)
{
    return SysfsIO::passErrno(storePolicy(name, value));
}

int CPUCore::storePolicy(const QString &name, const QVariant &value)
{
    CPUPolicy &policy = policies[name];
    // Nothing is written; the errno still tells callers why, as for a refused write.
    if (!policy.writable)
        return policy.isEmpty() ? ENOENT : EACCES;
    policy.value = value.toString();
    if (dirPath.isEmpty())
        return ENOENT;
    const int error = SysfsIO::writeValue(dirPath + "/cpufreq/" + QFile::encodeName(name), policy.value.toLatin1());
    if (error == 0)
        WriteObserver::notify(QFileInfo(dir.absolutePath()).absolutePath(), id, name, policy.value);
    return error;
}

QString CPUCore::bias(int *readError) const
{
    const SysfsIO::ReadResult read = dirPath.isEmpty() ? SysfsIO::ReadResult{QString(), ENOENT}
                                                       : SysfsIO::readFile(dirPath, "/power/energy_perf_bias");
    if (readError)
        *readError = read.error;
    return read.text;
}

int CPUCore::storeBias(const QString &value)
{
    if (dirPath.isEmpty())
        return ENOENT;
    return SysfsIO::writeValue(dirPath + "/power/energy_perf_bias", value.toLatin1());
}

bool CPUCore::update()
{
    if (dirPath.isEmpty())
        return true;

    // No online file is a core without a switch (the boot CPU on x86): its state stays as it was.
    // A file that cannot be read says nothing either way, and the last known state is kept too.
    const SysfsIO::ReadResult online = SysfsIO::readFile(dirPath, "/online");
    if (online.error == 0)
        enabled = online.text.toInt() != 0;
    onlineError = online.error == ENOENT ? 0 : online.error;

    SysfsIO::readAttributes(dirPath, "/cpufreq", policies);
    return true;
}

namespace
{

bool isCurrentFrequency(const char *name)
{
    return std::strcmp(name, KnownCPUPolicy::scaling_cur_freq) == 0
           || std::strcmp(name, KnownCPUPolicy::cpuinfo_cur_freq) == 0;
}

} // namespace

bool CPUCore::updateSettings()
{
    if (dirPath.isEmpty())
        return true;
    const SysfsIO::ReadResult online = SysfsIO::readFile(dirPath, "/online");
    if (online.error == 0)
        enabled = online.text.toInt() != 0;
    onlineError = online.error == ENOENT ? 0 : online.error;

    QVector<CPUPolicy> kept;
    for (const char *name : {KnownCPUPolicy::scaling_cur_freq, KnownCPUPolicy::cpuinfo_cur_freq}) {
        const auto record = policies.constFind(QLatin1String(name));
        if (record != policies.constEnd())
            kept.append(*record);
    }
    SysfsIO::readAttributes(dirPath, "/cpufreq", policies, isCurrentFrequency);
    for (const CPUPolicy &record : qAsConst(kept))
        policies.insert(record.name, record);
    return true;
}

namespace
{

// setPolicy, telling onFailure when a write was tried and failed. An attribute that the core lacks or
// that is not writable is never written, so skipping it is no failure.
void writePolicy(CPUCore &core, const QString &name, const QVariant &value, const WriteFailureHandler &onFailure)
{
    const int error = core.storePolicy(name, value);
    if (error == 0 || !onFailure)
        return;
    if (core.policies.value(name).writable)
        onFailure({core.core_id(), name, value.toString(), error, QString()});
}

// setEnabled, telling onFailure when the switch refused. A core without a switch (the boot CPU on
// x86) cannot be taken offline, so it is online already and asking for that is no failure.
void writeOnline(CPUCore &core, bool enable, const WriteFailureHandler &onFailure)
{
    const int error = core.storeEnabled(enable);
    if (error == 0 || !onFailure)
        return;
    if (enable && error == ENOENT)
        return;
    onFailure({core.core_id(), QStringLiteral("online"), enable ? QStringLiteral("1") : QStringLiteral("0"), error,
               QString()});
}

// The frequencies a core lists in scaling_available_frequencies; empty where it lists none.
QVector<qint64> listedFrequencies(const CPUCore &core)
{
    QVector<qint64> table;
    const QString text = core.policies.value(KnownCPUPolicy::scaling_available_frequencies).value;
    for (const QStringRef &word : text.splitRef(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint64 frequency = word.toLongLong(&ok);
        if (ok)
            table.append(frequency);
    }
    return table;
}

} // namespace

void CPUCore::setPredefinedGoverns(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure)
{
    // An offline core's files cannot be read: its limits are computed once it is back.
    const bool wasOffline = !isEnabled();
    writeOnline(*this, true, onFailure);
    if (wasOffline && isEnabled())
        update();
    writeProfile(govern, onFailure);
}

void CPUCore::writeProfile(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure)
{
    const Profile &profile = Profile::of(govern);
    if (profile.governor)
        writePolicy(*this, KnownCPUPolicy::scaling_governor, QString::fromLatin1(profile.governor), onFailure);
    // Limits computed from values that could not be read would pin the core at its lowest speed.
    for (const char *name : {KnownCPUPolicy::cpuinfo_max_freq, KnownCPUPolicy::cpuinfo_min_freq}) {
        const int error = policies[name].readError;
        if (error != 0 && profile.maxLimit != Profile::Level::None) {
            if (onFailure)
                onFailure({core_id(), QString::fromLatin1(KnownCPUPolicy::scaling_max_freq), QString(), 0,
                           QStringLiteral("limits not written: %1 could not be read (%2)")
                               .arg(QLatin1String(name), SysfsIO::errorText(error))});
            return;
        }
    }
    const int max = policies[KnownCPUPolicy::cpuinfo_max_freq].value.toInt();
    const int min = policies[KnownCPUPolicy::cpuinfo_min_freq].value.toInt();
    if (const auto lower = Profile::value(profile.minLimit, max, min))
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, *lower, onFailure);
    if (const auto upper = profile.upperLimit(max, min, listedFrequencies(*this)))
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, *upper, onFailure);
}

bool CPUCore::checkPredefinedGoverns(PREDEFINED_GOVERNS govern)
{
    if (!isEnabled())
        return false;
    const int max = policies[KnownCPUPolicy::cpuinfo_max_freq].value.toInt();
    const int limit = policies[KnownCPUPolicy::scaling_max_freq].value.toInt();
    return Profile::of(govern).matches(max, limit, policies[KnownCPUPolicy::scaling_governor].value);
}

namespace
{

// A value to save: writable and read. A file without a read side is no value at all (sysfs has
// no text for it), so it is left out without being reported.
bool isSaved(const CPUPolicy &policy)
{
    return policy.writable && policy.readError == 0;
}

} // namespace

QJsonObject CPUCore::dumpSettings() const
{
    QJsonObject values;
    for (const CPUPolicy &policy : policies) {
        if (isSaved(policy))
            values.insert(policy.name, policy.value);
    }
    QJsonObject settings{{QStringLiteral("id"), core_id()}};
    // A state that could not be read is left out; loaders take a missing one as online.
    if (onlineError == 0)
        settings.insert(QStringLiteral("isEnabled"), isEnabled());
    settings.insert(QStringLiteral("policies"), values);
    return settings;
}

QStringList CPUCore::unreadableSettings() const
{
    QStringList lines;
    const QString line = QStringLiteral("cpu%1: %2: not saved, it could not be read: %3");
    if (onlineError != 0)
        lines << line.arg(core_id()).arg(QLatin1String("online"), SysfsIO::errorText(onlineError));
    for (const CPUPolicy &policy : policies) {
        if (policy.writable && policy.readable && !isSaved(policy))
            lines << line.arg(core_id()).arg(SafeText::printable(policy.name), SysfsIO::errorText(policy.readError));
    }
    return lines;
}

void CPUCore::loadSettings(const QJsonObject &settings, const WriteFailureHandler &onFailure)
{
    ApplyReport report;
    SettingsFile::applyToCore(*this, settings, report, onFailure);
}
