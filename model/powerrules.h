// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

#include "powersource.h"

// Which profile (fixed or own, by name) goes with which power source, kept in
// /etc/freqdeck/power-rules.json as {"ac": NAME, "battery": NAME, "low": {"below": N, "profile":
// NAME}}; a member left out or empty means no rule.
struct PowerRules {
    enum class Source { Ac, Battery, LowBattery };

    QString onAc;
    QString onBattery;
    QString belowProfile;
    int below = 0; // percent; 0: no low-battery rule

    static QString defaultPath();

    // The rules in a file; nothing, with the reason, when it cannot be read or is not a rules file.
    static std::optional<PowerRules> read(const QString &path, QString *errorString);
    bool save(const QString &path, QString *errorString) const;

    // The rule in force for a state, and its profile ("" where none is set).
    Source sourceOf(const PowerState &state) const;
    QString profileFor(Source source) const;
    // Why that rule is in force, for the log and the window: "on battery (34 %)",
    // "on battery below 20 % (15 %)".
    QString why(const PowerState &state) const;

    static QString key(Source source);
    static std::optional<Source> sourceFromKey(const QString &key);
};
