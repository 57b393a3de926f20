// SPDX-License-Identifier: GPL-3.0-or-later
#include "profilecommands.h"

#include "powertoolprobe.h"

#include <QThread>

#include <optional>
#include <utility>

#include "cpuinfo.h"
#include "powerrules.h"
#include "profiles.h"
#include "rulerunner.h"
#include "safetext.h"

namespace
{
const char *const programName = "freqdeck-cli";

enum Status { Success = 0, WritesFailed = 1, UsageError = 2 };

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + SafeText::printable(text) + QLatin1Char('\'');
}
} // namespace

ProfileCommands::ProfileCommands(std::function<CPUInfo &()> inventory, Places places, QTextStream &out,
                                 QTextStream &err)
    : inventory(std::move(inventory))
    , places(std::move(places))
    , out(out)
    , err(err)
{
}

bool ProfileCommands::handles(const QString &command)
{
    static const QStringList commands{
        QStringLiteral("profiles"),       QStringLiteral("save-profile"),   QStringLiteral("apply"),
        QStringLiteral("rename-profile"), QStringLiteral("delete-profile"), QStringLiteral("export-profile"),
        QStringLiteral("power-rules"),
    };
    return commands.contains(command);
}

UserProfiles ProfileCommands::profiles() const
{
    return UserProfiles(places.configDirectory + QStringLiteral("/profiles"));
}

QString ProfileCommands::rulesPath() const
{
    return places.configDirectory + QStringLiteral("/power-rules.json");
}

QString ProfileCommands::stateDirectory() const
{
    return places.stateDirectory.isEmpty() ? RuleRunner::defaultStateDirectory() : places.stateDirectory;
}

int ProfileCommands::run(const QString &command, const QStringList &words,
                         const std::function<int(const QString &)> &usageError)
{
    const auto needs = [&](int count, const char *what) {
        return words.size() == count ? Success : usageError(QStringLiteral("%1 takes %2").arg(command, what));
    };
    if (command == QLatin1String("profiles"))
        return needs(0, "no arguments") == Success ? list() : UsageError;
    if (command == QLatin1String("save-profile"))
        return needs(1, "one profile name") == Success ? saveProfile(words.at(0)) : UsageError;
    if (command == QLatin1String("apply"))
        return needs(1, "one profile name") == Success ? apply(words.at(0)) : UsageError;
    if (command == QLatin1String("rename-profile"))
        return needs(2, "the profile's name and its new name") == Success ? rename(words.at(0), words.at(1))
                                                                          : UsageError;
    if (command == QLatin1String("delete-profile"))
        return needs(1, "one profile name") == Success ? remove(words.at(0)) : UsageError;
    if (command == QLatin1String("export-profile"))
        return needs(2, "a profile name and a file") == Success ? exportProfile(words.at(0), words.at(1)) : UsageError;
    return powerRules(words, usageError);
}

int ProfileCommands::problem(const QString &text, int status)
{
    err << programName << ": " << SafeText::printable(text) << '\n';
    err.flush();
    return status;
}

int ProfileCommands::report(const ApplyReport &report)
{
    for (const WriteFailure &failure : report.failures)
        err << programName << ": " << describeFailure(failure) << '\n';
    for (const QString &note : report.notes)
        err << programName << ": note: " << SafeText::printable(note) << '\n';
    err.flush();
    return report.ok() ? Success : WritesFailed;
}

int ProfileCommands::list()
{
    for (const QString &name : profiles().names())
        out << SafeText::printable(name) << '\n';
    return Success;
}

int ProfileCommands::saveProfile(const QString &name)
{
    QString reason;
    QStringList unreadable;
    if (!profiles().save(inventory(), name, &reason, &unreadable))
        return problem(QStringLiteral("cannot save profile %1: %2").arg(quoted(name), reason), WritesFailed);
    for (const QString &line : qAsConst(unreadable))
        err << programName << ": " << line << '\n';
    out << "Saved profile " << quoted(name) << '\n';
    return unreadable.isEmpty() ? Success : WritesFailed;
}

int ProfileCommands::apply(const QString &name)
{
    CPUInfo &cpus = inventory();
    const UserProfiles own = profiles();
    ApplyReport applied;
    QString reason;
    if (!own.applyAny(cpus, name, applied, &reason))
        return problem(reason, UsageError);
    out << "Applied profile " << quoted(name) << '\n';
    // Chosen by hand: the power rules leave it until the power source changes.
    const RuleRunner runner(cpus, own, rulesPath(), stateDirectory());
    if (!runner.recordManualChoice(name, &reason))
        err << programName << ": note: the power rules may replace it sooner: " << SafeText::printable(reason) << '\n';
    return report(applied);
}

int ProfileCommands::rename(const QString &from, const QString &to)
{
    QString reason;
    if (!profiles().rename(from, to, &reason))
        return problem(reason, WritesFailed);
    return Success;
}

