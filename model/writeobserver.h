// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

// Told of every value the program has written to a core (its online switch as "online"), so that
// what the program set can be told apart from what others set later.
namespace WriteObserver
{
// machine: the directory of the core's directory, as /sys/devices/system/cpu.
using Observer = std::function<void(const QString &machine, int core, const QString &attribute, const QString &value)>;
// Replaces the observer (an empty function: none). Set it before other threads write.
void set(Observer observer);
// Called by the core after a write the kernel took.
void notify(const QString &machine, int core, const QString &attribute, const QString &value);
} // namespace WriteObserver
