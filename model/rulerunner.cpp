// SPDX-License-Identifier: GPL-3.0-or-later
#include "rulerunner.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

#include "cpuinfo.h"
#include "safesave.h"
#include "safetext.h"
#include "trustedfile.h"

namespace
{
QString quoted(const QString &text)
{
    return QLatin1Char('\'') + SafeText::printable(text) + QLatin1Char('\'');
}

QString logLine(const QString &text)
{
    return QStringLiteral("freqdeck: ") + text;
}
} // namespace

QString RuleRunner::defaultStateDirectory()
{
    return QStringLiteral("/run/freqdeck");
}

RuleRunner::RuleRunner(CPUInfo &cpus, UserProfiles profiles, QString rulesPath, QString stateDirectory)
    : cpus(cpus)
    , profiles(std::move(profiles))
    , rulesPath(std::move(rulesPath))
    , stateDirectory(std::move(stateDirectory))
    , ownerCheck(&RuleRunner::otherPowerTool)
{
}

QString RuleRunner::otherPowerTool()
{
    return QString();
}

void RuleRunner::setOwnerCheck(OwnerCheck check)
{
    ownerCheck = std::move(check);
}

PowerState RuleRunner::state() const
{
    return PowerState::read(QDir::cleanPath(cpus.cpuDir.absoluteFilePath(QStringLiteral("../../.."))));
}

std::optional<PowerRules> RuleRunner::rules(QString *errorString) const
{
    QString distrust;
    if (!TrustedFile::check(rulesPath, &distrust)) {
        if (errorString)
            *errorString = distrust;
        return std::nullopt;
    }
    return PowerRules::read(rulesPath, errorString);
}

QString RuleRunner::manualChoicePath() const
{
    return stateDirectory + QStringLiteral("/manual-choice.json");
}

std::optional<RuleRunner::ManualChoice> RuleRunner::manualChoice() const
{
    // Whoever could write the record could keep the rules from ever applying.
    QString distrust;
    if (!QFile::exists(manualChoicePath()) || !TrustedFile::check(manualChoicePath(), &distrust))
        return std::nullopt;
    QFile file(manualChoicePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(file.read(4096)).object();
    const std::optional<PowerRules::Source> source =
        PowerRules::sourceFromKey(object.value(QLatin1String("rule")).toString());
    const QString profile = object.value(QLatin1String("profile")).toString();
    const std::optional<PowerRules> current = rules(nullptr);
    if (!source || profile.isEmpty() || !current || current->sourceOf(state()) != *source)
        return std::nullopt;
    return ManualChoice{profile, *source};
}

bool RuleRunner::recordManualChoice(const QString &profile, QString *errorString) const
{
    const std::optional<PowerRules> current = rules(nullptr);
    if (!current)
        return true;
    if (!QDir().mkpath(stateDirectory)) {
        if (errorString)
            *errorString = QStringLiteral("cannot make the directory %1").arg(quoted(stateDirectory));
        return false;
    }
    const QJsonObject object{{QStringLiteral("profile"), profile},
                             {QStringLiteral("rule"), PowerRules::key(current->sourceOf(state()))}};
    return SafeSave::writeFile(manualChoicePath(), QJsonDocument(object).toJson(QJsonDocument::Compact), errorString);
}

void RuleRunner::clearManualChoice() const
{
    QFile::remove(manualChoicePath());
}

RuleRunner::Outcome RuleRunner::applyRule()
{
    Outcome outcome;
    QString reason;
    const std::optional<PowerRules> current = rules(&reason);
    if (!current) {
        outcome.refused = true;
        outcome.line = logLine(QStringLiteral("cannot use the rules %1: %2").arg(quoted(rulesPath), reason));
        return outcome;
    }
    const PowerState now = state();
    const QString why = current->why(now);
    if (const std::optional<ManualChoice> manual = manualChoice()) {
        outcome.line = logLine(QStringLiteral("%1: manual choice %2 holds until the power source changes")
                                   .arg(why, quoted(manual->profile)));
        return outcome;
    }
    // A manual choice made under another rule ends here.
    clearManualChoice();
    if (ownerCheck) {
        const QString owner = ownerCheck();
        if (!owner.isEmpty()) {
            outcome.line = logLine(
                QStringLiteral("%1: left alone: %2 manages these settings").arg(why, SafeText::printable(owner)));
            return outcome;
        }
    }
    const QString profile = current->profileFor(current->sourceOf(now));
    if (profile.isEmpty()) {
        outcome.line = logLine(QStringLiteral("%1: no profile is set for this power source").arg(why));
        return outcome;
    }
    // Others may have changed the settings since this process last read them, and values that
    // look equal are not written.
    for (CPUCore &core : cpus.cores)
        core.update();
    if (!profiles.applyAny(cpus, profile, outcome.report, &reason)) {
        outcome.refused = true;
        outcome.line = logLine(QStringLiteral("%1: cannot apply profile %2: %3").arg(why, quoted(profile), reason));
        return outcome;
    }
    outcome.line = logLine(QStringLiteral("%1: applied profile %2").arg(why, quoted(profile)));
    if (!outcome.report.ok())
        outcome.line += QStringLiteral(", %1 settings did not take").arg(outcome.report.failures.size());
    return outcome;
}
