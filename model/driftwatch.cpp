// SPDX-License-Identifier: GPL-3.0-or-later
#include "driftwatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

#include "safesave.h"
#include "safetext.h"
#include "writeobserver.h"

namespace
{

const QString fileName = QStringLiteral("set-values.json");
const QString systemDir = QStringLiteral("/var/lib/freqdeck");
constexpr qint64 maxStateFileSize = qint64(4) * 1024 * 1024;

// What the core holds for attribute, or nothing where it cannot be told.
std::optional<QString> valueOf(const CPUCore &core, const QString &attribute)
{
    if (attribute == QLatin1String("online")) {
        if (core.onlineReadError() != 0)
            return std::nullopt;
        return core.isEnabled() ? QStringLiteral("1") : QStringLiteral("0");
    }
    if (!core.isEnabled())
        return std::nullopt;
    const auto policy = core.policies.constFind(attribute);
    if (policy == core.policies.constEnd() || policy->readError != 0 || policy->isEmpty())
        return std::nullopt;
    return policy->value;
}

} // namespace

QDateTime DriftWatch::now()
{
    return QDateTime::currentDateTime();
}

QString DriftWatch::ownPath()
{
    const QString override = qEnvironmentVariable("FREQDECK_STATE_DIR");
    if (!override.isEmpty())
        return override + QLatin1Char('/') + fileName;
    if (::geteuid() == 0)
        return systemDir + QLatin1Char('/') + fileName;
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/freqdeck/") + fileName;
}

QStringList DriftWatch::defaultPaths()
{
    QStringList list{ownPath()};
    const QString system = systemDir + QLatin1Char('/') + fileName;
    if (qEnvironmentVariable("FREQDECK_STATE_DIR").isEmpty() && !list.contains(system))
        list << system;
    return list;
}

DriftWatch::DriftWatch(const QStringList &paths, const QString &machine)
    : paths(paths)
    , machine(QDir(machine).absolutePath())
{
    for (const QString &path : paths)
        read(path);
}

namespace
{
DriftWatch *sharedWatch = nullptr;
} // namespace

DriftWatch *DriftWatch::current()
{
    return sharedWatch;
}

DriftWatch &DriftWatch::shared(const QString &machine)
{
    DriftWatch *&watch = sharedWatch;
    if (!watch || watch->machine != QDir(machine).absolutePath()) {
        delete watch;
        watch = new DriftWatch(defaultPaths(), machine);
        watch->observeWrites();
    }
    return *watch;
}

void DriftWatch::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject all = QJsonDocument::fromJson(file.read(maxStateFileSize)).object();
    if (all.value(QStringLiteral("machine")).toString() != machine)
        return;
    const QJsonArray values = all.value(QStringLiteral("values")).toArray();
    for (const QJsonValue &value : values) {
        const QJsonObject object = value.toObject();
        const Key key{object.value(QStringLiteral("cpu")).toInt(-1),
                      object.value(QStringLiteral("attribute")).toString()};
        const QDateTime at = QDateTime::fromString(object.value(QStringLiteral("set_at")).toString(), Qt::ISODate);
        if (key.first < 0 || key.second.isEmpty() || !at.isValid())
            continue;
        // Where both files know the attribute, the later setting is the one in force.
        const auto known = records.constFind(key);
        if (known != records.constEnd() && known->setAt >= at)
            continue;
        records.insert(key, {object.value(QStringLiteral("value")).toString(), at,
                             object.value(QStringLiteral("pending")).toBool()});
    }
}

void DriftWatch::wrote(int core, const QString &attribute, const QString &value, const QDateTime &when)
{
    for (auto record = records.begin(); record != records.end(); ++record) {
        if (record.key().first == core && record.key().second != QLatin1String("online"))
            record->pending = true;
    }
    records.insert({core, attribute}, {value, when, true});
    found.remove({core, attribute});
    changed = true;
}

void DriftWatch::kept(int core, const QString &attribute, const QString &value, const QDateTime &when)
{
    records.insert({core, attribute}, {value, when, false});
    found.remove({core, attribute});
    changed = true;
}

void DriftWatch::observeWrites()
{
    WriteObserver::set([this](const QString &where, int core, const QString &attribute, const QString &value) {
        if (where == machine)
            wrote(core, attribute, value);
    });
}

void DriftWatch::lookAt(const CPUCore &core, const QDateTime &at)
{
    for (auto record = records.begin(); record != records.end(); ++record) {
        if (record.key().first != core.core_id())
            continue;
        const std::optional<QString> now = valueOf(core, record.key().second);
        if (!now)
            continue;
        if (record->pending) {
            record->value = *now;
            record->pending = false;
            changed = true;
            continue;
        }
        if (*now == record->value) {
            found.remove(record.key());
            continue;
        }
        Drift &drift = found[record.key()];
        // The time it was first seen changed stays while it stays changed.
        if (drift.found.isEmpty() || drift.set != record->value)
            drift = {core.core_id(), record.key().second, record->value, *now, record->setAt, at};
        drift.found = *now;
    }
}

QVector<DriftWatch::Drift> DriftWatch::look(const std::vector<CPUCore> &cores, const QDateTime &at)
{
    for (const CPUCore &core : cores)
        lookAt(core, at);
    return drifts();
}

QVector<DriftWatch::Drift> DriftWatch::look(const CPUCore &core, const QDateTime &at)
{
    lookAt(core, at);
    return drifts();
}

QVector<DriftWatch::Drift> DriftWatch::drifts() const
{
    QVector<Drift> list;
    for (const Drift &drift : found)
        list << drift;
    return list;
}

std::optional<DriftWatch::Drift> DriftWatch::driftOf(int core, const QString &attribute) const
{
    const auto drift = found.constFind({core, attribute});
    if (drift == found.constEnd())
        return std::nullopt;
    return *drift;
}

int DriftWatch::recordCount() const
{
    return records.size();
}

bool DriftWatch::save(QString *errorString)
{
    if (!changed || paths.isEmpty())
        return true;
    QJsonArray values;
    for (auto record = records.constBegin(); record != records.constEnd(); ++record) {
        QJsonObject object{{QStringLiteral("cpu"), record.key().first},
                           {QStringLiteral("attribute"), record.key().second},
                           {QStringLiteral("value"), record->value},
                           {QStringLiteral("set_at"), record->setAt.toString(Qt::ISODate)}};
        if (record->pending)
            object.insert(QStringLiteral("pending"), true);
        values.append(object);
    }
    const QString path = paths.first();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray text =
        QJsonDocument(QJsonObject{{QStringLiteral("machine"), machine}, {QStringLiteral("values"), values}}).toJson();
    if (!SafeSave::writeFile(path, text, errorString))
        return false;
    changed = false;
    return true;
}

QString DriftWatch::describe(const Drift &drift)
{
    return QStringLiteral("cpu%1 %2: changed outside freqdeck at %3; freqdeck set %4 (%5), it reads %6")
        .arg(drift.core)
        .arg(SafeText::printable(drift.attribute), drift.noticedAt.toString(QStringLiteral("HH:mm:ss")),
             SafeText::printable(drift.set), drift.setAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
             SafeText::printable(drift.found));
}
