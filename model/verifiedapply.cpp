// SPDX-License-Identifier: GPL-3.0-or-later
#include "verifiedapply.h"

#include <QJsonArray>
#include <QThread>

#include <algorithm>
#include <cerrno>

#include "cpuinfo.h"
#include "safetext.h"
#include "settingsfile.h"
#include "sysfsio.h"

namespace
{

const QString onlineName = QStringLiteral("online");

CPUCore *findCore(std::vector<CPUCore> &cores, int id)
{
    const auto core = std::lower_bound(cores.begin(), cores.end(), id,
                                       [](const CPUCore &c, int number) { return c.core_id() < number; });
    return core == cores.end() || core->core_id() != id ? nullptr : &*core;
}

// The entry's core number, when it is one the loader would apply.
std::optional<int> coreOf(const QJsonObject &entry)
{
    const QJsonValue id = entry.value(QStringLiteral("id"));
    if (!id.isDouble() || id.toDouble() < 0 || id.toDouble() != double(id.toInt()))
        return std::nullopt;
    return id.toInt();
}

const WriteFailure *failureOf(const ApplyReport &report, int core, const QString &attribute)
{
    for (const WriteFailure &failure : report.failures) {
        if (failure.core == core && failure.attribute == attribute)
            return &failure;
    }
    return nullptr;
}

// What the core holds now for attribute: its text, or the errno of the failed read.
SysfsIO::ReadResult current(const CPUCore &core, const QString &attribute)
{
    if (attribute == onlineName) {
        if (core.onlineReadError() != 0)
            return {QString(), core.onlineReadError()};
        return {core.isEnabled() ? QStringLiteral("1") : QStringLiteral("0"), 0};
    }
    const CPUPolicy policy = core.policies.value(attribute);
    if (policy.readError != 0 || policy.isEmpty())
        return {QString(), policy.readError != 0 ? policy.readError : ENOENT};
    return {policy.value, 0};
}

// The checks of one entry, before anything is read back: a core that ends offline can show only
// its switch, as the kernel hides the rest of an offline CPU.
void plan(const QJsonObject &entry, int core, const ApplyReport &report, QVector<VerifiedApply::Check> &checks)
{
    const bool online = entry.value(QStringLiteral("isEnabled")).toBool(true);
    if (entry.contains(QStringLiteral("isEnabled")) || failureOf(report, core, onlineName))
        checks.append({core, onlineName, online ? QStringLiteral("1") : QStringLiteral("0"), {}, {}, {}});
    if (!online)
        return;
    const QJsonObject values = entry.value(QStringLiteral("policies")).toObject();
    for (auto value = values.begin(); value != values.end(); ++value) {
        // A value that is not text was never written; the report names it.
        if (value->isString() || failureOf(report, core, value.key()))
            checks.append({core, value.key(), value->toString(), {}, {}, {}});
    }
}

} // namespace

QString VerifiedApply::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Kept:
        return QStringLiteral("kept");
    case Outcome::Rounded:
        return QStringLiteral("rounded");
    case Outcome::Refused:
        return QStringLiteral("refused");
    case Outcome::ChangedAgain:
        return QStringLiteral("changed again");
    case Outcome::Unreadable:
        return QStringLiteral("unreadable");
    }
    return QString();
}

int VerifiedApply::Result::count(Outcome outcome) const
{
    return static_cast<int>(std::count_if(checks.begin(), checks.end(),
                                          [outcome](const Check &check) { return check.outcome == outcome; }));
}

QString VerifiedApply::Result::summary() const
{
    QStringList parts;
    for (Outcome outcome :
         {Outcome::Kept, Outcome::Rounded, Outcome::Refused, Outcome::ChangedAgain, Outcome::Unreadable})
        parts << QStringLiteral("%1 %2").arg(count(outcome)).arg(outcomeName(outcome));
    return parts.join(QStringLiteral(", "));
}

QString VerifiedApply::Result::describe(const Check &check) const
{
    QString where = QStringLiteral("cpu%1 %2: %3")
                        .arg(check.core)
                        .arg(SafeText::printable(check.attribute), outcomeName(check.outcome));
    const QString written = SafeText::printable(check.written);
    const QString found = SafeText::printable(check.found);
    switch (check.outcome) {
    case Outcome::Kept:
        return QStringLiteral("%1: %2").arg(where, written);
    case Outcome::Rounded:
        return QStringLiteral("%1: wrote %2, the kernel keeps %3").arg(where, written, found);
    case Outcome::Refused:
    case Outcome::Unreadable:
        return QStringLiteral("%1: %2 (%3)").arg(where, written, SafeText::printable(check.reason));
    case Outcome::ChangedAgain:
        return QStringLiteral("%1: wrote %2, read %3, then %4 (another program writes it)")
            .arg(where, written, SafeText::printable(check.reason), found);
    }
    return where;
}

