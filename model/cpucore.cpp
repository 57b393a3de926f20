#include "cpucore.h"

#include <QDebug>
#include <QFile>

#include <cerrno>

#include "safetext.h"
#include "sysfsio.h"

CPUCore::CPUCore() = default;

CPUCore::CPUCore(const QDir &dir)
    : dir(dir)
{
    if (!dir.exists()) {
        qDebug().noquote() << "CPU Dir is not exist";
        return;
    }
    const QString path = dir.absolutePath();
    dirPath = QFile::encodeName(path);

    // The number is taken from the last two characters of the path: cpu7 gives 7, cpu42 gives 42.
    const int len = path.size();
    const QChar last = len > 0 ? path.at(len - 1) : QChar();
    const QChar before = len > 1 ? path.at(len - 2) : QChar();
    if (last.isDigit() && before.isDigit() && last.unicode() < 128 && before.unicode() < 128)
        id = static_cast<short>((before.unicode() - '0') * 10 + (last.unicode() - '0'));
    else if (last.isDigit() && last.unicode() < 128)
        id = static_cast<short>(last.unicode() - '0');
    else
        id = 0;

    update();
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
    return SysfsIO::writeValue(dirPath + "/cpufreq/" + QFile::encodeName(name), policy.value.toLatin1());
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

// Frequencies are compared in signed 32-bit arithmetic; the doubling wraps instead of overflowing.
int twoThirds(int max)
{
    return static_cast<int>(static_cast<quint32>(max) * 2u) / 3;
}

} // namespace

void CPUCore::setPredefinedGoverns(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure)
{
    const int max = policies[KnownCPUPolicy::cpuinfo_max_freq].value.toInt();
    const int min = policies[KnownCPUPolicy::cpuinfo_min_freq].value.toInt();

    writeOnline(*this, true, onFailure);

    const QString performance = QStringLiteral("performance");
    switch (govern) {
    case GOVERN_PERFORMANCE:
        writePolicy(*this, KnownCPUPolicy::scaling_governor, performance, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, max, onFailure);
        break;
    case GOVERN_FAST:
        writePolicy(*this, KnownCPUPolicy::scaling_governor, performance, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, twoThirds(max), onFailure);
        break;
    case GOVERN_NORMAL:
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, max / 2, onFailure);
        break;
    case GOVERN_SLOW:
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, max / 3, onFailure);
        break;
    case GOVERN_POWERSAVE:
        writePolicy(*this, KnownCPUPolicy::scaling_governor, QStringLiteral("powersave"), onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, min, onFailure);
        break;
    default: // Custom only brings the core online.
        break;
    }
}

bool CPUCore::checkPredefinedGoverns(PREDEFINED_GOVERNS govern)
{
    const int max = policies[KnownCPUPolicy::cpuinfo_max_freq].value.toInt();
    const int limit = policies[KnownCPUPolicy::scaling_max_freq].value.toInt();
    if (!isEnabled())
        return false;

    auto governorIs = [this](const char *name) {
        return policies[KnownCPUPolicy::scaling_governor].value == QLatin1String(name);
    };
    switch (govern) {
    case GOVERN_PERFORMANCE:
        return governorIs("performance") && limit == max;
    case GOVERN_FAST:
        return limit >= twoThirds(max);
    case GOVERN_NORMAL:
        return max / 2 <= limit && limit < twoThirds(max);
    case GOVERN_SLOW:
        return max / 3 <= limit && limit < max / 2;
    case GOVERN_POWERSAVE:
        return governorIs("powersave") && limit < max / 3;
    default:
        return true;
    }
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
    // Only an object whose "id" is this core's number, as a JSON number, is meant for this core.
    const QJsonValue objectId = settings.value(QStringLiteral("id"));
    if (!objectId.isDouble() || objectId.toDouble() != double(core_id()))
        return;

    writeOnline(*this, settings.value(QStringLiteral("isEnabled")).toBool(true), onFailure);

    const QJsonObject values = settings.value(QStringLiteral("policies")).toObject();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const QString text = it.value().toString();
        const auto current = policies.constFind(it.key());
        // A name that is not one of this core's writable attribute files is never written.
        if (current == policies.constEnd() || !current->writable || current->value == text)
            continue;
        writePolicy(*this, it.key(), text, onFailure);
    }
}
