// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Attribute names that the program looks records up by; each constant's text is its own name.
namespace KnownCPUPolicy
{
extern const char *const bios_limit;
extern const char *const scaling_setspeed;
extern const char *const scaling_min_freq;
extern const char *const scaling_max_freq;
extern const char *const scaling_cur_freq;
extern const char *const scaling_governor;
extern const char *const scaling_available_governors;
extern const char *const scaling_available_frequencies;
extern const char *const related_cpus;
extern const char *const cpuinfo_transition_latency;
extern const char *const cpuinfo_min_freq;
extern const char *const cpuinfo_max_freq;
extern const char *const cpuinfo_cur_freq;
extern const char *const affected_cpus;
} // namespace KnownCPUPolicy

// One cpufreq attribute file of one core: its name, its text and the owner's permission bits.
class CPUPolicy
{
public:
    bool isEmpty() const;

    QString name;
    QString value;
    bool readable = false;
    bool writable = false;
    // The errno of a read that failed (EIO, EBUSY...), 0 when value is what the file holds. A value
    // that could not be read is no value: it is neither saved nor compared.
    int readError = 0;
};
