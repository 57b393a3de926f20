// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>

#include <optional>

#include "cpucore.h"

// The one-click profiles as one table, read by applying and detecting them, by the command-line
// names and by anything that describes them to the user. Frequencies are kHz as the kernel has
// them; M is a core's cpuinfo_max_freq, m its cpuinfo_min_freq and S its scaling_max_freq.
struct Profile {
    // Points on a core's frequency range that the rules below are written in.
    enum class Level {
        None,         // not written; as a band end: unbounded
        Minimum,      // m
        Third,        // M / 3
        Half,         // M / 2
        TwoThirds,    // (2 × M) / 3
        Maximum,      // M
        AboveMaximum, // M + 1, so that [Maximum, AboveMaximum) holds M alone
    };

    PREDEFINED_GOVERNS govern;
    const char *key;         // the command-line name, "fast"
    const char *label;       // "Fast"; label and description are translated in the context "Profile"
    const char *description; // one line on what applying it writes
    const char *governor;    // written as scaling_governor; nullptr: left alone
    Level minLimit;          // written as scaling_min_freq
    Level maxLimit;          // written as scaling_max_freq
    // A core matches when bandFrom <= S < bandTo and, where governorTested, its governor is the
    // profile's.
    bool governorTested;
    Level bandFrom;
    Level bandTo;
    // Where a core lists its frequencies, the upper limit written is the smallest listed one in
    // [bandFrom, keepBelow), so that the kernel keeps a value that is still detected as this
    // profile; None: the limit is written as computed.
    Level keepBelow;

    // The value of a level on a core; nothing for None. Computed as the kernel's 32-bit int
    // arithmetic would, quotients truncated, except that M + 1 does not wrap.
    static std::optional<qint64> value(Level level, int max, int min);

    // The upper limit to write on a core whose listed frequencies are table (empty: none listed).
    std::optional<qint64> upperLimit(int max, int min, const QVector<qint64> &table) const;
    // Whether a core with these values is in this profile's band.
    bool matches(int max, int limit, const QString &currentGovernor) const;

    // Every profile, Performance to Powersave and then Custom, in the order detection tries them.
    static const QVector<Profile> &all();
    // The profile of a value; every value outside Performance to Powersave is Custom.
    static const Profile &of(int govern);
    // The profile of a command-line name, in any case; nullptr when there is none.
    static const Profile *find(const QString &key);
};
