// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// A setting that did not take: the core's number, the attribute ("online" for the core's switch),
// the text that was to be written, the errno of the refused write (0 where nothing was written
// because the setting could not be applied at all) and, where the program knows it, the cause in
// plain words.
struct WriteFailure {
    int core = -1;
    QString attribute;
    QString value;
    int error = 0;
    QString reason;
};

// Told of each failed write by the operations that otherwise carry on past failures silently.
using WriteFailureHandler = std::function<void(const WriteFailure &)>;

// What a bulk operation (a profile, a settings file) did: every failure, and notes on what was
// done differently from the request without being a failure (settings of a core that stays
// offline, for example).
struct ApplyReport {
    QVector<WriteFailure> failures;
    QStringList notes;
    int written = 0;

    bool ok() const { return failures.isEmpty(); }
    // Records a failure and passes it on to handler, if given.
    void fail(const WriteFailure &failure, const WriteFailureHandler &handler = {});
};

// One line for the user: "cpu3: scaling_max_freq: writing "800000" failed: Invalid argument
// (reason)"; a failure without an attribute is "cpu7: reason", one without a core (-1) only the
// reason. Values and names are made printable.
QString describeFailure(const WriteFailure &failure);
