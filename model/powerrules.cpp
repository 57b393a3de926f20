// SPDX-License-Identifier: GPL-3.0-or-later
#include "powerrules.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "safesave.h"

namespace
{
bool fail(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
    return false;
}
} // namespace

QString PowerRules::defaultPath()
{
    return QStringLiteral("/etc/freqdeck/power-rules.json");
}

std::optional<PowerRules> PowerRules::read(const QString &path, QString *errorString)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(errorString, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (!document.isObject()) {
        fail(errorString, parseError.error != QJsonParseError::NoError
                              ? parseError.errorString()
                              : QStringLiteral("not a rules file: the top level is not an object"));
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const QJsonObject low = object.value(QLatin1String("low")).toObject();
    PowerRules rules;
    rules.onAc = object.value(QLatin1String("ac")).toString();
    rules.onBattery = object.value(QLatin1String("battery")).toString();
    rules.belowProfile = low.value(QLatin1String("profile")).toString();
    rules.below = qBound(0, low.value(QLatin1String("below")).toInt(), 100);
    return rules;
}

bool PowerRules::save(const QString &path, QString *errorString) const
{
    QJsonObject object;
    if (!onAc.isEmpty())
        object.insert(QStringLiteral("ac"), onAc);
    if (!onBattery.isEmpty())
        object.insert(QStringLiteral("battery"), onBattery);
    if (below > 0 && !belowProfile.isEmpty())
        object.insert(QStringLiteral("low"),
                      QJsonObject{{QStringLiteral("below"), below}, {QStringLiteral("profile"), belowProfile}});
    return SafeSave::writeFile(path, QJsonDocument(object).toJson(QJsonDocument::Indented), errorString);
}

PowerRules::Source PowerRules::sourceOf(const PowerState &state) const
{
    if (!state.onBattery)
        return Source::Ac;
    if (below > 0 && !belowProfile.isEmpty() && state.capacity >= 0 && state.capacity < below)
        return Source::LowBattery;
    return Source::Battery;
}

QString PowerRules::profileFor(Source source) const
{
    switch (source) {
    case Source::Ac:
        return onAc;
    case Source::Battery:
        return onBattery;
    case Source::LowBattery:
        return belowProfile;
    }
    return QString();
}

QString PowerRules::why(const PowerState &state) const
{
    if (sourceOf(state) != Source::LowBattery)
        return state.describe();
    return QStringLiteral("on battery below %1 % (%2 %)").arg(below).arg(state.capacity);
}

QString PowerRules::key(Source source)
{
    switch (source) {
    case Source::Ac:
        return QStringLiteral("ac");
    case Source::Battery:
        return QStringLiteral("battery");
    case Source::LowBattery:
        return QStringLiteral("low");
    }
    return QString();
}

std::optional<PowerRules::Source> PowerRules::sourceFromKey(const QString &key)
{
    for (Source source : {Source::Ac, Source::Battery, Source::LowBattery}) {
        if (PowerRules::key(source) == key)
            return source;
    }
    return std::nullopt;
}
