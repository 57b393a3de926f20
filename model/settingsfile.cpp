// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMap>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>

#include "refusal.h"

namespace
{

constexpr qint64 mebibyte = qint64(1024) * 1024;
// A settings file holds a few kilobytes per core; anything far larger is not one.
constexpr qint64 maxSettingsFileSize = 4 * mebibyte;

const QString governorName = QStringLiteral("scaling_governor");
const QString preferenceName = QStringLiteral("energy_performance_preference");
const QString minName = QStringLiteral("scaling_min_freq");
const QString maxName = QStringLiteral("scaling_max_freq");

void setError(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
}

// A JSON value as the file spells it, for messages.
QString jsonText(const QJsonValue &value)
{
    if (value.isUndefined())
        return QStringLiteral("nothing");
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// The entry's "id" as a core number: a whole number from 0 to the largest int.
std::optional<int> entryId(const QJsonValue &id)
{
    if (!id.isDouble())
        return std::nullopt;
    const double number = id.toDouble();
    if (!(number >= 0 && number <= std::numeric_limits<int>::max()) || number != std::trunc(number))
        return std::nullopt;
    return static_cast<int>(number);
}

// setEnabled, counted or reported. A core without a switch (the boot CPU on x86) is online and
// cannot be taken offline, so asking it to be online is no failure.
void writeOnline(CPUCore &core, bool enable, ApplyReport &report, const WriteFailureHandler &onFailure)
{
    const int error = core.storeEnabled(enable);
    if (error == 0) {
        ++report.written;
        return;
    }
    if (enable && error == ENOENT)
        return;
    report.fail({core.core_id(), QStringLiteral("online"), enable ? QStringLiteral("1") : QStringLiteral("0"), error,
                 QString()},
                onFailure);
}

// The attributes of an entry in the order the kernel takes them: the governor first (an energy
// preference other than performance is refused under the performance governor), then the
// preference, then the limits so that they never cross (when the new minimum lies above the
// current maximum, the maximum goes first), then the rest by name.
QStringList writeOrder(const CPUCore &core, const QJsonObject &values)
{
    QStringList first{governorName, preferenceName};
    const int newMin = values.value(minName).toString().toInt();
    const int currentMax = core.policies.value(maxName).value.toInt();
    if (newMin > currentMax)
        first << maxName << minName;
    else
        first << minName << maxName;

    QStringList order;
    for (const QString &name : qAsConst(first)) {
        if (values.contains(name))
            order << name;
    }
    const QStringList keys = values.keys();
    for (const QString &name : keys) {
        if (!first.contains(name))
            order << name;
    }
    return order;
}

void writeValues(CPUCore &core, const QJsonObject &values, ApplyReport &report, const WriteFailureHandler &onFailure)
{
    const int id = core.core_id();
    const QStringList order = writeOrder(core, values);
    for (const QString &name : order) {
        const QJsonValue value = values.value(name);
        if (!value.isString()) {
            report.fail({id, name, jsonText(value), 0, QStringLiteral("the saved value is not text")}, onFailure);
            continue;
        }
        const QString text = value.toString();
        const auto current = core.policies.constFind(name);
        if (current == core.policies.constEnd() || current->isEmpty()) {
            report.fail({id, name, text, 0, QStringLiteral("this CPU has no such attribute")}, onFailure);
            continue;
        }
        if (!current->writable) {
            report.fail({id, name, text, 0, QStringLiteral("the attribute is read-only")}, onFailure);
            continue;
        }
        if (current->readError == 0 && current->value == text)
            continue;
        if (const int error = core.storePolicy(name, text)) {
            report.fail(Refusal::failure(core, name, text, error), onFailure);
        } else
            ++report.written;
    }
}

} // namespace

std::optional<QJsonArray> SettingsFile::read(const QString &path, QString *errorString)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        setError(errorString, QFileInfo::exists(path) ? QStringLiteral("Not a regular file.")
                                                      : QStringLiteral("The file does not exist."));
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setError(errorString, QStringLiteral("Cannot open the file: %1").arg(file.errorString()));
        return std::nullopt;
    }
    const QByteArray text = file.read(maxSettingsFileSize + 1);
    if (text.size() > maxSettingsFileSize) {
        setError(errorString, QStringLiteral("The file is larger than %1 MiB; it is not a settings file.")
                                  .arg(maxSettingsFileSize / mebibyte));
        return std::nullopt;
    }
    file.close();

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        setError(errorString, QStringLiteral("The file is not JSON: %1 at offset %2.")
                                  .arg(parseError.errorString())
                                  .arg(parseError.offset));
        return std::nullopt;
    }
    if (!document.isArray()) {
        setError(errorString, QStringLiteral("The file is not a settings file: its top level is not an array."));
        return std::nullopt;
    }
    return document.array();
}

bool SettingsFile::load(std::vector<CPUCore> &cores, const QString &path, ApplyReport &report, QString *errorString,
                        const WriteFailureHandler &onFailure)
{
    const std::optional<QJsonArray> entries = read(path, errorString);
    if (!entries)
        return false;
    apply(cores, *entries, report, onFailure);
    return true;
}

void SettingsFile::apply(std::vector<CPUCore> &cores, const QJsonArray &entries, ApplyReport &report,
                         const WriteFailureHandler &onFailure)
{
    apply(cores, entries, Topology(), report, onFailure);
}

