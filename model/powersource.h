// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the machine draws its power from, as /sys/class/power_supply tells: on AC when a mains or
// USB supply is online, or, on a machine that shows no such supply, when no battery discharges; a
// machine without any power supply files (a desktop, a VM) counts as on AC.
struct PowerState {
    bool onBattery = false;
    int capacity = -1; // percent of the first battery that tells it; -1: none does

    bool operator==(const PowerState &other) const
    {
        return onBattery == other.onBattery && capacity == other.capacity;
    }
    // "on AC", "on battery (34 %)"
    QString describe() const;

    // Reads the state from a directory laid out like /sys.
    static PowerState read(const QString &sysDir);
};
