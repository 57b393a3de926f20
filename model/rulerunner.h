// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "powerrules.h"
#include "powersource.h"
#include "userprofiles.h"
#include "writefailure.h"

class CPUInfo;

// Applies the profile that the power rules give for the power source of the moment, once per
// call; the boot, resume and udev unit calls it once, the watcher at every change of the rule in
// force. A manual choice (a profile applied by hand while rules exist) holds until the rule in
// force changes: plugging in, pulling the plug, or the battery falling below the low mark.
class RuleRunner
{
public:
    static QString defaultStateDirectory();

    // cpus.cpuDir/../.. is taken as /sys, where the power supplies are.
    RuleRunner(CPUInfo &cpus, UserProfiles profiles, QString rulesPath = PowerRules::defaultPath(),
               QString stateDirectory = defaultStateDirectory());

    // The name of another program that manages these settings, or "" when none does. The runner
    // leaves the settings alone while one does, and says which. Every runner starts with
    // otherPowerTool(); tests set their own.
    using OwnerCheck = std::function<QString()>;
    void setOwnerCheck(OwnerCheck check);
    // The machine's own answer: where the detection of other power tools plugs in. Until then,
    // none is ever found.
    static QString otherPowerTool();

    PowerState state() const;
    // The rules; nothing, with the reason, when the file is missing, unreadable or (checked as the
    // restore file is) could have been written by someone other than root.
    std::optional<PowerRules> rules(QString *errorString) const;

    struct Outcome {
        QString line; // one line for the journal: "freqdeck: on battery (34 %): applied profile 'quiet'"
        ApplyReport report;
        bool refused = false; // the rules or the profile could not be used
    };
    Outcome applyRule();

    struct ManualChoice {
        QString profile;
        PowerRules::Source source;
    };
    // The manual choice that holds, if any; one recorded under another rule than the one in force
    // no longer does.
    std::optional<ManualChoice> manualChoice() const;
    // Records a profile applied by hand now. Only while rules exist: without them nothing would
    // override it anyway. False with the reason when it could not be recorded.
    bool recordManualChoice(const QString &profile, QString *errorString) const;
    void clearManualChoice() const;
    QString manualChoicePath() const;

private:
    CPUInfo &cpus;
    UserProfiles profiles;
    QString rulesPath;
    QString stateDirectory;
    OwnerCheck ownerCheck;
};
