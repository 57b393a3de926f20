// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

#include "writefailure.h"

class CPUInfo;

// Applying a settings file and reading back what took: every attribute written (or already in
// place) is read again at once and once more after a short settle time, so that the kernel's
// rounding, its refusals and another program writing the same files can be told apart.
namespace VerifiedApply
{
enum class Outcome {
    Kept,         // reads as written
    Rounded,      // the kernel took the write but keeps another value (a P-state, a name's spelling)
    Refused,      // the write failed; reason says why
    ChangedAgain, // read back as the kernel kept it, then changed within the settle time
    Unreadable,   // could not be read back
};

// One attribute of one core ("online" for the core's switch).
struct Check {
    int core = -1;
    QString attribute;
    QString written;
    QString found; // the value the kernel keeps: after the settle time for ChangedAgain
    Outcome outcome = Outcome::Kept;
    QString reason; // Refused and Unreadable: why; ChangedAgain: what the first read gave
};

struct Options {
    // How long to wait before the second read; another writer reacting to ours shows up within it.
    int settleMs = 200;
    // Only these CPUs' entries are applied (the processor-wide settings are then left alone);
    // empty: every entry.
    QVector<int> cpus;
    // Attributes of the cores' entries not written (another power tool manages them).
    QStringList leaveAlone;
    // Replaces the wait between the two reads, if given.
    std::function<void()> settle;
};

struct Result {
    ApplyReport report;
    QVector<Check> checks;

    int count(Outcome outcome) const;
    // "12 kept, 2 rounded, 1 refused, 0 changed again, 0 unreadable"
    QString summary() const;
    // One printable line per check: "cpu3 scaling_max_freq: rounded: wrote 1700000, kept 1600000".
    QString describe(const Check &check) const;
    QJsonObject toJson() const;
};

QString outcomeName(Outcome outcome);

// Reads the file at path and applies it to info's cores (processor-wide settings first), then
// verifies. Nothing, with a reason in errorString, when the file cannot be read.
std::optional<Result> load(CPUInfo &info, const QString &path, QString *errorString = nullptr,
                           const Options &options = {});
} // namespace VerifiedApply