QJsonObject VerifiedApply::Result::toJson() const
{
    QJsonArray list;
    for (const Check &check : checks) {
        QJsonObject object{{QStringLiteral("cpu"), check.core},
                           {QStringLiteral("attribute"), SafeText::printable(check.attribute)},
                           {QStringLiteral("written"), SafeText::printable(check.written)},
                           {QStringLiteral("outcome"), outcomeName(check.outcome)}};
        if (check.outcome != Outcome::Refused && check.outcome != Outcome::Unreadable)
            object.insert(QStringLiteral("found"), SafeText::printable(check.found));
        if (check.outcome == Outcome::ChangedAgain)
            object.insert(QStringLiteral("first_read"), SafeText::printable(check.reason));
        else if (!check.reason.isEmpty())
            object.insert(QStringLiteral("reason"), SafeText::printable(check.reason));
        list.append(object);
    }
    QJsonObject counts;
    for (Outcome outcome :
         {Outcome::Kept, Outcome::Rounded, Outcome::Refused, Outcome::ChangedAgain, Outcome::Unreadable})
        counts.insert(outcomeName(outcome), count(outcome));
    QJsonArray failures;
    for (const WriteFailure &failure : report.failures)
        failures.append(describeFailure(failure));
    QJsonArray notes;
    for (const QString &note : report.notes)
        notes.append(SafeText::printable(note));
    return {{QStringLiteral("checks"), list},
            {QStringLiteral("counts"), counts},
            {QStringLiteral("failures"), failures},
            {QStringLiteral("notes"), notes}};
}

std::optional<VerifiedApply::Result> VerifiedApply::load(CPUInfo &info, const QString &path, QString *errorString,
                                                         const Options &options)
{
    const std::optional<QJsonArray> entries = SettingsFile::read(path, errorString);
    if (!entries)
        return std::nullopt;

    Result result;
    QJsonArray chosen;
    for (const QJsonValue &entry : *entries) {
        const QJsonObject object = entry.toObject();
        const bool processorWide =
            object.contains(SettingsFile::processorKey()) && !object.contains(QStringLiteral("id"));
        // A mode switch resets every policy, so the processor-wide settings go first; when only
        // some CPUs are to be written, they are left alone.
        if (processorWide && options.cpus.isEmpty()) {
            QJsonObject settings = object.value(SettingsFile::processorKey()).toObject();
            for (const QString &attribute : options.leaveAlone)
                settings.remove(attribute);
            info.processor.loadSettings(settings, info.cores, result.report);
            for (CPUCore &core : info.cores)
                core.update();
        }
        const std::optional<int> id = coreOf(object);
        if (!options.cpus.isEmpty() && (!id || !options.cpus.contains(*id)))
            continue;
        QJsonObject kept = object;
        QJsonObject values = object.value(QStringLiteral("policies")).toObject();
        for (const QString &attribute : options.leaveAlone)
            values.remove(attribute);
        if (object.contains(QStringLiteral("policies")))
            kept.insert(QStringLiteral("policies"), values);
        chosen.append(kept);
    }
    SettingsFile::apply(info.cores, chosen, info.topology(), result.report);

    for (const QJsonValue &entry : qAsConst(chosen)) {
        const QJsonObject object = entry.toObject();
        const std::optional<int> id = coreOf(object);
        if (id && findCore(info.cores, *id))
            plan(object, *id, result.report, result.checks);
    }

    auto readAll = [&info, &result] {
        QVector<int> read;
        for (const Check &check : qAsConst(result.checks)) {
            if (!read.contains(check.core)) {
                findCore(info.cores, check.core)->updateSettings();
                read.append(check.core);
            }
        }
    };
    readAll();
    bool anyWritten = false;
    for (Check &check : result.checks) {
        if (const WriteFailure *failure = failureOf(result.report, check.core, check.attribute)) {
            check.outcome = Outcome::Refused;
            check.reason = !failure->reason.isEmpty() ? failure->reason
                           : failure->error != 0      ? SysfsIO::errorText(failure->error)
                                                      : QStringLiteral("not written");
            continue;
        }
        const SysfsIO::ReadResult now = current(*findCore(info.cores, check.core), check.attribute);
        if (now.error != 0) {
            check.outcome = Outcome::Unreadable;
            check.reason = QStringLiteral("reading it back failed: %1").arg(SysfsIO::errorText(now.error));
            continue;
        }
        check.found = now.text;
        check.outcome = now.text == check.written ? Outcome::Kept : Outcome::Rounded;
        anyWritten = true;
    }
    if (!anyWritten)
        return result;

    if (options.settle)
        options.settle();
    else if (options.settleMs > 0)
        QThread::msleep(static_cast<unsigned long>(options.settleMs));
    readAll();
    for (Check &check : result.checks) {
        if (check.outcome != Outcome::Kept && check.outcome != Outcome::Rounded)
            continue;
        const SysfsIO::ReadResult later = current(*findCore(info.cores, check.core), check.attribute);
        if (later.error == 0 && later.text == check.found)
            continue;
        check.reason = check.found;
        check.found = later.error == 0 ? later.text : QStringLiteral("unreadable");
        check.outcome = Outcome::ChangedAgain;
    }
    return result;
}