int ProfileCommands::remove(const QString &name)
{
    QString reason;
    if (!profiles().remove(name, &reason))
        return problem(reason, WritesFailed);
    return Success;
}

int ProfileCommands::exportProfile(const QString &name, const QString &file)
{
    QString reason;
    if (!profiles().exportTo(name, file, &reason))
        return problem(QStringLiteral("cannot export %1: %2").arg(quoted(name), reason), WritesFailed);
    return Success;
}

int ProfileCommands::powerRules(const QStringList &words, const std::function<int(const QString &)> &usageError)
{
    const QString what = words.value(0);
    if (what == QLatin1String("show") && words.size() == 1)
        return showRules();
    if (what == QLatin1String("apply") && words.size() == 1)
        return applyRule();
    if (what == QLatin1String("watch") && words.size() == 1)
        return watch();
    if (what == QLatin1String("set"))
        return setRule(words.mid(1), usageError);
    return usageError(QStringLiteral("power-rules takes show, apply, watch or set"));
}

int ProfileCommands::showRules()
{
    RuleRunner runner(inventory(), profiles(), rulesPath(), stateDirectory());
    QString reason;
    const std::optional<PowerRules> rules = runner.rules(&reason);
    if (!rules)
        return problem(QStringLiteral("cannot use the rules %1: %2").arg(quoted(rulesPath()), reason), UsageError);
    const auto shown = [](const QString &profile) {
        return profile.isEmpty() ? QStringLiteral("-") : SafeText::printable(profile);
    };
    out << "On AC:       " << shown(rules->onAc) << '\n';
    out << "On battery:  " << shown(rules->onBattery) << '\n';
    if (rules->below > 0)
        out << "Below " << rules->below << " %: " << shown(rules->belowProfile) << '\n';
    const PowerState state = runner.state();
    out << "Now:         " << rules->why(state) << ", rule " << PowerRules::key(rules->sourceOf(state)) << ": "
        << shown(rules->profileFor(rules->sourceOf(state))) << '\n';
    if (const auto manual = runner.manualChoice())
        out << "Manual choice " << quoted(manual->profile) << " holds until the power source changes\n";
    return Success;
}

int ProfileCommands::setRule(const QStringList &words, const std::function<int(const QString &)> &usageError)
{
    QString reason;
    PowerRules rules = PowerRules::read(rulesPath(), &reason).value_or(PowerRules());
    const UserProfiles own = profiles();
    const QString which = words.value(0);
    QString profile;
    if ((which == QLatin1String("ac") || which == QLatin1String("battery")) && words.size() == 2) {
        profile = words.at(1);
        (which == QLatin1String("ac") ? rules.onAc : rules.onBattery) = profile;
    } else if (which == QLatin1String("low") && words.size() == 3) {
        bool ok = false;
        const int below = words.at(1).toInt(&ok);
        if (!ok || below < 0 || below > 100)
            return usageError(QStringLiteral("the low mark is a percentage from 0 (no rule) to 100"));
        profile = words.at(2);
        rules.below = below;
        rules.belowProfile = profile;
    } else {
        return usageError(QStringLiteral("power-rules set takes ac PROFILE, battery PROFILE or low PERCENT PROFILE"));
    }
    // An empty name clears the rule.
    if (!profile.isEmpty() && !own.exists(profile))
        return problem(QStringLiteral("there is no profile %1").arg(quoted(profile)), UsageError);
    if (!rules.save(rulesPath(), &reason))
        return problem(QStringLiteral("cannot save the rules: %1").arg(reason), WritesFailed);
    return Success;
}

int ProfileCommands::applyRule()
{
    RuleRunner runner(inventory(), profiles(), rulesPath(), stateDirectory());
    runner.setOwnerCheck(&PowerToolProbe::profileOwners);
    const RuleRunner::Outcome outcome = runner.applyRule();
    out << outcome.line << '\n';
    out.flush();
    if (outcome.refused)
        return UsageError;
    return report(outcome.report);
}

int ProfileCommands::watch()
{
    RuleRunner runner(inventory(), profiles(), rulesPath(), stateDirectory());
    runner.setOwnerCheck(&PowerToolProbe::profileOwners);
    // The power_supply files are polled once a second: a change is applied within about a second,
    // without udev, D-Bus or UPower.
    std::optional<PowerRules::Source> last;
    bool started = false;
    for (;;) {
        const std::optional<PowerRules> rules = runner.rules(nullptr);
        const std::optional<PowerRules::Source> source =
            rules ? std::optional<PowerRules::Source>(rules->sourceOf(runner.state())) : std::nullopt;
        if (!started || source != last) {
            started = true;
            const RuleRunner::Outcome outcome = runner.applyRule();
            out << outcome.line << '\n';
            out.flush();
            report(outcome.report);
            last = source;
        }
        QThread::sleep(1);
    }
}
