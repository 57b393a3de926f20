// SPDX-License-Identifier: GPL-3.0-or-later
#include "powertools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "driftwatch.h"
#include "safesave.h"

namespace
{

const QString governor = QStringLiteral("scaling_governor");
const QString preference = QStringLiteral("energy_performance_preference");
const QString bias = QStringLiteral("energy_perf_bias");
const QString minimum = QStringLiteral("scaling_min_freq");
const QString maximum = QStringLiteral("scaling_max_freq");
const QString boost = QStringLiteral("boost");

} // namespace

const QVector<PowerTools::Tool> &PowerTools::known()
{
    // What each manages, from the tools' own documentation.
    static const QVector<Tool> tools{
        {QStringLiteral("power-profiles-daemon"),
         {QStringLiteral("power-profiles-daemon.service")},
         {QStringLiteral("net.hadess.PowerProfiles"), QStringLiteral("org.freedesktop.UPower.PowerProfiles")},
         {preference, bias, boost}},
        {QStringLiteral("tuned"),
         {QStringLiteral("tuned.service")},
         {QStringLiteral("com.redhat.tuned")},
         {governor, preference, bias, minimum, maximum, boost}},
        {QStringLiteral("tuned-ppd"), {QStringLiteral("tuned-ppd.service")}, {}, {governor, preference, bias, boost}},
        {QStringLiteral("TLP"),
         {QStringLiteral("tlp.service")},
         {},
         {governor, preference, bias, minimum, maximum, boost, QStringLiteral("mode")}},
        {QStringLiteral("auto-cpufreq"),
         {QStringLiteral("auto-cpufreq.service")},
         {},
         {governor, preference, minimum, maximum, boost}},
        {QStringLiteral("system76-power"),
         {QStringLiteral("system76-power.service")},
         {QStringLiteral("com.system76.PowerDaemon")},
         {governor, preference, boost}},
        {QStringLiteral("thermald"),
         {QStringLiteral("thermald.service")},
         {QStringLiteral("org.freedesktop.thermald")},
         {maximum}},
        {QStringLiteral("cpupower"), {QStringLiteral("cpupower.service")}, {}, {governor, minimum, maximum}},
    };
    return tools;
}

QVector<PowerTools::Found> PowerTools::judge(const Observed &observed)
{
    QVector<Found> found;
    for (const Tool &tool : known()) {
        QStringList evidence;
        for (const QString &unit : tool.units) {
            const QString state = observed.unitStates.value(unit);
            if (state == QLatin1String("active") || state == QLatin1String("activating")
                || state == QLatin1String("reloading"))
                evidence << QStringLiteral("%1 %2").arg(unit, state);
        }
        for (const QString &name : tool.busNames) {
            if (observed.ownedNames.contains(name))
                evidence << QStringLiteral("bus name %1").arg(name);
        }
        if (!evidence.isEmpty())
            found.append({tool.name, evidence, tool.manages});
    }
    // tuned-ppd answers on power-profiles-daemon's names: those names alone, with tuned-ppd's unit
    // active, are tuned-ppd's.
    const auto ppd = std::find_if(found.begin(), found.end(),
                                  [](const Found &f) { return f.name == QLatin1String("power-profiles-daemon"); });
    const bool tunedPpd =
        std::any_of(found.begin(), found.end(), [](const Found &f) { return f.name == QLatin1String("tuned-ppd"); });
    if (ppd != found.end() && tunedPpd
        && !observed.unitStates.contains(QStringLiteral("power-profiles-daemon.service")))
        found.erase(ppd);
    return found;
}

QStringList PowerTools::allUnits()
{
    QStringList units;
    for (const Tool &tool : known())
        units << tool.units;
    return units;
}

QStringList PowerTools::allBusNames()
{
    QStringList names;
    for (const Tool &tool : known())
        names << tool.busNames;
    return names;
}

QString PowerTools::choiceName(Choice choice)
{
    switch (choice) {
    case Choice::Undecided:
        return QStringLiteral("undecided");
    case Choice::Share:
        return QStringLiteral("share");
    case Choice::Leave:
        return QStringLiteral("leave");
    }
    return QString();
}

QString PowerTools::choicePath()
{
    return QFileInfo(DriftWatch::ownPath()).absolutePath() + QStringLiteral("/other-tools.json");
}

PowerTools::Choice PowerTools::storedChoice(const QString &path)
{
    QFile file(path.isEmpty() ? choicePath() : path);
    if (!file.open(QIODevice::ReadOnly))
        return Choice::Undecided;
    const QString name = QJsonDocument::fromJson(file.read(4096)).object().value(QStringLiteral("choice")).toString();
    for (Choice choice : {Choice::Share, Choice::Leave}) {
        if (name == choiceName(choice))
            return choice;
    }
    return Choice::Undecided;
}

bool PowerTools::storeChoice(Choice choice, QString *errorString, const QString &path)
{
    const QString target = path.isEmpty() ? choicePath() : path;
    QDir().mkpath(QFileInfo(target).absolutePath());
    return SafeSave::writeFile(
        target, QJsonDocument(QJsonObject{{QStringLiteral("choice"), choiceName(choice)}}).toJson(), errorString);
}
