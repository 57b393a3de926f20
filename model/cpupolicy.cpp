// SPDX-License-Identifier: GPL-3.0-or-later
#include "cpupolicy.h"

namespace KnownCPUPolicy
{
const char *const bios_limit = "bios_limit";
const char *const scaling_setspeed = "scaling_setspeed";
const char *const scaling_min_freq = "scaling_min_freq";
const char *const scaling_max_freq = "scaling_max_freq";
const char *const scaling_cur_freq = "scaling_cur_freq";
const char *const scaling_governor = "scaling_governor";
const char *const scaling_available_governors = "scaling_available_governors";
const char *const scaling_available_frequencies = "scaling_available_frequencies";
const char *const related_cpus = "related_cpus";
const char *const cpuinfo_transition_latency = "cpuinfo_transition_latency";
const char *const cpuinfo_min_freq = "cpuinfo_min_freq";
const char *const cpuinfo_max_freq = "cpuinfo_max_freq";
const char *const cpuinfo_cur_freq = "cpuinfo_cur_freq";
const char *const affected_cpus = "affected_cpus";
} // namespace KnownCPUPolicy

bool CPUPolicy::isEmpty() const
{
    return name.isEmpty() && value.isEmpty();
}