void SettingsFile::apply(std::vector<CPUCore> &cores, const QJsonArray &entries, const Topology &topology,
                         ApplyReport &report, const WriteFailureHandler &onFailure)
{
    // What earlier entries applied to each shared policy: the value and the CPU whose entry it was.
    struct Applied {
        QJsonValue value;
        int cpu;
    };
    QMap<int, QMap<QString, Applied>> policies;
    QMap<int, QVector<int>> members;
    const auto coreOf = [&cores](int number) {
        const auto it = std::lower_bound(cores.begin(), cores.end(), number,
                                         [](const CPUCore &c, int n) { return c.core_id() < n; });
        return it != cores.end() && it->core_id() == number ? &*it : nullptr;
    };
    for (int index = 0; index < entries.size(); ++index) {
        const QJsonValue entry = entries.at(index);
        const QJsonObject settings = entry.toObject();
        const std::optional<int> id = entryId(settings.value(QStringLiteral("id")));
        // The processor-wide settings: an element without an "id", which loaders that do not know
        // it skip; CPUInfo::load applies it before the cores.
        if (!id && settings.contains(processorKey()) && !settings.contains(QStringLiteral("id")))
            continue;
        if (!id) {
            const QString what =
                entry.isObject()
                    ? QStringLiteral("its \"id\" is %1").arg(jsonText(settings.value(QStringLiteral("id"))))
                    : QStringLiteral("it is %1").arg(jsonText(entry));
            report.fail({-1, QString(), QString(), 0,
                         QStringLiteral("entry %1 of the file names no CPU (%2); skipped").arg(index + 1).arg(what)},
                        onFailure);
            continue;
        }
        const auto core = std::lower_bound(cores.begin(), cores.end(), *id,
                                           [](const CPUCore &c, int number) { return c.core_id() < number; });
        if (core == cores.end() || core->core_id() != *id) {
            report.fail({*id, QString(), QString(), 0, QStringLiteral("no such CPU here; its settings were skipped")},
                        onFailure);
            continue;
        }
        const CpuPlace *place = topology.place(*id);
        if (!place || !place->sharesPolicy()) {
            applyToCore(*core, settings, report, onFailure);
            continue;
        }

        const bool known = policies.contains(place->policy);
        members.insert(place->policy, place->policyCpus);
        QMap<QString, Applied> &applied = policies[place->policy];
        const QJsonObject values = settings.value(QStringLiteral("policies")).toObject();
        QJsonObject kept;
        for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
            const auto earlier = applied.constFind(it.key());
            if (earlier != applied.constEnd()) {
                if (earlier->value == it.value())
                    continue;
                report.notes << QStringLiteral("%1: the entries of cpu%2 and cpu%3 disagree on %4 (%5, then %6); they "
                                               "were applied in file order, so cpu%3's value holds for all of them")
                                    .arg(topology.sharedPolicyText(*id))
                                    .arg(earlier->cpu)
                                    .arg(*id)
                                    .arg(it.key(), jsonText(earlier->value), jsonText(it.value()));
            }
            kept.insert(it.key(), it.value());
            applied.insert(it.key(), Applied{it.value(), *id});
        }
        // Another CPU's entry may have changed the policy since this core read it.
        if (known)
            core->updateSettings();
        QJsonObject own = settings;
        own.insert(QStringLiteral("policies"), kept);

        ApplyReport part;
        const bool staysOffline = !settings.value(QStringLiteral("isEnabled")).toBool(true) && !core->isEnabled();
        if (staysOffline && !kept.isEmpty()) {
            // The policy is still in force through its online CPUs: its settings go through them.
            CPUCore *writer = nullptr;
            for (const int cpu : place->policyCpus) {
                CPUCore *candidate = coreOf(cpu);
                if (!writer && candidate && candidate->isEnabled())
                    writer = candidate;
            }
            if (writer) {
                writeValues(*writer, kept, part, {});
                own.insert(QStringLiteral("policies"), QJsonObject());
            }
        }
        applyToCore(*core, own, part, {});
        for (const WriteFailure &failure : qAsConst(part.failures))
            report.fail(topology.onPolicy(failure), onFailure);
        report.notes += part.notes;
        report.written += part.written;
    }
    // The other CPUs of each policy read what their policy holds now.
    for (const QVector<int> &cpus : qAsConst(members)) {
        for (const int cpu : cpus) {
            if (CPUCore *member = coreOf(cpu))
                member->updateSettings();
        }
    }
}

void SettingsFile::applyToCore(CPUCore &core, const QJsonObject &settings, ApplyReport &report,
                               const WriteFailureHandler &onFailure)
{
    // Only an object whose "id" is this core's number, as a JSON number, is meant for this core.
    const QJsonValue objectId = settings.value(QStringLiteral("id"));
    if (!objectId.isDouble() || objectId.toDouble() != double(core.core_id()))
        return;

    const bool online = settings.value(QStringLiteral("isEnabled")).toBool(true);
    const QJsonObject values = settings.value(QStringLiteral("policies")).toObject();
    if (online) {
        const bool wasOffline = !core.isEnabled();
        writeOnline(core, true, report, onFailure);
        // The attributes of a core that was offline could not be read; they can now.
        if (wasOffline && core.isEnabled())
            core.update();
        writeValues(core, values, report, onFailure);
        return;
    }
    // The kernel refuses every attribute of an offline core but keeps them across offline and
    // online: they are written while the core is still online.
    if (core.isEnabled()) {
        writeValues(core, values, report, onFailure);
    } else if (!values.isEmpty()) {
        report.notes << QStringLiteral("cpu%1 stays offline: its %2 saved settings were not applied, as the kernel "
                                       "takes none while a CPU is offline")
                            .arg(core.core_id())
                            .arg(values.size());
    }
    writeOnline(core, false, report, onFailure);
}
